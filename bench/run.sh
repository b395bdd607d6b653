#!/usr/bin/env bash
# Usage: bench/run.sh [N]        (default N=2000)
#
# Benchmark of the catalogue readers; not part of the test suite, it prints figures and judges
# nothing (its exit status says only whether it could run).
#
# Builds an N-table schema and an N/2-table schema in PostgreSQL, in MariaDB and in SQLite files
# (bench/make_schema.py: serial / auto-increment key, eight more columns with defaults, comments
# where the engine has them, a foreign key to the previous table), then for each engine and size
# runs bench_readers (the engine's reader, once) and prints its wall time, CPU time and peak
# memory next to the engine's own schema dump of the same database (pg_dump --schema-only,
# mariadb-dump --no-data, sqlite3 .schema), and for PostgreSQL next to the floor: the reader's
# own query plan (bench/pg_floor.py) sent through psql on the same catalogue.
#
# Servers: uses those of the environment when KEL_TEST_PG_PORT / KEL_TEST_MYSQL_PORT are set,
# otherwise starts throwaway ones through tests/services/with_servers.sh.
# Build: BENCH_BUILD_DIR (default: build/ of the repository) gets the bench_readers target built
# with -j2; BENCH_NO_BUILD=1 uses the program as it is.
set -uo pipefail
export LC_ALL=C

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
N=${1:-2000}
case "$N" in ''|*[!0-9]*) echo "usage: $0 [N]  (N: number of tables, at least 2)" >&2; exit 2 ;; esac
[ "$N" -ge 2 ] || { echo "N must be at least 2" >&2; exit 2; }
HALF=$((N / 2))
BUILD_DIR=${BENCH_BUILD_DIR:-$repo/build}
BENCH=$BUILD_DIR/bin/bench_readers

log() { echo "bench: $*" >&2; }

if [ -z "${BENCH_NO_BUILD:-}" ]; then
  log "building bench_readers in $BUILD_DIR"
  cmake -S "$repo" -B "$BUILD_DIR" >/dev/null || { log "cmake configure failed"; exit 1; }
  cmake --build "$BUILD_DIR" --target bench_readers -j2 >/dev/null || { log "build failed"; exit 1; }
fi
[ -x "$BENCH" ] || { log "no $BENCH"; exit 1; }

if [ -z "${KEL_TEST_PG_PORT:-}" ] && [ -z "${KEL_TEST_MYSQL_PORT:-}" ]; then
  [ -z "${BENCH_IN_SERVERS:-}" ] || { log "the servers did not start"; exit 1; }
  BENCH_IN_SERVERS=1 BENCH_NO_BUILD=1 BENCH_BUILD_DIR=$BUILD_DIR exec "$repo/tests/services/with_servers.sh" "$0" "$@"
fi

TMP=$(mktemp -d -t kel-bench.XXXXXX)
trap 'rm -rf "$TMP"' EXIT
started=$SECONDS

