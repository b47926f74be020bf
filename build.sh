#!/usr/bin/env bash
# Velmora's two set-up commands:
#   ./build.sh run [context|automation] [host options]   build, then show the dialog in the reference host
#   ./build.sh test                                      build, then run every test, also under sanitizers
# Both install the Debian packages they need first.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libssl-dev sqlite3)
JOBS=$(nproc 2>/dev/null || echo 2)

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

build() {  # build <dir> [cmake options]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

case "${1:-}" in
  run)
    shift
    edition=context
    if [ "${1:-}" = context ] || [ "${1:-}" = automation ]; then edition=$1; shift; fi
    install_packages
    build build -DVELMORA_TESTS=OFF
    host=build/bin/velmora-host
    if [ $# -eq 0 ] && ! [ -t 0 ]; then
      echo "No terminal: running a scripted demo (old password demo, new password demo)."
      set -- --do show --do "type demo" --do "key Enter" --do "type demo" --do "key Enter" --do "type demo" --do "key Enter"
    fi
    exec "$host" --edition "$edition" "$@" "build/$edition/Velmora.so"
    ;;
  test)
    install_packages
    build build
    (cd build && ctest --output-on-failure -j "$JOBS")
    build build-sanitize -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF
    (cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --output-on-failure -j "$JOBS")
    ;;
  *)
    echo "usage: ./build.sh run [context|automation] [host options] | ./build.sh test" >&2
    exit 64
    ;;
esac
