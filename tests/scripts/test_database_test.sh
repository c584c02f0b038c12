#!/usr/bin/env bash
# The tests' throwaway PostgreSQL cluster: a start leaves a reachable server with PostGIS; starting again replaces
# the cluster an earlier run left behind; a cluster whose build folder is gone is removed by the next start while
# another build's cluster is kept; stop leaves no server and no files; a state file naming a folder the script
# did not make never gets that folder removed.
set -euo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/test-database.sh
psql=/usr/lib/postgresql/15/bin/psql
work=$(mktemp -d)
trap '"$script" stop "$work/a" >/dev/null 2>&1 || true; "$script" stop "$work/b" >/dev/null 2>&1 || true
      "$script" stop "$work/c" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
cluster_of() { cat "$1/cluster"; }
# The server of a cluster folder runs while a process of that id still has the folder's data in its command line.
server_of() { head -n 1 "$1/data/postmaster.pid"; }
running() { # folder pid
    [ -r "/proc/$2/cmdline" ] && tr '\0' ' ' <"/proc/$2/cmdline" | grep -qF -- "-D $1/data"
}
query() { # connection-file sql
    local host
    host=$(sed -n 's/.*host=\([^ ]*\).*/\1/p' "$1")
    "$psql" -X -A -t -h "$host" -p 5432 -U postgres -d chronova -c "$2"
}

"$script" start "$work/a" >/dev/null
first=$(cluster_of "$work/a")
first_server=$(server_of "$first")
[ "$(cat "$work/a/connection")" = "PG:host=$first port=5432 dbname=chronova user=postgres" ] ||
    fail "connection file: $(cat "$work/a/connection")"
[ "$(query "$work/a/connection" "SELECT ST_AsText(ST_MakePoint(3, 4))")" = "POINT(3 4)" ] || fail "no PostGIS"
# Unix socket only: the server listens on no TCP port.
[ -z "$(query "$work/a/connection" "SHOW listen_addresses")" ] || fail "listens on TCP"

"$script" start "$work/a" >/dev/null
second=$(cluster_of "$work/a")
second_server=$(server_of "$second")
[ "$second" != "$first" ] || fail "the second start reused $first"
[ ! -e "$first" ] || fail "the earlier cluster's folder $first is left"
running "$first" "$first_server" && fail "the earlier cluster still runs"
running "$second" "$second_server" || fail "the new cluster does not run"

"$script" start "$work/b" >/dev/null
kept=$(cluster_of "$work/b")
kept_server=$(server_of "$kept")
rm -rf "$work/a"
"$script" start "$work/c" >/dev/null
[ ! -e "$second" ] || fail "the cluster of a deleted state folder was left in $second"
running "$second" "$second_server" && fail "the cluster of a deleted state folder still runs"
running "$kept" "$kept_server" || fail "another build's cluster was stopped"

"$script" stop "$work/b"
"$script" stop "$work/c"
[ ! -e "$kept" ] || fail "stop left $kept"
running "$kept" "$kept_server" && fail "stop left the server running"
[ ! -e "$work/b/connection" ] || fail "stop left the connection file"

mkdir -p "$work/d" "$work/precious"
echo "$work/precious" >"$work/d/cluster"
"$script" stop "$work/d" 2>/dev/null
[ -d "$work/precious" ] || fail "stop removed a folder it did not make"
echo "test database script: all checks passed"
