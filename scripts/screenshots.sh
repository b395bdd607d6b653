#!/usr/bin/env bash
# Takes the README's two pictures of an interactive import, as a user sees them on a real X server
# (Xvfb): the settings dialog connected to the sample shop database with its tables checked, and the
# main window after the import. They come from the end-to-end test of the interactive import, run
# on its SQLite row only.
# Usage: scripts/screenshots.sh [FOLDER]   (default docs/screenshots; needs a configured build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)
cmake --build "$root/build" -j2 --target host_interactive kelmar KelOdbcImport > /dev/null
rm -f "$out/dialog_connected.png" "$out/main_window.png"
KEL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
   "$root/build/bin/host_interactive" "interactiveImport:SQLite shop"
ls -l "$out/dialog_connected.png" "$out/main_window.png"
