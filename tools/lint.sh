#!/usr/bin/env bash
# The formatter and the linter over the project's own sources (generated
# files are not checked).
#   tools/lint.sh           fails on a formatting difference or a linter finding
#   tools/lint.sh --format  formats the sources in place instead
#
# clang cannot compile narrow literals to GBK, so the linter reads a build
# folder of its own (build-lint/) configured with clang and VELMORA_LINT=ON,
# where literals stay UTF-8 (CMake preset lint); only the generated sources
# are built there. The fuzz targets have a configuration of their own
# (build-lint/fuzz/, preset lint-fuzz). A translation unit that passed is
# remembered with the hash of everything it was linted against (its text, its
# compile command, every header, the linter and its checks), so a second run
# lints only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
LINT_DIR=build-lint
FOLDERS=(runtime contract suite context automation host tools tests bench)

mapfile -t sources < <(find "${FOLDERS[@]}" \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) | sort)

if [ "${1:-}" = --format ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi

echo "Formatting: $(clang-format --version | head -1), ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

# Configure output is shown only when it fails.
for preset in lint lint-fuzz; do
  tools/quiet.sh cmake --preset "$preset"
  tools/quiet.sh cmake --build --preset "$preset" -j "$JOBS"
done

# What every unit is linted against: the linter, its checks, every header.
mapfile -t headers < <(printf '%s\n' "${sources[@]}" | grep -v '\.cpp$'; find "$LINT_DIR" -path '*/generated/*' -type f | sort)
LINT_KEY=$({ clang-tidy --version; cat .clang-tidy "${headers[@]}"; } | sha256sum | cut -c1-64)
export LINT_DIR LINT_KEY
mkdir -p "$LINT_DIR/tidy-passed"

lint_unit() {
  local stamp command database=$LINT_DIR
  [[ $1 == tests/fuzz/* ]] && database=$LINT_DIR/fuzz
  # The unit's compile command: its flags, defines and include folders.
  command=$(jq -c --arg file "$PWD/$1" '[.[] | select(.file == $file) | [.directory, .command // .arguments]]' \
    "$database/compile_commands.json")
  stamp=$LINT_DIR/tidy-passed/$({ echo "$LINT_KEY"; echo "$command"; cat "$1"; } | sha256sum | cut -c1-64)
  [ -e "$stamp" ] && return 0
  local out
  if out=$(clang-tidy -p "$database" --quiet "$1" 2>&1); then
    touch "$stamp"
    return 0
  fi
  printf '%s\n' "$out" | grep -v ' warnings\? generated\.$' >&2
  return 1
}
export -f lint_unit

# The Windows-only units (*_win32.cpp, *_win32_test.cpp, any win32/ folder,
# tests/gui/, tests/deploy/) build only in the cross builds, which
# clang-tidy cannot read here: they are formatted but not linted.
units=()
for f in "${sources[@]}"; do [[ $f == *.cpp && $f != *_win32.cpp && $f != *_win32_test.cpp && $f != */win32/* && $f != tests/gui/* && $f != tests/deploy/* ]] && units+=("$f"); done
echo "Linting: $(clang-tidy --version | grep -i version | head -1 | sed 's/^ *//'), ${#units[@]} translation units"
# Every finding is an error (.clang-tidy); xargs fails when any unit had one.
printf '%s\n' "${units[@]}" | xargs -P "$JOBS" -n 1 bash -c 'lint_unit "$0"'
