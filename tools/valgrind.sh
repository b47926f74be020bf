#!/usr/bin/env bash
# Runs the host-level tests of both editions under valgrind's memcheck:
# every library loaded through the host's loader, and the velmora-host
# program itself (its child processes are traced too). Any memcheck error
# or leak fails the run.
#   tools/valgrind.sh [GTEST_FILTER]       e.g. tools/valgrind.sh '*LibraryFile*'
# Uses the test build in build-test/ (CMake preset test, built here when
# needed). The programs are those whose tests carry the CTest label memcheck
# (set in their CMakeLists), so a new one is never left out.
set -euo pipefail
cd "$(dirname "$0")/.."

filter=${1:-*}
jobs=$(nproc 2>/dev/null || echo 2)
bin=$PWD/build-test/bin

build() { cmake --build --preset test -j "$jobs" --target "$@"; }
tests_json() { ctest --test-dir build-test --show-only=json-v1 "$@"; }

tools/quiet.sh cmake --preset test
# A test program lists its tests (and their labels) only once it is built;
# until then CTest shows it as <target>_NOT_BUILT. So every test program of
# the build is brought up to date before the labelled ones are read.
mapfile -t all < <(tests_json | jq -r --arg bin "$bin/" '.tests[]
  | if (.name | endswith("_NOT_BUILT")) then (.name | sub("_NOT_BUILT$"; ""))
    elif ((.command // [""])[0] | startswith($bin)) then (.command[0] | ltrimstr($bin))
    else empty end' | sort -u)
[ ${#all[@]} -gt 0 ] && build "${all[@]}"
mapfile -t programs < <(tests_json -L '^memcheck$' | jq -r --arg bin "$bin/" '.tests[].command[0] | ltrimstr($bin)' |
  sort -u)
if [ ${#programs[@]} -eq 0 ]; then
  echo "no test in build-test carries the label memcheck" >&2
  exit 1
fi
build velmora-host

failed=()
for program in "${programs[@]}"; do
  log="$PWD/build-test/valgrind-$program.log"
  start=$SECONDS
  if valgrind --tool=memcheck --error-exitcode=1 --leak-check=full \
      --trace-children=yes --log-file="$log.%p" "$bin/$program" --gtest_filter="$filter" >"$log" 2>&1; then
    echo "valgrind $program: clean ($((SECONDS - start)) s)"
  else
    echo "valgrind $program: FAILED (logs $log*)"
    grep -h -A12 -E "Invalid|uninitialised|definitely lost|indirectly lost|FAILED" "$log" "$log".* | head -n 40 || true
    failed+=("$program")
  fi
  # Keep only the memcheck logs that say something.
  for f in "$log".*; do
    grep -q -E "ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]" "$f" || rm -f "$f"
  done
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "valgrind found errors in: ${failed[*]}" >&2
  exit 1
fi
