#!/usr/bin/env bash
# Every test a document names exists. README.md and docs/*.md name a test as
# a link to its file: [`Suite.Name`](../tests/...), or a parameterised test's
# row, [`Suite.Name/Row`](...). This fails, naming the document and the test,
# on a name that CTest does not list in the build folder, or a link to a
# file that does not exist.
#   tools/check_doc_tests.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: tools/check_doc_tests.sh BUILD_DIR}

names=$(mktemp)
trap 'rm -f "$names"' EXIT
ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p' | sed 's/  *#.*$//' >"$names"
[ -s "$names" ] || { echo "CTest lists no tests in $build" >&2; exit 1; }

status=0
cited=0
while IFS= read -r hit; do
  doc=${hit%%:*}
  link=${hit#*:}
  name=$(sed -E 's/^\[`([^`]+)`\].*/\1/' <<<"$link")
  target=$(sed -E 's/^.*\]\(([^)#]*).*\)$/\1/' <<<"$link")
  cited=$((cited + 1))
  if [ ! -e "$(dirname "$doc")/$target" ]; then
    echo "$doc: $name links to $target, which does not exist" >&2
    status=1
  fi
  # A test's full name is [Prefix/]Suite.Name[/Row]: the cited part must be
  # the whole name, or whole parts of it.
  if ! awk -v c="$name" '
      $0 == c || index($0, c "/") == 1 || index($0, "/" c "/") > 0 ||
      (length($0) > length(c) && substr($0, length($0) - length(c)) == "/" c) { found = 1; exit }
      END { exit !found }' "$names"; then
    echo "$doc: no test $name" >&2
    status=1
  fi
done < <(grep -oE '\[`[^`]+`\]\([^)]*tests/[^)]*\)' README.md docs/*.md /dev/null || true)
echo "$cited tests named in the documents"
exit $status
