#!/usr/bin/env bash
# Usage: bench/floor.sh [N...]     (default: 2000 10000)
#
# The whole headless import against the server's own cost. On PostgreSQL schemas of N tables (bench/make_schema.py)
# it runs, best of three each: bench_floor (the PostgreSQL reader's statements sent through libpq, every row read:
# the floor no client can go under) and the host program's headless import into a new project (kelmar --import
# KelOdbcImport: the reading program, the model rebuilt, the project written, the entities printed). It prints
# their ratio, the import's peak memory and what each table adds to it over a 1-table import. Prints figures;
# judges nothing. Needs a build (build/ or BENCH_BUILD_DIR) with bench_floor (libpq-dev).
set -uo pipefail
export LC_ALL=C
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
BUILD_DIR=${BENCH_BUILD_DIR:-$repo/build}
KELMAR=$BUILD_DIR/bin/kelmar
FLOOR=$BUILD_DIR/bin/bench_floor
SIZES=("$@"); [ ${#SIZES[@]} -gt 0 ] || SIZES=(2000 10000)
[ -x "$KELMAR" ] && [ -x "$FLOOR" ] || { echo "floor: no $KELMAR or $FLOOR (build first; bench_floor needs libpq-dev)" >&2; exit 1; }
if [ -z "${KEL_TEST_PG_PORT:-}" ]; then exec "$repo/tests/services/with_servers.sh" "$0" "${SIZES[@]}"; fi
PG_BIN=${KEL_TEST_PG_BIN:-/usr/lib/postgresql/15/bin}
pg() { "$PG_BIN/psql" -X -h 127.0.0.1 -p "$KEL_TEST_PG_PORT" -U "$KEL_TEST_PG_USER" "$@"; }
TMP=$(mktemp -d -t kel-floor.XXXXXX)
trap 'rm -rf "$TMP"' EXIT

schema() {   # n db
  pg -d postgres -q -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS $2" -c "CREATE DATABASE $2" >/dev/null || return 1
  python3 "$here/make_schema.py" postgresql "$1" | pg -d "$2" -q -v ON_ERROR_STOP=1 >/dev/null && pg -d "$2" -qc "ANALYZE" >/dev/null
}
# the headless import into a new project; prints "wall_s peak_kb"
import() {   # db
  rm -f "$TMP/project.kelmar"
  /usr/bin/time -f "%e %M" -o "$TMP/time.txt" env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$KELMAR" --project "$TMP/project.kelmar" \
    --import KelOdbcImport "--KelOdbcImport_dsn=Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$KEL_TEST_PG_PORT;Database=$1;Uid=$KEL_TEST_PG_USER" \
    --KelOdbcImport_db_type=1 >/dev/null 2>"$TMP/import.err" || { echo "floor: the import of $1 failed: $(tail -n 3 "$TMP/import.err")" >&2; return 1; }
  cat "$TMP/time.txt"
}
best() { sort -n | head -1; }

schema 1 bench_floor_1 || exit 1
one_kb=$(import bench_floor_1 | awk '{ print $2 }') || exit 1
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%8s %10s %10s %7s %9s %10s\n" tables floor import ratio "peak MB" "KB a table"
for n in "${SIZES[@]}"; do
  db=bench_floor_$n
  schema "$n" "$db" || exit 1
  floor=$(for _ in 1 2 3; do "$FLOOR" "host=127.0.0.1 port=$KEL_TEST_PG_PORT dbname=$db user=$KEL_TEST_PG_USER" | sed -n 's/^floor_s=//p'; done | best)
  runs=$(for _ in 1 2 3; do import "$db" || exit 1; done) || exit 1
  wall=$(awk '{ print $1 }' <<<"$runs" | best)
  peak=$(awk '{ print $2 }' <<<"$runs" | sort -n | tail -1)
  printf "%8d %8.3f s %8.3f s %6.2fx %9.1f %10.1f\n" "$n" "$floor" "$wall" "$(awk -v a="$wall" -v b="$floor" 'BEGIN { print a / b }')" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$(awk -v k="$peak" -v o="$one_kb" -v n="$n" 'BEGIN { print (k - o) / (n - 1) }')"
  pg -d postgres -q -c "DROP DATABASE $db" >/dev/null
done
pg -d postgres -q -c "DROP DATABASE bench_floor_1" >/dev/null
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
