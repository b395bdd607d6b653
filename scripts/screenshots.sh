#!/usr/bin/env bash
# Takes the README's pictures of an interactive import, as a user sees them on a real X server (Xvfb,
# a 1600x1000 screen): the settings dialog at its first opening on a PostgreSQL database of 3 schemas of
# 70 tables, every table checked and the tree filtered on "sales.order"; the main window after importing
# MariaDB's Sakila and after importing those 210 tables, each diagram fitted to the window with an entity
# chosen; and Sakila's whole diagram as the Project menu exports it (diagram.png).
# They come from the end-to-end test of the interactive import, run on those rows, with the throwaway
# servers of the test suite.
# Usage: scripts/screenshots.sh [FOLDER]   (default docs/screenshots; needs a configured build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)
pictures=(dialog_connected.png main_window.png diagram.png main_window_200.png)
cmake --build "$root/build" -j2 --target host_interactive kelmar KelOdbcImport > /dev/null
(cd "$out" && rm -f "${pictures[@]}")
KEL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb "$root/tests/services/with_servers.sh" xvfb-run -a -s "-screen 0 1600x1000x24" \
   "$root/build/bin/host_interactive" "interactiveImport:PostgreSQL 3 x 70" "interactiveImport:MariaDB Sakila"
(cd "$out" && ls -l "${pictures[@]}")
