#!/usr/bin/env bash
# Velmora's two set-up commands:
#   ./build.sh run [context|automation] [host options]   build, then show the dialog in the reference host
#   ./build.sh test                                      check formatting and lint, build, then run every test,
#                                                        also under sanitizers, then fuzz each reader of
#                                                        outside bytes briefly, then the Windows builds,
#                                                        checks and tests under Wine (64- and 32-bit)
#   ./build.sh fuzz [SECONDS] [TARGET...]                fuzz for as long as asked (tools/fuzz.sh, build-fuzz/)
#   ./build.sh valgrind [GTEST_FILTER]                   host-level tests under memcheck (tools/valgrind.sh)
#   ./build.sh windows                                   both Windows builds, their packages and checks
#   ./build.sh prepare-windows                           what the Windows presets need: packages, SQLite's sources
#   ./build.sh screenshots                               the dialogs' pictures in docs/ at two scales, from the GUI tests
# Each installs the Debian packages it needs first. Every build folder is a
# CMake preset (CMakePresets.json) with every option it relies on, so none
# inherits another's settings: build/ (preset run), build-test/ (test: tests,
# benchmarks and packages), build-sanitize/ (sanitize: tests under ASan +
# UBSan), build-lint/ and build-lint/fuzz/ (lint, lint-fuzz: tools/lint.sh),
# build-fuzz/ (fuzz: tools/fuzz.sh); the Windows builds are build-win64/ and
# build-win32/ (windows-x86_64, windows-i686), with SQLite's sources in
# build-sqlite/. This script does what CMake cannot: install packages, make
# SQLite's sources from Debian's, run Wine and Xvfb, loop over the fuzz
# targets and the memcheck runs. Configure output is shown only on failure.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libssl-dev sqlite3
          dpkg-dev file libelf-dev unixodbc-dev unixodbc odbc-postgresql libsqliteodbc postgresql)
JOBS=$(nproc 2>/dev/null || echo 2)

# Fuzzing (clang and its libFuzzer runtime); memory checking and the count
# of a library cycle's instructions (valgrind, also needed to build the benchmarks).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
LINT_PACKAGES=(clang clang-format clang-tidy jq)
VALGRIND_PACKAGES=(valgrind jq)
FUZZ_TEST_SECONDS=15  # per target in ./build.sh test

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

# Configure quietly, build and test with every core.
configure() { tools/quiet.sh cmake --preset "$1" "${@:2}"; }
build() { cmake --build --preset "$1" -j "$JOBS" "${@:2}"; }
# The test presets fail when they find no tests, so a build without them never passes.
run_tests() { ctest --preset "$1" -j "$JOBS"; }

# ---- Windows: cross builds with mingw-w64, tests under wine64 -------------

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth imagemagick
                  fonts-wqy-microhei fonts-wine googletest dpkg-dev tcl libodbc2)

# Debian's source packages, for SQLite's: the same sources as the installed binary packages.
enable_source_packages() {
  local sources=/etc/apt/sources.list.d/velmora-deb-src.sources
  [ -f "$sources" ] && return
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  [ -f /etc/apt/sources.list.d/debian.sources ] || { echo "no /etc/apt/sources.list.d/debian.sources to copy" >&2; exit 1; }
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$sources" >/dev/null
  $sudo apt-get update -q
}

# Whether the 32-bit build's tests run here: they need a kernel that runs
# 32-bit programs, and until they have passed on such a machine they run
# only when asked for (VELMORA_WINE32_TESTS=1), so that their first run
# cannot stop everything else. Says why not on standard error.
i686_tests_run() {
  tools/windows/runs-i386 || return 1
  [ "${VELMORA_WINE32_TESTS:-0}" = 1 ] && return 0
  echo "not asked for: they have not yet run on a machine that can; VELMORA_WINE32_TESTS=1 runs them" >&2
  return 1
}

# Debian's i386 packages beside the machine's own, for wine32.
enable_i386_packages() {
  dpkg --print-foreign-architectures | grep -qx i386 && return
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Adding the architecture i386 (for wine32)"
  $sudo dpkg --add-architecture i386  # install_packages updates the lists, wine32:i386 being missing
}

# wine32 runs the 32-bit build's tests, where the kernel runs 32-bit programs at all.
install_windows_packages() {
  local PACKAGES=("${WINDOWS_PACKAGES[@]}")
  if i686_tests_run 2>/dev/null; then
    enable_i386_packages
    PACKAGES+=(wine32:i386)
  fi
  install_packages
  enable_source_packages
}

