#!/usr/bin/env bash
# Runs the ODBC benchmark (odbc_bench) against a throwaway PostgreSQL server
# of its own, removed again afterwards.
#   bench/odbc_bench.sh [BUILD_DIR] [benchmark options]   BUILD_DIR defaults to build-test
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
shift || true
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON >/dev/null
cmake --build "$build" --target odbc_bench >/dev/null
server=$(mktemp -d)/postgres
chmod 755 "$(dirname "$server")"  # the server may run as another user (postgres, when this is root)
trap 'tools/postgres.sh stop "$server"; rmdir "$(dirname "$server")"' EXIT
tools/postgres.sh start "$server"
VELMORA_BENCH_ODBC=$(cat "$server/connection") "$build/bin/odbc_bench" "$@"
