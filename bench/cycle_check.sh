#!/usr/bin/env bash
# Holds the cost of a library cycle: counts the instructions of one cycle of
# each kind under callgrind (cycle_driver, after a warm-up cycle) and fails
# when a count grows by more than 10% over the figure in cycle_instructions.txt.
# Instruction counts repeat from run to run, unlike times, but they depend on
# the compiler, its options and the C library: the figures are for the
# Release build on the project's machines.
#
# usage: cycle_check.sh <cycle_driver> <figures file> <empty library> <context library> <automation library> [--update]
#   --update  writes the counts measured now as the new figures (after a
#             change that is meant to cost more, or that made a cycle cheaper)
set -euo pipefail
driver=$1 figures=$2 empty=$3 context=$4 automation=$5 update=${6:-}
cycles=5
tolerance=10  # per cent

command -v valgrind >/dev/null || { echo "cycle_check: valgrind is not installed" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Instructions of one cycle of kind on library.
count() {
  local kind=$1 library=$2 total
  valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$tmp/$kind.out" \
    "$driver" "$kind" "$library" "$cycles" >"$tmp/$kind.log" 2>&1 || {
    cat "$tmp/$kind.log" >&2
    echo "cycle_check: $kind failed under callgrind" >&2
    exit 1
  }
  total=$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$tmp/$kind.out")
  [ -n "$total" ] || { echo "cycle_check: no instruction count for $kind" >&2; exit 1; }
  echo $((total / cycles))
}

declare -A measured
measured[empty]=$(count empty "$empty")
measured[context-load]=$(count context-load "$context")
measured[context-cycle]=$(count context-cycle "$context")
measured[automation-cycle]=$(count automation-cycle "$automation")
kinds=(empty context-load context-cycle automation-cycle)

if [ "$update" = --update ]; then
  {
    echo "# Instructions of one library cycle under callgrind (Release build), checked by"
    echo "# cycle_check.sh: a Velmora cycle may grow by at most ${tolerance}% over its figure."
    echo "# The empty library's cost is the yardstick and is not held. To update the"
    echo "# figures deliberately: cmake --build build-test --target cycle_instructions"
    for kind in "${kinds[@]}"; do printf '%s\t%s\n' "$kind" "${measured[$kind]}"; done
  } >"$figures"
  echo "cycle_check: figures written to $figures"
fi

status=0
printf '%-18s %12s %12s %8s\n' cycle figure measured change
for kind in "${kinds[@]}"; do
  figure=$(awk -F'\t' -v k="$kind" '$1 == k { print $2 }' "$figures")
  [ -n "$figure" ] || { echo "cycle_check: no figure for $kind in $figures" >&2; exit 1; }
  change=$(((measured[$kind] - figure) * 100 / figure))
  verdict=""
  if [ "$kind" != empty ] && [ "${measured[$kind]}" -gt $((figure + figure * tolerance / 100)) ]; then
    verdict="  more than ${tolerance}% over its figure"
    status=1
  fi
  printf '%-18s %12s %12s %7s%%%s\n' "$kind" "$figure" "${measured[$kind]}" "$change" "$verdict"
done
exit $status
