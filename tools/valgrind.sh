#!/usr/bin/env bash
# Runs the host-level tests of both editions under valgrind's memcheck:
# every library loaded through the host's loader, and the velmora-host
# program itself (its child processes are traced too). Any memcheck error
# or leak fails the run.
#   tools/valgrind.sh [GTEST_FILTER]       e.g. tools/valgrind.sh '*LibraryFile*'
# Uses the test build in build-test/ (built here when needed).
set -euo pipefail
cd "$(dirname "$0")/.."

filter=${1:-*}
programs=(edition_tests context_module_tests automation_module_tests inject_tests localisation_tests host_tests)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON \
  -DVELMORA_SANITIZE=OFF >/dev/null
cmake --build build-test -j "$(nproc 2>/dev/null || echo 2)" --target "${programs[@]}" velmora-host

failed=()
for program in "${programs[@]}"; do
  log="$PWD/build-test/valgrind-$program.log"
  start=$SECONDS
  if valgrind --tool=memcheck --error-exitcode=1 --leak-check=full \
      --trace-children=yes --log-file="$log.%p" "build-test/bin/$program" --gtest_filter="$filter" >"$log" 2>&1; then
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
