#!/usr/bin/env bash
# Usage: bench/dialog.sh [N]        (default N=2000)
#
# Benchmark of the settings dialog (not part of the test suite; figures only): builds SQLite
# catalogues of N and N/2 tables (bench/make_schema.py) and runs bench_dialog on each: the reader
# alone, "Connect to database" (read and tree), checking all through the root, and OK.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
N=${1:-2000}
case "$N" in ''|*[!0-9]*) echo "usage: $0 [N]" >&2; exit 2 ;; esac
BUILD_DIR=${BENCH_BUILD_DIR:-$repo/build}
cmake -S "$repo" -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target bench_dialog KelOdbcImport -j2 >/dev/null
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
for n in "$N" $((N / 2)); do
  python3 "$here/make_schema.py" sqlite "$n" | sqlite3 "$TMP/sq_$n.db"
  echo "== $n tables"
  "$BUILD_DIR/bin/bench_dialog" "$(ls "$BUILD_DIR"/bin/plugins/*KelOdbcImport*)" "$TMP/sq_$n.db"
done
