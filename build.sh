#!/usr/bin/env bash
# Velmora's two set-up commands:
#   ./build.sh run [context|automation] [host options]   build, then show the dialog in the reference host
#   ./build.sh test                                      build, then run every test, also under sanitizers,
#                                                        then fuzz each reader of outside bytes briefly
#   ./build.sh fuzz [SECONDS] [TARGET...]                fuzz for as long as asked (tools/fuzz.sh, build-fuzz/)
#   ./build.sh valgrind [GTEST_FILTER]                   host-level tests under memcheck (tools/valgrind.sh)
# Both install the Debian packages they need first. Each command has a build
# folder of its own, configured with every option it relies on, so neither
# inherits the other's settings: build/ (run), build-test/ (tests, benchmarks
# and packages), build-sanitize/ (tests under ASan + UBSan).
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libssl-dev sqlite3
          dpkg-dev file libelf-dev)
JOBS=$(nproc 2>/dev/null || echo 2)

# Fuzzing (clang and its libFuzzer runtime) and memory checking.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
VALGRIND_PACKAGES=(valgrind)
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

configure() {  # configure <dir> [cmake options]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

# ctest that fails when it finds no tests, so a build without them never passes.
run_tests() {  # run_tests <dir> [environment assignments]
  local dir=$1
  shift
  (cd "$dir" && env "$@" ctest --output-on-failure --no-tests=error -j "$JOBS")
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
  configure build -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF -DVELMORA_SANITIZE=OFF
  cmake --build build -j "$JOBS" --target velmora-host
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
  (cd build-test && rm -f velmora-*.tar.gz velmora_*.deb && cpack -G "TGZ;DEB" >/dev/null)
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
  PACKAGES+=("${FUZZ_PACKAGES[@]}" "${VALGRIND_PACKAGES[@]}")
  install_packages
  configure build-test -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON -DVELMORA_SANITIZE=OFF
  cmake --build build-test -j "$JOBS"
  run_tests build-test
  check_packages
  configure build-sanitize -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF -DVELMORA_SANITIZE=ON
  cmake --build build-sanitize -j "$JOBS"
  run_tests build-sanitize ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  check_memory_and_fuzz
}

# The library-file reader's tests under memcheck as well (it sees a read just
# outside a buffer even where GCC's inlined compares hide it from ASan), then
# every fuzz target briefly.
check_memory_and_fuzz() {
  tools/valgrind.sh '*LibraryFile*'
  tools/fuzz.sh "$FUZZ_TEST_SECONDS"
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
  *)
    echo "usage: ./build.sh run [context|automation] [host options] | ./build.sh test" \
         "| ./build.sh fuzz [SECONDS] [TARGET...] | ./build.sh valgrind [GTEST_FILTER]" >&2
    exit 64
    ;;
esac
