#!/usr/bin/env bash
# Takes the README's pictures of an interactive import, as a user sees them on a real X server
# (Xvfb): the settings dialog connected to a PostgreSQL database of three schemas, every table checked
# and the tree's filter in use, and the main window after importing MariaDB's Sakila, its diagram laid
# out and fitted to the window; and that whole diagram as the Project menu exports it (diagram.png).
# They come from the end-to-end test of the interactive import, run on those two rows, with the
# throwaway servers of the test suite.
# Usage: scripts/screenshots.sh [FOLDER]   (default docs/screenshots; needs a configured build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)
cmake --build "$root/build" -j2 --target host_interactive kelmar KelOdbcImport > /dev/null
rm -f "$out/dialog_connected.png" "$out/main_window.png" "$out/diagram.png"
KEL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb "$root/tests/services/with_servers.sh" xvfb-run -a -s "-screen 0 1280x1024x24" \
   "$root/build/bin/host_interactive" "interactiveImport:PostgreSQL schemas" "interactiveImport:MariaDB Sakila"
ls -l "$out/dialog_connected.png" "$out/main_window.png" "$out/diagram.png"
