#!/usr/bin/env bash
# Runs a command quietly: its output is shown only when it fails, in full,
# so that a failing configure or build says why.
#   tools/quiet.sh COMMAND [ARGUMENT...]      e.g. tools/quiet.sh cmake --preset test
set -uo pipefail
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" >"$log" 2>&1
status=$?
if [ $status -ne 0 ]; then
  echo "failed ($status): $*" >&2
  cat "$log" >&2
fi
exit $status
