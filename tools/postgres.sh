#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests and benchmarks, reached through a
# socket in its own folder only (no TCP port), so that runs side by side
# never collide.
#   tools/postgres.sh start DIR   makes DIR, starts a server there with the
#                                 host's tables and demo users in database
#                                 "velmora", and writes the ODBC connection
#                                 string to DIR/connection
#   tools/postgres.sh stop DIR    stops it and removes DIR
# As root the server runs as the user postgres (initdb refuses root).
set -euo pipefail

command=${1:-}
dir=${2:-}
if [ -z "$dir" ] || { [ "$command" != start ] && [ "$command" != stop ]; }; then
  echo "usage: tools/postgres.sh start|stop DIR" >&2
  exit 64
fi
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "no PostgreSQL server installed (package postgresql)" >&2; exit 1; }
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# Stops a server running in the folder and removes the folder.
remove() {
  if [ -f "$dir/data/postmaster.pid" ]; then as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null || true; fi
  rm -rf "$dir"
}

if [ "$command" = stop ]; then
  remove
  exit 0
fi

remove  # a server an interrupted run left there
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
[ "$(id -u)" -eq 0 ] && chown postgres "$dir"
log=$dir/server.log
if ! as_owner "$bin/initdb" -D "$dir/data" -U velmora -A trust -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1; then
  cat "$dir/initdb.log" >&2
  exit 1
fi
options="-c listen_addresses='' -c unix_socket_directories=$dir -c fsync=off -c synchronous_commit=off"
options+=" -c full_page_writes=off -p 5432"
if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$log" -w -o "$options" start >/dev/null; then
  cat "$log" >&2
  exit 1
fi
psql() { "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p 5432 -U velmora "$@"; }
psql -d postgres -c "CREATE DATABASE velmora ENCODING 'UTF8' TEMPLATE template0" >/dev/null
psql -d velmora -f "$(dirname "$0")/../docs/schema-postgresql.sql" >/dev/null
echo "Driver={PostgreSQL Unicode};Server=$dir;Port=5432;Database=velmora;Uid=velmora;Pwd=velmora" >"$dir/connection"
version=$("$bin/postgres" --version | awk '{print $3}')
echo "PostgreSQL $version in $dir"
