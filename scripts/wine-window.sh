#!/usr/bin/env bash
# Starts csv2sql.exe without an argument, or with ARGUMENT (2: the window with automatic runs),
# under Wine on the caller's display (Xvfb in the scripts that run this one), finds the window by
# its title and a control by its name from another program (window_probe.exe), takes the
# window's picture when asked, closes it and expects the program to end with status 0.
#   scripts/wine-window.sh BUILD_FOLDER PROGRAM (a Windows path) [PNG or "" [ARGUMENT]]
# WINEPREFIX and WINEDEBUG come from the caller.
set -euo pipefail
build=$1 program=$2 picture=${3:-} argument=${4:-}
wine=$(PATH=$PATH:/usr/lib/wine command -v wine64)
probe=$("$wine" winepath -w "$PWD/$build/bin/window_probe.exe")
picture=${picture:+$("$wine" winepath -w "$(realpath -m "$picture")")}

# shellcheck disable=SC2086  # no argument: none
"$wine" "$program" $argument &
window=$!
found=0
# shellcheck disable=SC2086  # no picture: no argument
"$wine" "$probe" "R27731 CSV to SQL Util" txtSourceCSV $picture || found=$?
# The probe closed the window; a program that did not end within 30 seconds is ended.
for _ in $(seq 60); do
  kill -0 "$window" 2>/dev/null || break
  sleep 0.5
done
kill "$window" 2>/dev/null || true
ended=0
wait "$window" || ended=$?
echo "wine-window: the probe ended with status $found, the program with status $ended"
[[ $found == 0 && $ended == 0 ]]
