#!/usr/bin/env bash
# Checks that the source folders form a stack: a folder includes only
# folders below it, never one above it nor a sibling on its own layer. So
# runtime/ reads bottom-up, the host and the editions meet only in the
# contract, and the host includes nothing of an edition.
#
#   tools/check_layers.sh          fails, naming the include, on a back edge
#   tools/check_layers.sh --graph  prints the folder include graph (A -> B)
set -euo pipefail
cd "$(dirname "$0")/.."

# Bottom first. Folders on one line are siblings: none includes another.
# tools/, tests/ and bench/ stand on top of everything and are not checked.
LAYERS=(
  "runtime/except"
  "runtime/text"
  "runtime/boundary"
  "runtime/units"
  "runtime/module"
  "runtime/variant"
  "runtime/dispatch"
  "runtime/components"
  "runtime/db"
  "runtime/controls"
  "runtime/forms"
  "runtime/plugin"
  "contract"
  "suite"
  "context automation host"
)

declare -A rank
for i in "${!LAYERS[@]}"; do
  for folder in ${LAYERS[$i]}; do rank[$folder]=$i; done
done

# The listed folder a path lies in, or nothing.
folder_of() {
  local path=$1 dir
  dir=$(dirname "$path")
  while [ "$dir" != . ] && [ "$dir" != / ]; do
    if [ -n "${rank[$dir]+x}" ]; then
      echo "$dir"
      return
    fi
    dir=$(dirname "$dir")
  done
}

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
status=0
for from in "${!rank[@]}"; do
  [ -d "$from" ] || continue
  while IFS=: read -r file _ target; do
    to=$(folder_of "$target")
    [ -z "$to" ] || [ "$to" = "$from" ] && continue
    echo "$from -> $to" >>"$edges"
    if [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
      echo "$file includes $target: $from may not include $to" >&2
      status=1
    fi
  done < <(grep -rnoE --include='*.h' --include='*.cpp' --include='*.inl' '^#include "[^"]+"' "$from" |
           sed -E 's/#include "([^"]+)"/\1/' || true)
done

if [ "${1:-}" = --graph ]; then
  sort -u "$edges"
fi
exit $status
