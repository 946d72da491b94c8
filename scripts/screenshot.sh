#!/usr/bin/env bash
# Renders the program's window, as an operator first sees it with a sample config.ini, to a PNG
# under Xvfb at 96 DPI, so a person can look at it. Usage: scripts/screenshot.sh [png file]
# [run] (default build/window.png); with "run" the window is taken during a long import into
# SQLite, showing its progress. CSV2SQL_BUILD_DIR picks the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${CSV2SQL_BUILD_DIR:-build}
# An existing build folder keeps its own configuration.
if [[ -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target csv2sql_screenshot

output=$(realpath -m "${1:-$build/window.png}")
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/in" "$folder/archive"
mode=${2:-}
if [[ $mode == run ]]; then
  sqlite3 "$folder/readings.db" 'CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL);'
  awk 'BEGIN { printf "Time,Tag,Value\r\n"
    for (i = 0; i < 600000; i++) printf "2024-07-01T%02d:%02d:%02dZ,TAG%02d,%d.5\r\n",
      int(i / 3600) % 24, int(i / 60) % 60, i % 60, i % 50, i }' >"$folder/in/long.csv"
fi
printf '%s\r\n' \
  "CSVFOLDER=$folder/in" \
  "DELOLDRECS=-1" \
  "ARCHIVEFILES=YES" \
  "ARCHIVEFOLDER=$folder/archive" \
  "CNN_COMMAND_TIMEOUT=30" \
  "CNN_CONNECTION_TIMEOUT=30" \
  "CNN_PROVIDER=SQLite" \
  "CNN_DATASOURCE=readings.db" \
  "CNN_INITIALCATALOG=" \
  "CNN_USERID=operator" \
  "CNN_PASSWORD=secret" \
  "DESTTABLE=CSVDATA" \
  "DELRECDAYS=90" \
  "HEADERROWS=1" \
  "COLDATETIME=1" \
  "COLTAG=2" \
  "COLVALUE=3" \
  "UTCOFFSET=YES" \
  "UTC=2024-03-10 07:00:00::2024-11-03 05:59:59::-4" \
  "UTC=2024-11-03 06:00:00::2025-03-09 06:59:59::-5" \
  "AUTORUNEVERY=15" \
  "DEST_CNN=" >"$folder/config.ini"

# A display of its own, whatever the caller's session has. In a sanitizer build the leak check
# would fail the run over memory that the display libraries keep to the end on purpose.
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
  xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" \
  "$build/bin/csv2sql_screenshot" "$folder" "$output" $mode
echo "$output"
