#!/usr/bin/env bash
# Usage: bench/run.sh [N]            (default N=4000: N and N/2 tables)
#        bench/run.sh --memory [N]   (default N=10000: PostgreSQL, 1, N/2 and N tables)
#
# Benchmark of whole imports; not part of the test suite, it prints figures and judges nothing
# (its exit status says only whether it could run).
#
# Builds an N-table and an N/2-table schema in PostgreSQL, in MariaDB and in SQLite files
# (bench/make_schema.py: serial / auto-increment key, eight more columns with defaults, comments
# where the engine has them, a foreign key to the previous table). For each engine and size it
# runs the host program's headless import into a new project (kelmar --import KelOdbcImport: the
# reader, the generic importer, the project written) and the engine's own schema dump (pg_dump
# --schema-only, mariadb-dump --no-data, sqlite3 .schema), locally and through bench/delay_proxy.py,
# which holds every packet so that each round trip costs BENCH_DELAY_MS (default 2) more, and
# counts the round trips of each (a run through the proxy without delay). Also the reader alone
# (bench_readers), for its CPU time.
#
# --memory: the host import's peak memory and time on 1, N/2 and N PostgreSQL tables, and the
# memory each table adds.
#
# Servers: uses those of the environment when KEL_TEST_PG_PORT / KEL_TEST_MYSQL_PORT are set,
# otherwise starts throwaway ones through tests/services/with_servers.sh.
# Build: BENCH_BUILD_DIR (default: build/ of the repository) gets kelmar, the plug-in and
# bench_readers built with -j2; BENCH_NO_BUILD=1 uses them as they are.
set -uo pipefail
export LC_ALL=C

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
MEMORY=
if [ "${1:-}" = --memory ]; then MEMORY=1; shift; fi
N=${1:-$([ -n "$MEMORY" ] && echo 10000 || echo 4000)}
case "$N" in ''|*[!0-9]*) echo "usage: $0 [--memory] [N]  (N: number of tables, at least 2)" >&2; exit 2 ;; esac
[ "$N" -ge 2 ] || { echo "N must be at least 2" >&2; exit 2; }
HALF=$((N / 2))
DELAY=${BENCH_DELAY_MS:-2}
BUILD_DIR=${BENCH_BUILD_DIR:-$repo/build}
BENCH=$BUILD_DIR/bin/bench_readers
KELMAR=$BUILD_DIR/bin/kelmar

log() { echo "bench: $*" >&2; }

if [ -z "${BENCH_NO_BUILD:-}" ]; then
  log "building in $BUILD_DIR"
  cmake -S "$repo" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || { log "cmake configure failed"; exit 1; }
  cmake --build "$BUILD_DIR" --target kelmar KelOdbcImport bench_readers -j2 >/dev/null || { log "build failed"; exit 1; }
fi
[ -x "$BENCH" ] && [ -x "$KELMAR" ] || { log "no $BENCH or $KELMAR"; exit 1; }

if [ -z "${KEL_TEST_PG_PORT:-}" ] && [ -z "${KEL_TEST_MYSQL_PORT:-}" ]; then
  [ -z "${BENCH_IN_SERVERS:-}" ] || { log "the servers did not start"; exit 1; }
  BENCH_IN_SERVERS=1 BENCH_NO_BUILD=1 BENCH_BUILD_DIR=$BUILD_DIR exec "$repo/tests/services/with_servers.sh" "$0" ${MEMORY:+--memory} "$N"
fi

TMP=$(mktemp -d -t kel-bench.XXXXXX)
PROXY_PID=
trap '[ -z "$PROXY_PID" ] || kill "$PROXY_PID" 2>/dev/null; rm -rf "$TMP"' EXIT
started=$SECONDS

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

# runs CMD; sets T_WALL, T_CPU (s) and T_RSS (MB); CMD's output is dropped
timed() {
  local f=$TMP/time.txt
  /usr/bin/time -f "%e %U %S %M" -o "$f" "$@" >/dev/null 2>"$TMP/cmd.err" || { log "failed: $*"; tail -n 5 "$TMP/cmd.err" >&2; return 1; }
  read -r T_WALL u s k <"$f"
  T_CPU=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')
  T_RSS=$(awk -v k="$k" 'BEGIN { printf "%.1f", k / 1024 }')
}

# the delaying proxy in front of 127.0.0.1:TARGET, ROUND_TRIP_MS more per round trip; sets PROXY_PORT
proxy_start() {   # target round_trip_ms
  PROXY_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  : >"$TMP/trips.txt"
  python3 "$here/delay_proxy.py" "$PROXY_PORT" "$1" "$2" "$TMP/trips.txt" &
  PROXY_PID=$!
  for _ in $(seq 50); do (: </dev/tcp/127.0.0.1/"$PROXY_PORT") 2>/dev/null && return 0; sleep 0.1; done
  log "the proxy did not start"; return 1
}
# stops the proxy; prints the round trips it counted (every connection, the probe's none)
proxy_stop() {
  kill "$PROXY_PID"; wait "$PROXY_PID" 2>/dev/null; PROXY_PID=
  awk '{ s += $1 } END { print s + 0 }' "$TMP/trips.txt"
}

