#!/usr/bin/env bash
# Takes a picture of the Windows program's window, as an operator first sees it with the sample
# config.ini of the setup, under Wine on Xvfb at 96 DPI, so a person can look at it. Needs the
# Windows build (scripts/windows-build.sh).
#   scripts/windows-screenshot.sh [png file, default build-windows/window-shot.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${CSV2SQL_WINDOWS_BUILD:-build-windows}
output=$(realpath -m "${1:-$build/window-shot.png}")
# Every Wine process of the script on one display of its own: Wine's own processes, started by
# the first call, keep the display they were started with.
if [[ -z ${CSV2SQL_WINE_DISPLAY:-} ]]; then
  exec env -u WAYLAND_DISPLAY CSV2SQL_WINE_DISPLAY=1 \
    xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$0" "$output"
fi
if [[ ! -f $build/bin/csv2sql.exe || ! -f $build/bin/window_probe.exe ]]; then
  echo "windows-screenshot: no Windows build in $build; run scripts/windows-build.sh" >&2
  exit 2
fi
wine=$(PATH=$PATH:/usr/lib/wine command -v wine64)
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all
folder=$build/shot
rm -rf "$folder" && mkdir -p "$folder/in" "$folder/archive"
cp "$build/bin/csv2sql.exe" "$build/bin/user-guide.html" contrib/windows/config.ini "$folder/"
cp sample/*.csv "$folder/in/"
program=$("$wine" winepath -w "$PWD/$folder/csv2sql.exe")
scripts/wine-window.sh "$build" "$program" "$output"
PATH=$PATH:/usr/lib/wine wineserver -k || true
echo "$output"
