#!/usr/bin/env bash
# A throwaway PostgreSQL cluster with PostGIS for the tests and benchmarks.
#
#   scripts/test-database.sh start STATE_DIR   start a new cluster (stopping one an earlier run left behind) and
#                                              write its GDAL connection string to STATE_DIR/connection
#   scripts/test-database.sh stop STATE_DIR    stop the cluster and remove its files
#
# The cluster lives in a new folder under /tmp (short enough for the 107-byte limit on socket paths), listens on
# that folder's Unix socket only (no TCP) and trusts every connection that can reach it: the folder is open to its
# owner only. Its database `chronova` has the postgis extension; the superuser is `postgres`. The server refuses
# to run as root, so root runs it as the `postgres` system user that Debian's postgresql package makes; anyone
# else runs it as themselves. STATE_DIR/cluster names the folder, which lets `stop`, or the next `start`, find it.
# PostgreSQL's programs come from CHRONOVA_POSTGRES_BIN, else Debian's /usr/lib/postgresql/15/bin.
set -euo pipefail

bin=${CHRONOVA_POSTGRES_BIN:-/usr/lib/postgresql/15/bin}
port=5432 # every cluster has its own socket folder, so two of them never share a socket
database=chronova
folder_prefix=/tmp/chronova-pg.

usage() {
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action=$1
state=$2
mkdir -p "$state"
state=$(cd "$state" && pwd)

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || {
        echo "$0: run as root, the server needs the postgres system user (Debian's postgresql-15 makes it)" >&2
        exit 1
    }
    as_owner=(runuser -u postgres --)
fi

remove_cluster() { # folder
    # Immediate: the data is thrown away, so there is nothing to write back first.
    if [ -f "$1/data/postmaster.pid" ]; then
        "${as_owner[@]}" "$bin/pg_ctl" -D "$1/data" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
    fi
    rm -rf "$1"
}

stop_cluster() {
    local folder
    [ -f "$state/cluster" ] || return 0
    folder=$(cat "$state/cluster")
    # Only a folder this script made is removed.
    case "$folder" in
    "$folder_prefix"??????) remove_cluster "$folder" ;;
    *) echo "$0: $state/cluster names $folder, not a cluster folder; left alone" >&2 ;;
    esac
    rm -f "$state/cluster" "$state/connection"
}

# A cluster whose state folder no longer names it (the build folder was deleted while it ran) has no one left to
# stop it. Each cluster folder names its state folder only after that names the cluster, so a cluster another
# build is starting right now is never taken for one.
remove_orphans() {
    local folder owner
    for folder in "$folder_prefix"??????; do
        if [ -f "$folder/state" ] && [ -O "$folder/state" ]; then
            owner=$(cat "$folder/state")
            [ "$(cat "$owner/cluster" 2>/dev/null)" = "$folder" ] || remove_cluster "$folder"
        fi
    done
}

start_cluster() {
    stop_cluster
    remove_orphans
    local folder
    folder=$(mktemp -d "${folder_prefix}XXXXXX")
    echo "$folder" >"$state/cluster"
    echo "$state" >"$folder/state"
    # The server trusts every connection that reaches its socket, so the folder stays closed to other users (mktemp
    # makes it 700): the tests run as its owner, or as root, who runs the server as postgres and gives the folder
    # to that user.
    cd "$folder" # the server's user may not be allowed into the caller's folder
    [ ${#as_owner[@]} -eq 0 ] || chown postgres: "$folder"
    if ! "${as_owner[@]}" "$bin/initdb" -D "$folder/data" -U postgres --auth=trust --encoding=UTF8 --locale=C \
        --no-sync >"$folder/initdb.log" 2>&1; then
        cat "$folder/initdb.log" >&2
        echo "$0: initdb failed" >&2
        stop_cluster
        return 1
    fi
    # Nothing here has to survive a crash, so the server skips the disk flushes that make loading slow.
    local options="-c listen_addresses='' -k $folder -p $port -c fsync=off -c synchronous_commit=off"
    options+=" -c full_page_writes=off -c max_wal_size=4GB"
    if ! "${as_owner[@]}" "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -o "$options" -w -t 60 \
        start >/dev/null; then
        cat "$folder/server.log" >&2
        echo "$0: the server did not start" >&2
        stop_cluster
        return 1
    fi
    local psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$folder" -p "$port" -U postgres)
    if ! "${psql[@]}" -d postgres -c "CREATE DATABASE $database" ||
        ! "${psql[@]}" -d "$database" -c "CREATE EXTENSION postgis"; then
        echo "$0: cannot create the database $database with postgis" >&2
        stop_cluster
        return 1
    fi
    local connection="PG:host=$folder port=$port dbname=$database user=postgres"
    echo "$connection" >"$state/connection.new"
    mv "$state/connection.new" "$state/connection"
    echo "$connection"
}

case "$action" in
start) start_cluster ;;
stop) stop_cluster ;;
*) usage ;;
esac
