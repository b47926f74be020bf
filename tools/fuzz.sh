#!/usr/bin/env bash
# Fuzzes every reader of outside bytes (tests/fuzz) with libFuzzer under
# ASan and UBSan, each target for SECONDS (default 60), one after another.
#   tools/fuzz.sh [SECONDS] [TARGET...]      e.g. tools/fuzz.sh 600 data_packet
# Builds with clang in build-fuzz (CMake preset fuzz). Inputs found to cover
# new code are kept in build-fuzz/corpus/<target> for the next run (the
# committed seeds stay in tests/fuzz/corpus/<target>); a failing input is
# saved in build-fuzz/crashes/<target>/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
dir=build-fuzz

tools/quiet.sh cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/fuzz_*.cpp; do
    name=${source##*/fuzz_}
    targets+=("${name%.cpp}")
  done
fi

failed=()
for target in "${targets[@]}"; do
  work="$dir/corpus/$target" crashes="$dir/crashes/$target" log="$dir/logs/$target.log"
  mkdir -p "$work" "$crashes" "$dir/logs"
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$crashes/" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n -E "s/^stat::number_of_executed_(runs|units): *//p" "$log")
    echo "fuzz $target: ${runs:-?} runs in ${seconds} s, corpus $(find "$work" -type f | wc -l) inputs"
  else
    echo "fuzz $target: FAILED (log $log)"
    grep -E "ERROR|SUMMARY|property does not hold|runtime error|Test unit written" "$log" | head -n 20 || true
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
