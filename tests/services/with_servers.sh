#!/usr/bin/env bash
# Usage: tests/services/with_servers.sh CMD [ARGS...]
#
# Runs CMD with a throwaway PostgreSQL cluster and a throwaway MariaDB server, both loaded
# with the Sakila schema (see load_sakila.sh), plus a Sakila SQLite file. Each server keeps
# its data in a fresh temporary folder, listens on 127.0.0.1 only, on a free port, with its
# unix socket inside that folder, so it never meets a system service or another run.
# Both servers are stopped and the folders removed when CMD ends, fails or is interrupted;
# the exit status is CMD's.
#
# Variables CMD sees (a group is missing when its server could not start; tests then skip,
# or fail under CI=true):
#   KEL_TEST_SERVERS=1
#   KEL_TEST_PG_HOST, KEL_TEST_PG_PORT, KEL_TEST_PG_USER (superuser "postgres", trust auth),
#   KEL_TEST_PG_BIN (PostgreSQL bin folder), KEL_TEST_PG_PGDATA (data folder)
#   KEL_TEST_MYSQL_HOST, KEL_TEST_MYSQL_PORT, KEL_TEST_MYSQL_USER, KEL_TEST_MYSQL_PWD,
#   KEL_TEST_MYSQL_SOCKET (root logs in over this socket only)
#   KEL_TEST_SAKILA_PG_DB, KEL_TEST_SAKILA_MYSQL_DB, KEL_TEST_SAKILA_SQLITE (file path):
#   set only when the Sakila fixtures were found and loaded.
#
# The PostgreSQL server is shared by every test of the run, so prefer not stopping it. A
# test that must lose the server mid-read can, as root:
#   runuser -u postgres -- "$KEL_TEST_PG_BIN/pg_ctl" -D "$KEL_TEST_PG_PGDATA" stop -m immediate
#   (or: su postgres -c "$KEL_TEST_PG_BIN/pg_ctl -D $KEL_TEST_PG_PGDATA stop -m immediate")
# and bring it back on the same port with the same command and `-w start`: port and
# sockets are written into the cluster's postgresql.conf for that reason.
set -uo pipefail   # no -e: a server that fails to start must not keep CMD from running