# the headless host import into a new project
host_import() {   # type dsn
  rm -f "$TMP/project.kelmar"
  timed env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$KELMAR" --project "$TMP/project.kelmar" --import KelOdbcImport \
    "--KelOdbcImport_dsn=$2" "--KelOdbcImport_db_type=$1"
}

declare -A R   # results: R[engine,n,what]
ENGINES=()

# engine n type dsn-with-%PORT% port dump-command-with-%PORT%
measure() {
  local e=$1 n=$2 type=$3 dsn=$4 port=$5 dump=$6
  "$BENCH" "$type" "${dsn//%PORT%/$port}" >"$TMP/reader.txt" 2>&1 || log "$e reader on $n tables failed: $(tail -n 2 "$TMP/reader.txt")"
  R[$e,$n,reader_wall]=$(sed -n 's/^wall_s=//p' "$TMP/reader.txt"); R[$e,$n,reader_cpu]=$(sed -n 's/^cpu_s=//p' "$TMP/reader.txt")
  R[$e,$n,tables]=$(sed -n 's/^tables=//p' "$TMP/reader.txt")
  host_import "$type" "${dsn//%PORT%/$port}" || return 1
  R[$e,$n,wall]=$T_WALL; R[$e,$n,cpu]=$T_CPU; R[$e,$n,rss]=$T_RSS
  timed bash -c "${dump//%PORT%/$port}" || return 1
  R[$e,$n,dump]=$T_WALL
  [ -n "$port" ] || return 0
  proxy_start "$port" 0 || return 1
  host_import "$type" "${dsn//%PORT%/$PROXY_PORT}" || return 1
  R[$e,$n,trips]=$(proxy_stop)
  proxy_start "$port" 0 || return 1
  timed bash -c "${dump//%PORT%/$PROXY_PORT}" || return 1
  R[$e,$n,dump_trips]=$(proxy_stop)
  proxy_start "$port" "$DELAY" || return 1
  host_import "$type" "${dsn//%PORT%/$PROXY_PORT}" || return 1
  R[$e,$n,far]=$T_WALL; proxy_stop >/dev/null
  proxy_start "$port" "$DELAY" || return 1
  timed bash -c "${dump//%PORT%/$PROXY_PORT}" || return 1
  R[$e,$n,dump_far]=$T_WALL; proxy_stop >/dev/null
  echo "  import ${R[$e,$n,wall]} s (CPU ${R[$e,$n,cpu]} s, peak ${R[$e,$n,rss]} MB, ${R[$e,$n,trips]} round trips), dump ${R[$e,$n,dump]} s" \
       "(${R[$e,$n,dump_trips]} round trips); +$DELAY ms per round trip: import ${R[$e,$n,far]} s, dump ${R[$e,$n,dump_far]} s"
}

PG_BIN=${KEL_TEST_PG_BIN:-/usr/lib/postgresql/15/bin}
pg() { "$PG_BIN/psql" -X -h 127.0.0.1 -p "$KEL_TEST_PG_PORT" -U "$KEL_TEST_PG_USER" "$@"; }
pg_schema() {   # n db
  pg -d postgres -q -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS $2" -c "CREATE DATABASE $2" >/dev/null || return 1
  python3 "$here/make_schema.py" postgresql "$1" >"$TMP/pg.sql"
  # make_schema.py commits every few hundred tables: one transaction would run out of locks
  pg -d "$2" -q -v ON_ERROR_STOP=1 -f "$TMP/pg.sql" >/dev/null && pg -d "$2" -qc "ANALYZE" >/dev/null
}
PG_DSN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%PORT%;Database=%DB%;Uid=${KEL_TEST_PG_USER:-}"

bench_postgresql() {
  local n=$1 db=bench_$1
  echo "== PostgreSQL, $n tables =="
  pg_schema "$n" "$db" || return 1
  measure pg "$n" 1 "${PG_DSN//%DB%/$db}" "$KEL_TEST_PG_PORT" \
    "'$PG_BIN/pg_dump' -h 127.0.0.1 -p %PORT% -U '$KEL_TEST_PG_USER' --schema-only -d $db -f /dev/null"
}

