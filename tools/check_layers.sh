#!/usr/bin/env bash
# Checks that the source folders form a stack: a folder includes only
# folders below it, never one above it nor a sibling on its own layer. So
# runtime/ and host/ read bottom-up, the host and the editions meet only in
# the contract, and no folder of the host includes anything of an edition.
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
  "host/db host/loader"
  "host/services"
  "host/frontends"
  "host"
  "context automation"
)
# The host and the editions meet only in the contract.
NEVER=("host -> context" "host -> automation")

declare -A rank
for i in "${!LAYERS[@]}"; do
  for folder in ${LAYERS[$i]}; do rank[$folder]=$i; done
done

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
folders=()
ranks=""
for folder in "${!rank[@]}"; do
  [ -d "$folder" ] && folders+=("$folder")
  ranks+="$folder=${rank[$folder]} "
done

# Every include of every listed folder, counted for the deepest listed
# folder its file lies in; "file target" pairs in, findings out.
status=0
grep -rnoE --include='*.h' --include='*.cpp' --include='*.inl' '^#include "[^"]+"' "${folders[@]}" |
  sed -E 's/^([^:]+):[0-9]+:#include "([^"]+)"/\1 \2/' | sort -u |
  awk -v ranks="$ranks" -v never="${NEVER[*]}" -v edges="$edges" '
    BEGIN {
      n = split(ranks, pairs, " ")
      for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); rank[kv[1]] = kv[2] }
      m = split(never, words, " ")
      for (i = 1; i + 2 <= m; i += 3) { neverFrom[++count] = words[i]; neverTo[count] = words[i + 2] }
    }
    function folder_of(path,   dir) {
      dir = path
      while (sub(/\/[^\/]*$/, "", dir)) if (dir in rank) return dir
      return ""
    }
    function under(folder, top) { return folder == top || index(folder, top "/") == 1 }
    {
      from = folder_of($1); to = folder_of($2)
      if (to == "" || to == from) next
      print from " -> " to >> edges
      for (i = 1; i <= count; i++) {
        if (under(from, neverFrom[i]) && under(to, neverTo[i])) {
          print $1 " includes " $2 ": " from " may never include " to > "/dev/stderr"; bad = 1
        }
      }
      if (rank[to] >= rank[from]) { print $1 " includes " $2 ": " from " may not include " to > "/dev/stderr"; bad = 1 }
    }
    END { exit bad }' || status=1

if [ "${1:-}" = --graph ]; then
  sort -u "$edges"
fi
exit $status
