#!/usr/bin/env bash
# Loads the Sakila sample schema (tables, views, triggers; no rows) into the test servers
# with_servers.sh started, and into a SQLite file, so import tests read a real-world
# schema nobody on the team wrote. It reads the same variables with_servers.sh exports:
#   KEL_TEST_PG_HOST/PORT/USER         -> (re)creates PostgreSQL database "sakila"
#   KEL_TEST_MYSQL_HOST/PORT/USER/PWD  -> MariaDB database "sakila" (the script recreates it)
#   KEL_TEST_SAKILA_SQLITE             -> SQLite file, recreated
# An engine whose variables are unset is skipped.
# Statements an engine rejects are printed with the engine's name in front; the scripts
# carry triggers and routines that not every engine version takes, and loading goes on.
# Exit status: 0 loaded with the expected counts, 1 a count differs, 2 fixtures missing.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The fixtures live in shared/, a sibling of the project root, and are never copied in.
fixtures=$(cd "$here/../../.." && pwd)/shared/fixtures/sakila
log() { echo "load_sakila: $*" >&2; }

if [ ! -d "$fixtures" ]; then
  log "fixtures folder $fixtures is missing; Sakila is not loaded (tests needing it skip, or fail under CI=true)"
  exit 2
fi

# Print an engine's error output line by line, prefixed with the engine name.
report() {  # report ENGINE TEXT
  # shellcheck disable=SC2001  # sed prefixes every line of a multi-line message
  [ -z "$2" ] || sed "s/^/$1: /" <<<"$2" >&2
}

status=0
check() {  # check ENGINE WHAT GOT WANT
  if [ "$3" = "$4" ]; then log "$1: $3 $2"; else log "$1: $3 $2, expected $4"; status=1; fi
}

if [ -n "${KEL_TEST_PG_PORT:-}" ]; then
  # client_min_messages: keep NOTICEs (such as DROP ... IF EXISTS skipping) out of the report.
  pg() { PGOPTIONS='-c client_min_messages=warning' psql -X -q -h "${KEL_TEST_PG_HOST:-127.0.0.1}" -p "$KEL_TEST_PG_PORT" -U "${KEL_TEST_PG_USER:-postgres}" "$@"; }
  pg -d postgres -c 'DROP DATABASE IF EXISTS sakila' -c 'CREATE DATABASE sakila' >/dev/null
  # psql goes on after a failed statement unless ON_ERROR_STOP is set; keep only its errors.
  report postgresql "$(pg -d sakila -v ON_ERROR_STOP=0 -f "$fixtures/postgres-sakila-schema.sql" 2>&1 >/dev/null)"
  counts=$(pg -d sakila -At -F ' ' -c "SELECT count(*) FILTER (WHERE relkind = 'r'),
      count(*) FILTER (WHERE relkind = 'v') FROM pg_class WHERE relnamespace = 'public'::regnamespace")
  # 15 tables plus the 6 payment partitions made with INHERITS.
  check postgresql "tables" "${counts% *}" 21
  check postgresql "views" "${counts#* }" 7
fi

if [ -n "${KEL_TEST_MYSQL_PORT:-}" ]; then
  my() { MYSQL_PWD=${KEL_TEST_MYSQL_PWD:-} mariadb --no-defaults --protocol=TCP -h "${KEL_TEST_MYSQL_HOST:-127.0.0.1}" \
           -P "$KEL_TEST_MYSQL_PORT" -u "${KEL_TEST_MYSQL_USER:-kel}" "$@"; }
  # The script itself runs DROP SCHEMA IF EXISTS sakila; CREATE SCHEMA sakila; USE sakila,
  # so no database is named here. --force goes on past a rejected statement.
  report mariadb "$(my --force <"$fixtures/mysql-sakila-schema.sql" 2>&1 >/dev/null)"
  counts=$(my -N -B -e "SELECT SUM(table_type = 'BASE TABLE'), SUM(table_type = 'VIEW')
      FROM information_schema.tables WHERE table_schema = 'sakila'")
  check mariadb "tables" "$(cut -f1 <<<"$counts")" 16
  check mariadb "views" "$(cut -f2 <<<"$counts")" 7
fi

if [ -n "${KEL_TEST_SAKILA_SQLITE:-}" ]; then
  rm -f "$KEL_TEST_SAKILA_SQLITE"
  # Fed through stdin, the sqlite3 shell reports an error and goes on (-bail is off).
  report sqlite "$(sqlite3 "$KEL_TEST_SAKILA_SQLITE" <"$fixtures/sqlite-sakila-schema.sql" 2>&1 >/dev/null)"
  counts=$(sqlite3 -separator ' ' "$KEL_TEST_SAKILA_SQLITE" "SELECT count(*) FILTER (WHERE type = 'table'),
      count(*) FILTER (WHERE type = 'view') FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'")
  # The script declares 6 views but keeps actor_info commented out.
  check sqlite "tables" "${counts% *}" 16
  check sqlite "views" "${counts#* }" 5
fi

exit "$status"