bench_mariadb() {
  local n=$1 db=bench_$1
  local conn="--no-defaults --protocol=TCP -h 127.0.0.1 -u $KEL_TEST_MYSQL_USER -p$KEL_TEST_MYSQL_PWD"
  echo "== MariaDB, $n tables =="
  mariadb $conn -P "$KEL_TEST_MYSQL_PORT" -e "DROP DATABASE IF EXISTS $db; CREATE DATABASE $db" || return 1
  python3 "$here/make_schema.py" mariadb "$n" | mariadb $conn -P "$KEL_TEST_MYSQL_PORT" "$db" || return 1
  measure my "$n" 2 "Driver={MariaDB Unicode};Server=127.0.0.1;Port=%PORT%;Database=$db;Uid=$KEL_TEST_MYSQL_USER;Pwd=$KEL_TEST_MYSQL_PWD" \
    "$KEL_TEST_MYSQL_PORT" "mariadb-dump $conn -P %PORT% --no-data $db >/dev/null"
}

bench_sqlite() {
  local n=$1 file=$TMP/bench_$1.db
  echo "== SQLite, $n tables =="
  python3 "$here/make_schema.py" sqlite "$n" | sqlite3 "$file" || return 1
  measure sq "$n" 5 "Driver=SQLite3;Database=$file" "" "sqlite3 '$file' .schema"
}

if [ -n "$MEMORY" ]; then
  [ -n "${KEL_TEST_PG_PORT:-}" ] || { log "no PostgreSQL server"; exit 1; }
  echo "Whole host import on PostgreSQL: peak memory and time by number of tables"
  for n in 1 "$HALF" "$N"; do
    pg_schema "$n" "bench_mem_$n" || exit 1
    host_import 1 "$(dsn=${PG_DSN//%DB%/bench_mem_$n}; echo "${dsn//%PORT%/$KEL_TEST_PG_PORT}")" || exit 1
    R[$n,wall]=$T_WALL; R[$n,rss]=$T_RSS
    echo "  $n tables: $T_WALL s, CPU $T_CPU s, peak $T_RSS MB"
  done
  echo "  per table over 1 table: $(awk -v a="${R[$N,rss]}" -v b="${R[1,rss]}" -v n="$N" 'BEGIN { printf "%.1f", (a - b) * 1024 / (n - 1) }') KB at $N tables," \
       "$(awk -v a="${R[$HALF,rss]}" -v b="${R[1,rss]}" -v n="$HALF" 'BEGIN { printf "%.1f", (a - b) * 1024 / (n - 1) }') KB at $HALF"
  echo "  time, $N tables against $HALF: $(ratio "${R[$N,wall]}" "${R[$HALF,wall]}")x"
  exit 0
fi

status=0
if [ -n "${KEL_TEST_PG_PORT:-}" ]; then
  ENGINES+=(pg)
  for n in "$HALF" "$N"; do bench_postgresql "$n" || { log "PostgreSQL benchmark on $n tables failed"; status=1; }; done
else
  log "no PostgreSQL server: skipped"
fi
if [ -n "${KEL_TEST_MYSQL_PORT:-}" ]; then
  ENGINES+=(my)
  for n in "$HALF" "$N"; do bench_mariadb "$n" || { log "MariaDB benchmark on $n tables failed"; status=1; }; done
else
  log "no MariaDB server: skipped"
fi
ENGINES+=(sq)
for n in "$HALF" "$N"; do bench_sqlite "$n" || { log "SQLite benchmark on $n tables failed"; status=1; }; done

declare -A NAME=([pg]=PostgreSQL [my]=MariaDB [sq]=SQLite)
echo
echo "Summary: import = kelmar --import (reader, importer, project); dump = pg_dump --schema-only / mariadb-dump --no-data / sqlite3 .schema;"
echo "far = through the proxy, +$DELAY ms per round trip; trips = round trips counted by the proxy"
printf '%-10s %6s %8s %8s %8s %8s %6s %8s %6s %9s %9s %9s %9s\n' engine tables "reader s" "import s" "CPU s" "peak MB" trips "dump s" trips \
  "imp/dump" "far imp s" "far dump" "imp/dump"
for e in "${ENGINES[@]}"; do
  for n in "$HALF" "$N"; do
    [ -n "${R[$e,$n,wall]:-}" ] || continue
    printf '%-10s %6s %8s %8s %8s %8s %6s %8s %6s %9s %9s %9s %9s\n' "${NAME[$e]}" "${R[$e,$n,tables]:--}" "${R[$e,$n,reader_wall]:--}" "${R[$e,$n,wall]}" \
      "${R[$e,$n,cpu]}" "${R[$e,$n,rss]}" "${R[$e,$n,trips]:--}" "${R[$e,$n,dump]}" "${R[$e,$n,dump_trips]:--}" "$(ratio "${R[$e,$n,wall]}" "${R[$e,$n,dump]}")" \
      "${R[$e,$n,far]:--}" "${R[$e,$n,dump_far]:--}" "$( [ -n "${R[$e,$n,dump_far]:-}" ] && ratio "${R[$e,$n,far]}" "${R[$e,$n,dump_far]}" || echo -)"
  done
done
echo
echo "total benchmark time: $((SECONDS - started)) s"
exit "$status"
