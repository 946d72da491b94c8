#!/usr/bin/env bash
# Cross-compiles csv2sql.exe for 64-bit Windows with MinGW-w64 (no window: the "1" and
# NTSERVICE starts) and runs the tests that need no server under Wine.
#   scripts/windows-build.sh [--install] [build folder, default build-windows]
# --install first installs MinGW-w64 and Wine from Debian (scripts/install-deps.sh --windows).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --install ]]; then
  scripts/install-deps.sh --windows
  shift
fi
build=${1:-build-windows}

# Debian's wine64 alone keeps its loader out of PATH.
wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 || true)
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [[ -z $wine ]]; then
  echo "windows-build: MinGW-w64 or Wine is missing; run scripts/windows-build.sh --install" >&2
  exit 2
fi

# Debian has no sqlite3 sources, no libpq and no date-tz for MinGW-w64: those parts stay out.
echo "windows-build: without the SQLite and PostgreSQL drivers and the time-zone lookup" \
  "(Debian ships no sources of sqlite3, libpq or date-tz to build them for Windows)"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCSV2SQL_GUI=OFF -DCSV2SQL_SQLITE=OFF -DCSV2SQL_POSTGRESQL=OFF \
  -DCSV2SQL_TIME_ZONES=OFF >/dev/null
tests=(core_tests components_tests form_tests log_tests settings_tests import_tests)
nice -n 15 cmake --build "$build" -j1 --target csv2sql "${tests[@]}"

# A Wine prefix of its own, made once, so that the user's is never touched.
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all
[[ -d $WINEPREFIX ]] || "$wine" wineboot --init >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure --no-tests=error -j1 -R "^($(
  IFS='|'
  echo "${tests[*]}"
))\$"
