#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL cluster for the tests, on a free
# local port, owned by the unprivileged user "postgres" when run as root.
#   scripts/pg-test-server.sh start DIR   -> prints the KORVEL_TEST_PG value
#   scripts/pg-test-server.sh stop DIR
set -euo pipefail
action="$1"; dir="$2"
PGBIN="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
[ -x "$PGBIN/initdb" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
  start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres:postgres "$dir"
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
    as_owner "$PGBIN/initdb" -D "$dir/data" -U korvel --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    as_owner "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
    as_owner "$PGBIN/createdb" -h 127.0.0.1 -p "$port" -U korvel korvel_test
    echo "host=127.0.0.1 port=$port dbname=korvel_test user=korvel"
    ;;
  stop)
    [ -d "$dir/data" ] && as_owner "$PGBIN/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
