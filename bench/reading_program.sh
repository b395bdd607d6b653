#!/usr/bin/env bash
# Usage: bench/reading_program.sh [N...]     (default: 2000 10000)
#
# What the reading program costs: on PostgreSQL schemas of N tables (bench/make_schema.py), the reader run in
# this process (connection and read) against the whole read through the plug-in's reading program (its start,
# its own connection, the read, the model sent back through the pipe and rebuilt), best of three each, and the
# model's size on the pipe. Prints figures; judges nothing. Needs a build (build/ or BENCH_BUILD_DIR).
set -uo pipefail
export LC_ALL=C
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
BUILD_DIR=${BENCH_BUILD_DIR:-$repo/build}
SIZES=("$@"); [ ${#SIZES[@]} -gt 0 ] || SIZES=(2000 10000)
if [ -z "${KEL_TEST_PG_PORT:-}" ]; then exec "$repo/tests/services/with_servers.sh" "$0" "${SIZES[@]}"; fi
PG_BIN=${KEL_TEST_PG_BIN:-/usr/lib/postgresql/15/bin}
pg() { "$PG_BIN/psql" -X -h 127.0.0.1 -p "$KEL_TEST_PG_PORT" -U "$KEL_TEST_PG_USER" "$@"; }
best() { sort -n | head -1; }
printf "%8s %12s %12s %12s %14s %12s\n" tables in-process program difference "model on pipe" "write+read"
for n in "${SIZES[@]}"; do
  db=bench_program_$n
  pg -d postgres -q -c "SET client_min_messages = warning" -c "DROP DATABASE IF EXISTS $db" -c "CREATE DATABASE $db" >/dev/null || exit 1
  python3 "$here/make_schema.py" postgresql "$n" | pg -d "$db" -q -v ON_ERROR_STOP=1 >/dev/null || exit 1
  pg -d "$db" -qc "ANALYZE" >/dev/null
  dsn="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$KEL_TEST_PG_PORT;Database=$db;Uid=$KEL_TEST_PG_USER"
  out=()
  for i in 1 2 3; do out+=("$(BENCH_READERS_PROGRAM=1 "$BUILD_DIR/bin/bench_readers" 1 "$dsn")"); done
  field() { for o in "${out[@]}"; do sed -n "s/^$1=//p" <<<"$o"; done | best; }
  inproc=$(field in_process_s); program=$(field program_read_s); bytes=$(field wire_bytes)
  wire=$(for o in "${out[@]}"; do awk -F= '/^wire_write_s=/{w=$2} /^wire_read_s=/{r=$2} END {printf "%.3f\n", w + r}' <<<"$o"; done | best)
  printf "%8d %10.3f s %10.3f s %10.3f s %11.1f MB %10.3f s\n" "$n" "$inproc" "$program" "$(awk -v a="$program" -v b="$inproc" 'BEGIN{print a-b}')" \
    "$(awk -v b="$bytes" 'BEGIN{print b/1048576}')" "$wire"
  pg -d postgres -q -c "DROP DATABASE $db" >/dev/null
done
