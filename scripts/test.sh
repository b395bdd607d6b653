#!/usr/bin/env bash
# Installs what is missing, builds, starts throwaway PostgreSQL and MariaDB servers and runs
# the whole test suite; fails when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j2
cd "$root/build"
export QT_QPA_PLATFORM=offscreen
"$root/tests/services/with_servers.sh" ctest --output-on-failure -j2 "$@"
