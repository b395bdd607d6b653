#!/usr/bin/env bash
# The main job: sets up and builds, makes the sample shop database and imports it headless,
# through the SQLite ODBC driver, into a project; the host prints the entities it created.
# Run it twice: the project keeps its entities, and the import replaces them (delete_namespace=1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
log="$root/build/build.log"
cmake --build "$root/build" -j2 > "$log" 2>&1 || { cat "$log"; exit 1; }
sample="$root/build/samples/shop.db"
project="${1:-$root/build/samples/shop.kelmar}"
mkdir -p "$(dirname "$sample")"
rm -f "$sample"
sqlite3 "$sample" < "$root/samples/shop.sql"
exec "$root/build/bin/kelmar" --project "$project" --import KelOdbcImport \
   "--KelOdbcImport_dsn=Driver=SQLite3;Database=$sample" \
   --KelOdbcImport_db_type=5 \
   --KelOdbcImport_delete_namespace=1 \
   --KelOdbcImport_import_default_value=1 \
   --KelOdbcImport_boost_optional=1 \
   --KelOdbcImport_verbose=1