# SQLite's amalgamation (sqlite3.c, sqlite3.h) made from Debian's source
# package of the very version the native build links, in build-sqlite/.
prepare_sqlite() {
  local package version out=build-sqlite/amalgamation
  package=$(dpkg-query -W -f='${source:Package}' libsqlite3-dev)
  version=$(dpkg-query -W -f='${Version}' libsqlite3-dev)
  if [ -f "$out/sqlite3.c" ] && [ "$(cat "$out/VERSION" 2>/dev/null)" = "$version" ]; then return; fi
  echo "Making SQLite's amalgamation from the source package $package $version"
  rm -rf build-sqlite && mkdir -p build-sqlite/download "$out"
  (cd build-sqlite/download && ../../tools/quiet.sh apt-get source -q --download-only "$package=$version") ||
    { echo "cannot fetch the source package $package=$version" >&2; exit 1; }
  tools/quiet.sh dpkg-source -q -x build-sqlite/download/*.dsc build-sqlite/source
  mkdir -p build-sqlite/native
  (cd build-sqlite/native && ../../tools/quiet.sh ../source/configure --disable-tcl &&
    ../../tools/quiet.sh make -j "$JOBS" sqlite3.c)
  cp build-sqlite/native/sqlite3.c build-sqlite/native/sqlite3.h "$out/"
  echo "$version" >"$out/VERSION"
}

# Both architectures with their tests and packages.
build_windows() {
  prepare_sqlite
  configure windows-x86_64
  build windows-x86_64
  # The 32-bit test programs are built only where they can run: elsewhere
  # they would cost minutes of every run and prove only that they compile.
  local i686_tests=ON
  i686_tests_run 2>/dev/null || i686_tests=OFF
  configure windows-i686 -DVELMORA_TESTS=$i686_tests
  build windows-i686
}

check_windows() {
  tools/windows/check-package build-win64 x86_64
  tools/windows/check-package build-win32 i686
}

# Each build's tests under Wine, the 64-bit build's first. The 32-bit
# build's need a kernel that runs 32-bit programs, for wine32; where it does
# not, they are reported as not run.
test_windows() {
  local status=0 reason
  test_windows_build x86_64 || status=$?
  if reason=$(i686_tests_run 2>&1); then
    test_windows_build i686 || status=$?
  else
    echo "NOT RUN: the i686 build's tests under Wine: $reason"
  fi
  return $status
}

# One build's tests, in its own Wine prefix (wine-run --arch): one Wine
# server, started before them and warmed up with a first program, serves them
# all and is ended afterwards. The tests that open real windows (label gui)
# run after the others, one at a time, on an X display of their own (Xvfb)
# that lives only as long as they do.
test_windows_build() {  # test_windows_build <x86_64|i686>
  local arch=$1 status=0 started=$SECONDS
  start_wineserver "$arch"
  run_tests "windows-$arch" || status=$?
  echo "$arch tests under Wine: $((SECONDS - started)) s"
  started=$SECONDS
  with_display "$arch" ctest --preset "windows-$arch-gui" || status=$?
  echo "$arch GUI tests: $((SECONDS - started)) s"
  stop_wineserver "$arch"
  return $status
}

wine_prefix() { tools/windows/wine-run --arch "$1" --prefix; }

# A first program of the build's own architecture: for i686 a 32-bit one.
warm_up_wine() {  # warm_up_wine <arch>
  local program=cmd
  [ "$1" = i686 ] && program='C:\windows\syswow64\cmd.exe'
  tools/windows/wine-run --arch "$1" "$program" /c exit 0
}

start_wineserver() {  # start_wineserver <arch>
  local prefix
  prefix=$(wine_prefix "$1")
  tools/windows/wine-run --arch "$1" cmd /c exit 0  # creates the prefix on first use
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -p600  # ten minutes; "-p 600" would be for ever
  warm_up_wine "$1"
}

stop_wineserver() {  # stop_wineserver <arch>
  WINEPREFIX=$(wine_prefix "$1") /usr/lib/wine/wineserver -k || true
}

XVFB=(xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")

# Runs a command on an X display of its own (Xvfb), with a Wine server for
# the build's prefix that was started there: a server started without a
# display cannot open windows.
with_display() {  # with_display <arch> <command...>
  local arch=$1 prefix
  shift
  prefix=$(wine_prefix "$arch")
  stop_wineserver "$arch"
  tools/windows/prepare-gui-prefix --arch "$arch"
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
  "${XVFB[@]}" sh -c '
    prefix=$1
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -p600
    "$2/tools/windows/wine-run" --arch "$3" cmd /c exit 0
    shift 3
    "$@"; status=$?
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k
    exit $status' sh "$prefix" "$PWD" "$arch" "$@"
}

# The pictures of both dialogs in docs/ (the README shows them), taken by
# the GUI tests while they drive the dialogs, on a display of 96 pixels per
# inch and of 144 (the names ending in -144).
screenshots_command() {
  install_packages
  install_windows_packages
  prepare_sqlite
  configure windows-x86_64
  build windows-x86_64 --target gui_tests
  mkdir -p docs
  local status=0
  VELMORA_SCREENSHOTS="$PWD/docs" with_display x86_64 tools/windows/wine-run build-win64/bin/gui_tests.exe \
    --gtest_filter='*DialogPicture*' || status=$?
  [ $status -eq 0 ] && echo "Screenshots: docs/context-dialog.png docs/automation-dialog.png" \
    "docs/context-dialog-144.png docs/automation-dialog-144.png"
  return $status
}

# The scripted demo for a run without a terminal: the demo user's password
# "demo" is changed to "demo" again, on a fresh demo database in a temporary
# folder, so every run starts from the same state and succeeds.
scripted_demo() {  # scripted_demo <edition> <library>
  local edition=$1 library=$2 host work status
  host=$(pwd)/build/bin/velmora-host
  work=$(mktemp -d)
  echo "No terminal: scripted demo on a fresh demo database (old password demo, new password demo)."
  local keys=(--do show --do "type demo" --do "key Enter" --do "type demo" --do "key Enter" --do "type demo"
              --do "key Enter")
  # In the automation dialog the last Enter moves to Modify, which a fourth one presses.
  [ "$edition" = automation ] && keys+=(--do "key Enter")
  set +e
  (cd "$work" && "$host" --edition "$edition" "${keys[@]}" "$library")
  status=$?
  set -e
  rm -rf "$work"
  return $status
}

run_command() {
  local edition=context
  if [ "${1:-}" = context ] || [ "${1:-}" = automation ]; then edition=$1; shift; fi
  install_packages
  configure run
  build run
  local library
  library=$(pwd)/build/$edition/Velmora.so
  if [ $# -eq 0 ] && ! [ -t 0 ]; then
    scripted_demo "$edition" "$library"
    return
  fi
  exec build/bin/velmora-host --edition "$edition" "$@" "$library"
}

# The Release packages: both generators must leave their file.
check_packages() {
  rm -f build-test/velmora-*.tar.gz build-test/velmora_*.deb
  tools/quiet.sh cpack --preset test
  local tgz deb
  tgz=$(ls build-test/velmora-*.tar.gz 2>/dev/null | head -1)
  deb=$(ls build-test/velmora_*.deb 2>/dev/null | head -1)
  if [ -z "$tgz" ] || [ -z "$deb" ]; then
    echo "cpack did not produce both packages" >&2
    return 1
  fi
  echo "Packages: $tgz $deb"
}

test_command() {
  PACKAGES+=("${FUZZ_PACKAGES[@]}" "${VALGRIND_PACKAGES[@]}" "${LINT_PACKAGES[@]}")
  install_packages
  tools/lint.sh  # first: it fails fastest
  local started=$SECONDS windows_installs
  install_windows_packages
  windows_installs=$((SECONDS - started))
  configure test
  build test
  run_tests test
  check_packages
  configure sanitize
  build sanitize
  run_tests sanitize
  check_memory_and_fuzz
  started=$SECONDS
  build_windows
  check_windows
  test_windows
  echo "Windows part: $((windows_installs + SECONDS - started)) s, of which installs $windows_installs s"
}

# The library-file reader's tests under memcheck as well (it sees a read just
# outside a buffer even where GCC's inlined compares hide it from ASan), then
# every fuzz target briefly.
check_memory_and_fuzz() {
  tools/valgrind.sh
  tools/fuzz.sh "$FUZZ_TEST_SECONDS"
}

# For building by hand with the presets windows-x86_64 and windows-i686.
prepare_windows_command() {
  install_packages
  install_windows_packages
  prepare_sqlite
  echo "Ready for: cmake --workflow --preset windows-x86_64 (or windows-i686)"
}

windows_command() {
  install_packages
  install_windows_packages
  build_windows
  check_windows
  echo "Packages: build-win64/package/Velmora-windows-x86_64.zip build-win32/package/Velmora-windows-i686.zip"
}

case "${1:-}" in
  run)
    shift
    run_command "$@"
    ;;
  test)
    test_command
    ;;
  fuzz)
    shift
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_packages
    exec tools/fuzz.sh "$@"
    ;;
  valgrind)
    shift
    PACKAGES+=("${VALGRIND_PACKAGES[@]}")
    install_packages
    exec tools/valgrind.sh "$@"
    ;;
  windows)
    windows_command
    ;;
  prepare-windows)
    prepare_windows_command
    ;;
  screenshots)
    screenshots_command
    ;;
  *)
    echo "usage: ./build.sh run [context|automation] [host options] | ./build.sh test" \
         "| ./build.sh fuzz [SECONDS] [TARGET...] | ./build.sh valgrind [GTEST_FILTER] | ./build.sh windows" \
         "| ./build.sh prepare-windows | ./build.sh screenshots" >&2
    exit 64
    ;;
esac
