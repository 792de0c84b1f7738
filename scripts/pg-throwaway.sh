#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests and benchmarks, in a folder of its own.
#
#   pg-throwaway.sh start DIR     makes a cluster in DIR/data (when missing), starts it on a Unix
#                                 socket in DIR only (no TCP) and prints its connection URI
#   pg-throwaway.sh stop DIR      stops it (fast: open sessions are ended)
#   pg-throwaway.sh restart DIR   stops and starts it again (a server restart seen by clients)
#
# The server refuses to run as root, so as root the cluster is made and run as nobody, in a DIR
# owned by nobody. The binaries come from $MELODEX_PG_BINDIR, else the newest
# /usr/lib/postgresql/*/bin. Exit status 77 (with the reason on standard error) when PostgreSQL
# is not installed, so that callers can skip.
set -euo pipefail

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop|restart DIR" >&2
    exit 2
fi

bindir=${MELODEX_PG_BINDIR:-}
if [ -z "$bindir" ]; then
    for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V); do
        [ -x "$d/initdb" ] && bindir=$d
    done
fi
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ] || [ ! -x "$bindir/pg_ctl" ]; then
    echo "PostgreSQL server programs not found (install postgresql or set MELODEX_PG_BINDIR)" >&2
    exit 77
fi

dir=$(cd "$dir" && pwd)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$dir"
    as_owner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    if ! "${as_owner[@]}" test -w "$dir"; then
        echo "$dir cannot be reached by user nobody (a folder above it is private)" >&2
        exit 1
    fi
fi
run() { "${as_owner[@]}" env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8 "$@"; }

start() {
    if [ ! -f "$dir/data/PG_VERSION" ]; then
        run "$bindir/initdb" -D "$dir/data" -A trust -U melodex -E UTF8 --locale=C.UTF-8 \
            --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    run "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -c listen_addresses= -c fsync=off -c full_page_writes=off" start \
        >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    echo "postgresql:///postgres?host=$dir&user=melodex"
}

stop() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        run "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
    fi
}

case "$cmd" in
start) start ;;
stop) stop ;;
restart) stop; start ;;
*) echo "usage: $0 start|stop|restart DIR" >&2; exit 2 ;;
esac