# seconds (3 decimals) that CMD took; CMD's output goes where the caller sends it
now() { echo "$EPOCHREALTIME"; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", 100 * a / b; else printf "-" }'; }
# value of key in a bench_readers output file
field() { sed -n "s/^$1=//p" "$2" | head -n 1; }

declare -A R   # results: R[engine,n,what]
ENGINES=()

run_reader() {   # engine n type dsn
  local out=$TMP/reader_$1_$2.txt
  if ! "$BENCH" "$3" "$4" >"$out" 2>"$TMP/reader_$1_$2.err"; then
    log "$1 reader on $2 tables failed:"; tail -n 5 "$TMP/reader_$1_$2.err" >&2
  fi
  local k
  for k in tables columns foreign_keys wall_s cpu_s cpu_pct_of_wall peak_rss_mb; do R[$1,$2,$k]=$(field "$k" "$out"); done
  echo "  reader: ${R[$1,$2,tables]} tables, ${R[$1,$2,columns]} columns, ${R[$1,$2,foreign_keys]} foreign keys;" \
       "wall ${R[$1,$2,wall_s]} s, CPU ${R[$1,$2,cpu_s]} s (${R[$1,$2,cpu_pct_of_wall]}% of wall), peak ${R[$1,$2,peak_rss_mb]} MB"
}

# ---------------------------------------------------------------- PostgreSQL
bench_postgresql() {
  local n=$1 db=bench_$1 t0
  local bin=${KEL_TEST_PG_BIN:-/usr/lib/postgresql/15/bin}
  local psql=$bin/psql pgdump=$bin/pg_dump
  [ -x "$psql" ] || psql=psql
  [ -x "$pgdump" ] || pgdump=pg_dump
  local conn=(-X -h 127.0.0.1 -p "$KEL_TEST_PG_PORT" -U "$KEL_TEST_PG_USER")
  echo "== PostgreSQL, $n tables =="
  "$psql" "${conn[@]}" -d postgres -q -c "SET client_min_messages = warning" \
    -c "DROP DATABASE IF EXISTS $db" -c "CREATE DATABASE $db" >/dev/null || return 1
  python3 "$here/make_schema.py" postgresql "$n" >"$TMP/pg_$n.sql"
  t0=$(now)
  # make_schema.py commits every few hundred tables: one transaction would run out of locks
  "$psql" "${conn[@]}" -d "$db" -q -v ON_ERROR_STOP=1 -f "$TMP/pg_$n.sql" >/dev/null || return 1
  "$psql" "${conn[@]}" -d "$db" -qc "ANALYZE" >/dev/null
  echo "  schema built in $(since "$t0") s"

  run_reader pg "$n" 1 "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$KEL_TEST_PG_PORT;Database=$db;Uid=$KEL_TEST_PG_USER"

  t0=$(now)
  "$pgdump" -h 127.0.0.1 -p "$KEL_TEST_PG_PORT" -U "$KEL_TEST_PG_USER" --schema-only -d "$db" -f /dev/null || return 1
  R[pg,$n,dump]=$(since "$t0")
  echo "  pg_dump --schema-only: ${R[pg,$n,dump]} s; reader / pg_dump = $(ratio "${R[pg,$n,wall_s]}" "${R[pg,$n,dump]}")x"

  # the floor: the reader's own queries, values written in, through psql
  local version src=$repo/plugin/odbc_import_postgresql.cpp
  version=$("$psql" "${conn[@]}" -d "$db" -Atc "SHOW server_version_num") || return 1
  python3 "$here/pg_floor.py" "$src" "$version" --tables-query >"$TMP/pg_tables_query.sql" || return 1
  "$psql" "${conn[@]}" -d "$db" -At -F $'\t' -f "$TMP/pg_tables_query.sql" >"$TMP/pg_tables_$n.tsv" || return 1
  python3 "$here/pg_floor.py" "$src" "$version" "$TMP/pg_tables_$n.tsv" >"$TMP/pg_floor_$n.sql" || return 1
  local queries
  queries=$(grep -c '' "$TMP/pg_floor_$n.sql")
  t0=$(now)
  "$psql" "${conn[@]}" -d "$db" -q -A -t -v ON_ERROR_STOP=1 -f "$TMP/pg_floor_$n.sql" >/dev/null || return 1
  R[pg,$n,floor]=$(since "$t0")
  echo "  floor (the reader's $queries queries through psql -f): ${R[pg,$n,floor]} s; reader / floor = $(ratio "${R[pg,$n,wall_s]}" "${R[pg,$n,floor]}")x"
}

# ---------------------------------------------------------------- MariaDB
bench_mariadb() {
  local n=$1 db=bench_$1 t0
  local conn=(--no-defaults --protocol=TCP -h 127.0.0.1 -P "$KEL_TEST_MYSQL_PORT" -u "$KEL_TEST_MYSQL_USER" "-p$KEL_TEST_MYSQL_PWD")
  echo "== MariaDB, $n tables =="
  mariadb "${conn[@]}" -e "DROP DATABASE IF EXISTS $db; CREATE DATABASE $db" || return 1
  python3 "$here/make_schema.py" mariadb "$n" >"$TMP/my_$n.sql"
  t0=$(now)
  mariadb "${conn[@]}" "$db" <"$TMP/my_$n.sql" || return 1
  echo "  schema built in $(since "$t0") s"

  run_reader my "$n" 2 "Driver={MariaDB Unicode};Server=127.0.0.1;Port=$KEL_TEST_MYSQL_PORT;Database=$db;Uid=$KEL_TEST_MYSQL_USER;Pwd=$KEL_TEST_MYSQL_PWD"

  t0=$(now)
  mariadb-dump "${conn[@]}" --no-data "$db" >/dev/null || return 1
  R[my,$n,dump]=$(since "$t0")
  echo "  mariadb-dump --no-data: ${R[my,$n,dump]} s; reader / mariadb-dump = $(ratio "${R[my,$n,wall_s]}" "${R[my,$n,dump]}")x"
}

# ---------------------------------------------------------------- SQLite
bench_sqlite() {
  local n=$1 file=$TMP/bench_$1.db t0
  echo "== SQLite, $n tables =="
  python3 "$here/make_schema.py" sqlite "$n" >"$TMP/sq_$n.sql"
  t0=$(now)
  sqlite3 "$file" <"$TMP/sq_$n.sql" || return 1
  echo "  schema built in $(since "$t0") s"

  run_reader sq "$n" 5 "Driver=SQLite3;Database=$file"

  t0=$(now)
  sqlite3 "$file" .schema >/dev/null || return 1
  R[sq,$n,dump]=$(since "$t0")
  echo "  sqlite3 .schema: ${R[sq,$n,dump]} s; reader / .schema = $(ratio "${R[sq,$n,wall_s]}" "${R[sq,$n,dump]}")x"
}

status=0
if [ -n "${KEL_TEST_PG_PORT:-}" ]; then
  ENGINES+=(pg)
  for n in "$N" "$HALF"; do bench_postgresql "$n" || { log "PostgreSQL benchmark on $n tables failed"; status=1; }; done
else
  log "no PostgreSQL server: skipped"
fi
if [ -n "${KEL_TEST_MYSQL_PORT:-}" ]; then
  ENGINES+=(my)
  for n in "$N" "$HALF"; do bench_mariadb "$n" || { log "MariaDB benchmark on $n tables failed"; status=1; }; done
else
  log "no MariaDB server: skipped"
fi
ENGINES+=(sq)
for n in "$N" "$HALF"; do bench_sqlite "$n" || { log "SQLite benchmark on $n tables failed"; status=1; }; done

# ---------------------------------------------------------------- summary
declare -A NAME=([pg]=PostgreSQL [my]=MariaDB [sq]=SQLite)
echo
echo "Summary (reader = startProcess() alone; dump = pg_dump --schema-only / mariadb-dump --no-data / sqlite3 .schema)"
printf '%-10s %6s %7s %8s %7s %6s %8s %7s %9s %8s %9s\n' \
  engine tables columns "wall s" "CPU s" "CPU%" "peak MB" "dump s" "wall/dump" "floor s" "wall/floor"
for e in "${ENGINES[@]}"; do
  for n in "$N" "$HALF"; do
    [ -n "${R[$e,$n,wall_s]:-}" ] || continue
    floor=${R[$e,$n,floor]:-}
    printf '%-10s %6s %7s %8s %7s %6s %8s %7s %9s %8s %9s\n' "${NAME[$e]}" "${R[$e,$n,tables]}" "${R[$e,$n,columns]}" \
      "${R[$e,$n,wall_s]}" "${R[$e,$n,cpu_s]}" "${R[$e,$n,cpu_pct_of_wall]}" "${R[$e,$n,peak_rss_mb]}" "${R[$e,$n,dump]:--}" \
      "$(ratio "${R[$e,$n,wall_s]}" "${R[$e,$n,dump]:-0}")" "${floor:--}" \
      "$( [ -n "$floor" ] && ratio "${R[$e,$n,wall_s]}" "$floor" || echo -)"
  done
done
echo
echo "Scaling, $N tables against $HALF (target: at most 2.00 for twice the tables)"
for e in "${ENGINES[@]}"; do
  [ -n "${R[$e,$N,wall_s]:-}" ] && [ -n "${R[$e,$HALF,wall_s]:-}" ] || continue
  line="  ${NAME[$e]}: reader $(ratio "${R[$e,$N,wall_s]}" "${R[$e,$HALF,wall_s]}")x"
  line+=", dump $(ratio "${R[$e,$N,dump]:-0}" "${R[$e,$HALF,dump]:-0}")x"
  [ -z "${R[$e,$N,floor]:-}" ] || line+=", floor $(ratio "${R[$e,$N,floor]}" "${R[$e,$HALF,floor]:-0}")x"
  echo "$line"
done
echo
echo "Targets, $N tables: reader CPU at most 15% of wall, peak memory under 50 MB, PostgreSQL wall / floor at most 1.25x"
for e in "${ENGINES[@]}"; do
  [ -n "${R[$e,$N,wall_s]:-}" ] || continue
  line="  ${NAME[$e]}: CPU ${R[$e,$N,cpu_pct_of_wall]}% of wall, peak ${R[$e,$N,peak_rss_mb]} MB"
  [ -z "${R[$e,$N,floor]:-}" ] || line+=", wall / floor $(ratio "${R[$e,$N,wall_s]}" "${R[$e,$N,floor]}")x"
  echo "$line"
done
echo
echo "total benchmark time: $((SECONDS - started)) s"
exit "$status"
