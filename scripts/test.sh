#!/usr/bin/env bash
# Installs what is missing, builds, starts throwaway PostgreSQL and MariaDB servers and runs
# the whole test suite; fails when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# KEL_SANITIZE=1: the same run, everything built with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan; any report fails the test it occurs in.
build=$root/build
options=()
if [ "${KEL_SANITIZE:-}" = 1 ]; then
  build=$root/build-asan
  options=(-DKEL_SANITIZE=ON)
  # full stacks at each allocation, so that the suppressions can name the library that leaks
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:fast_unwind_on_malloc=0:suppressions=$root/tests/asan.supp}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
cmake --build "$build" -j2
cd "$build"
export QT_QPA_PLATFORM=offscreen
status=0
"$root/tests/services/with_servers.sh" ctest --output-on-failure -j2 "$@" || status=$?
# what could not run here (the shared fixtures or a server missing), each with its reason
skipped=$(grep -h '^SKIP' Testing/Temporary/LastTest.log 2>/dev/null | sort -u || true)
if [ -n "$skipped" ]; then echo "test: skipped, with the reason:"; echo "$skipped"; fi
exit "$status"