[ $# -gt 0 ] || { echo "usage: $0 CMD [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
log() { echo "with_servers: $*" >&2; }
# The kernel picks an unused port; another process taking it first shows as a clear start failure.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# PostgreSQL refuses to run as root, so its tools run as the postgres user.
as_postgres() { if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

PG_BIN=${KEL_TEST_PG_BIN:-/usr/lib/postgresql/15/bin}
PG_TMP="" MY_TMP="" SQ_TMP="" MY_PID="" CMD_PID=""

# shellcheck disable=SC2317  # cleanup and on_signal run from traps
cleanup() {
  # pg_ctl leaves postmaster.pid while a server runs; a test may already have stopped it.
  if [ -n "$PG_TMP" ] && [ -f "$PG_TMP/data/postmaster.pid" ]; then
    as_postgres "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -m fast -w -t 20 stop >/dev/null 2>&1 ||
      as_postgres "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -m immediate -w -t 10 stop >/dev/null 2>&1
  fi
  if [ -n "$MY_PID" ] && kill -0 "$MY_PID" 2>/dev/null; then
    mariadb-admin --no-defaults -S "$MY_TMP/mysqld.sock" -uroot shutdown >/dev/null 2>&1 || kill "$MY_PID" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$MY_PID" 2>/dev/null || break; sleep 0.2; done
    kill -9 "$MY_PID" 2>/dev/null; wait "$MY_PID" 2>/dev/null
  fi
  rm -rf "$PG_TMP" "$MY_TMP" "$SQ_TMP"
}
# CMD runs in the background so that a signal reaches this script at once; background commands
# of a non-interactive shell ignore SIGINT, so CMD is asked to stop with SIGTERM, then the EXIT
# trap stops the servers.
# shellcheck disable=SC2317
on_signal() { trap - INT TERM; [ -n "$CMD_PID" ] && kill -TERM "$CMD_PID" 2>/dev/null && wait "$CMD_PID" 2>/dev/null; exit "$1"; }
trap cleanup EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM

start_postgres() {
  [ -x "$PG_BIN/initdb" ] || { log "PostgreSQL: no initdb in $PG_BIN"; return 1; }
  # A private TMPDIR (mode 700, owned by root) would hide the folder from the postgres user.
  PG_TMP=$(mktemp -d -t kel-pg.XXXXXX) && { [ "$(id -u)" -ne 0 ] || chown postgres: "$PG_TMP"; } || return 1
  if ! as_postgres test -w "$PG_TMP"; then rm -rf "$PG_TMP"; PG_TMP=$(mktemp -d /tmp/kel-pg.XXXXXX) && chown postgres: "$PG_TMP" || return 1; fi
  PG_PORT=$(free_port) || return 1
  # --no-locale: the C locale exists everywhere, whatever LANG the caller has.
  as_postgres "$PG_BIN/initdb" -D "$PG_TMP/data" -A trust -U postgres -E UTF8 --no-locale --no-sync >"$PG_TMP/initdb.log" 2>&1 ||
    { log "PostgreSQL: initdb failed:"; cat "$PG_TMP/initdb.log" >&2; return 1; }
  # Settings go into postgresql.conf (not pg_ctl -o) so a test can restart the server as is; the
  # data is thrown away afterwards, so durability is traded for speed.
  printf '%s\n' "port = $PG_PORT" "listen_addresses = '127.0.0.1'" "unix_socket_directories = '$PG_TMP'" \
    "fsync = off" "synchronous_commit = off" "full_page_writes = off" >>"$PG_TMP/data/postgresql.conf"
  as_postgres "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -l "$PG_TMP/server.log" -w -t 30 start >/dev/null 2>&1 ||
    { log "PostgreSQL: server did not start:"; tail -n 20 "$PG_TMP/server.log" >&2; return 1; }
  # ODBC connects over TCP, so check exactly that path.
  "$PG_BIN/psql" -X -h 127.0.0.1 -p "$PG_PORT" -U postgres -d postgres -Atqc 'SELECT 1' >/dev/null ||
    { log "PostgreSQL: running but refuses TCP logins on 127.0.0.1:$PG_PORT"; return 1; }
}

start_mariadb() {
  MY_TMP=$(mktemp -d -t kel-mariadb.XXXXXX) && MY_PORT=$(free_port) || return 1
  local sock=$MY_TMP/mysqld.sock ready=""
  # --no-defaults everywhere: the system my.cnf points at /var/lib/mysql and /run/mysqld.
  mariadb-install-db --no-defaults --user="$(id -un)" --datadir="$MY_TMP/data" --auth-root-authentication-method=socket \
    --skip-test-db >"$MY_TMP/install.log" 2>&1 || { log "MariaDB: mariadb-install-db failed:"; tail -n 20 "$MY_TMP/install.log" >&2; return 1; }
  # No redo-log flush at each commit (the data is thrown away); start-up warnings go to its log.
  # Its temporary files (information_schema results of thousands of tables) stay in its own
  # folder: one such file removed from the shared /tmp by something else failed a read.
  mkdir -p "$MY_TMP/tmp"
  mariadbd --no-defaults --user="$(id -un)" --datadir="$MY_TMP/data" --tmpdir="$MY_TMP/tmp" --port="$MY_PORT" \
    --bind-address=127.0.0.1 --socket="$sock" --pid-file="$MY_TMP/mariadbd.pid" --log-error="$MY_TMP/error.log" \
    --innodb-flush-log-at-trx-commit=0 </dev/null >>"$MY_TMP/error.log" 2>&1 &
  MY_PID=$!
  for _ in $(seq 120); do   # up to ~60 s: a busy machine starts it slowly
    kill -0 "$MY_PID" 2>/dev/null || break
    if mariadb-admin --no-defaults -S "$sock" -uroot ping >/dev/null 2>&1; then ready=1; break; fi
    sleep 0.5
  done
  [ -n "$ready" ] || { log "MariaDB: server did not become ready:"; tail -n 20 "$MY_TMP/error.log" >&2; return 1; }
  # root authenticates by unix socket only; ODBC needs a user that may log in over TCP.
  mariadb --no-defaults -S "$sock" -uroot -e "CREATE USER 'kel'@'%' IDENTIFIED BY 'kel'; GRANT ALL ON *.* TO 'kel'@'%' WITH GRANT OPTION;
      CREATE USER 'kel'@'localhost' IDENTIFIED BY 'kel'; GRANT ALL ON *.* TO 'kel'@'localhost' WITH GRANT OPTION;" ||
    { log "MariaDB: could not create the test user"; return 1; }
  mariadb --no-defaults --protocol=TCP -h 127.0.0.1 -P "$MY_PORT" -ukel -pkel -e 'SELECT 1' >/dev/null ||
    { log "MariaDB: running but refuses TCP logins on 127.0.0.1:$MY_PORT"; return 1; }
}

started=$SECONDS
export KEL_TEST_SERVERS=1
if start_postgres; then
  export KEL_TEST_PG_HOST=127.0.0.1 KEL_TEST_PG_PORT=$PG_PORT KEL_TEST_PG_USER=postgres KEL_TEST_PG_BIN=$PG_BIN KEL_TEST_PG_PGDATA=$PG_TMP/data
  log "PostgreSQL ready on 127.0.0.1:$PG_PORT"
else
  log "PostgreSQL could not start; running without the KEL_TEST_PG_* variables"
fi
if start_mariadb; then
  export KEL_TEST_MYSQL_HOST=127.0.0.1 KEL_TEST_MYSQL_PORT=$MY_PORT KEL_TEST_MYSQL_USER=kel KEL_TEST_MYSQL_PWD=kel KEL_TEST_MYSQL_SOCKET=$MY_TMP/mysqld.sock
  log "MariaDB ready on 127.0.0.1:$MY_PORT"
else
  log "MariaDB could not start; running without the KEL_TEST_MYSQL_* variables"
fi

# The loader fills the engines that are up; its status 2 (fixtures missing) sets no KEL_TEST_SAKILA_* variable.
SQ_TMP=$(mktemp -d -t kel-sqlite.XXXXXX)
KEL_TEST_SAKILA_SQLITE=$SQ_TMP/sakila.db "$here/load_sakila.sh"
load_rc=$?
if [ "$load_rc" -ne 2 ]; then
  [ "$load_rc" -eq 0 ] || log "the Sakila loader reported problems (status $load_rc), see above"
  [ -z "${KEL_TEST_PG_PORT:-}" ] || export KEL_TEST_SAKILA_PG_DB=sakila
  [ -z "${KEL_TEST_MYSQL_PORT:-}" ] || export KEL_TEST_SAKILA_MYSQL_DB=sakila
  [ ! -s "$SQ_TMP/sakila.db" ] || export KEL_TEST_SAKILA_SQLITE=$SQ_TMP/sakila.db
fi
log "servers started and loaded in $((SECONDS - started)) s; running: $*"

# <&0: keep the caller's stdin, which a background command would otherwise lose.
"$@" <&0 &
CMD_PID=$!
wait "$CMD_PID"
status=$?
CMD_PID=""
exit "$status"
