#!/usr/bin/env bash
# Cross-compiles csv2sql.exe for 64-bit Windows with MinGW-w64, with SQLite compiled in from its
# amalgamation (scripts/fetch-sqlite.sh), and runs the tests that need no server under Wine.
#   scripts/windows-build.sh [--install] [build folder, default build-windows]
# --install first installs MinGW-w64, Wine, NSIS and Xvfb from Debian (scripts/install-deps.sh
# --windows). Then the setup is built and tried under Wine (scripts/wine-checks.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --install ]]; then
  scripts/install-deps.sh --windows
  shift
fi
build=${1:-build-windows}

# Wine makes windows only on a display (the window's tests, the program's window, the setup's
# uninstaller): the whole script runs on one of its own, at 96 DPI, whatever the caller's
# session has.
if [[ -z ${CSV2SQL_WINE_DISPLAY:-} ]]; then
  exec env -u WAYLAND_DISPLAY CSV2SQL_WINE_DISPLAY=1 \
    xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$0" "$build"
fi

# Debian's wine64 alone keeps its loader out of PATH.
wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 || true)
if ! command -v x86_64-w64-mingw32-g++-posix makensis xvfb-run >/dev/null || [[ -z $wine ]]; then
  echo "windows-build: MinGW-w64, Wine, NSIS or Xvfb is missing; run scripts/windows-build.sh" \
    "--install" >&2
  exit 2
fi

# Debian has no libpq and no date-tz for MinGW-w64: those parts stay out. SQLite comes from the
# amalgamation of a pinned npm package, checked against the sums kept in scripts/.
echo "windows-build: without the PostgreSQL driver and the time-zone lookup" \
  "(Debian ships no sources of libpq or date-tz to build them for Windows)"
scripts/fetch-sqlite.sh "$build/sqlite3"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCSV2SQL_GUI=OFF -DCSV2SQL_SQLITE=ON -DCSV2SQL_POSTGRESQL=OFF \
  -DCSV2SQL_TIME_ZONES=OFF \
  -DCSV2SQL_SQLITE_SOURCE="$PWD/$build/sqlite3" >/dev/null
tests=(core_tests app_tests dbaccess_tests log_tests settings_tests destination_tests import_tests
  win32_tests)
nice -n 15 cmake --build "$build" -j2 --target csv2sql window_probe "${tests[@]}"

# A Wine prefix of its own, made once, so that the user's is never touched; one that was not
# finished is made again, and a failure to make it ends the script.
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all
if [[ ! -f $WINEPREFIX/.made ]]; then
  rm -rf "$WINEPREFIX"
  if ! "$wine" wineboot --init >"$build/wineboot.txt" 2>&1 ||
    ! PATH=$PATH:/usr/lib/wine wineserver -w; then
    cat "$build/wineboot.txt" >&2
    echo "windows-build: no Wine prefix could be made in $WINEPREFIX" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.made"
fi
# The tests' failures end the script only after the "1" start below has been tried too.
status=0
ctest --test-dir "$build" --output-on-failure --no-tests=error -j1 -R "^($(
  IFS='|'
  echo "${tests[*]}"
))\$" || status=1

# The "1" start under Wine: the sample folder into the test PostgreSQL server through Windows'
# ODBC, which Wine passes on to the system's unixODBC and psqlODBC (the cluster's data source).
# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
trap pg_stop EXIT
pg_start
export PGPASSWORD=$CSV2SQL_PG_PASSWORD
query() { psql -qAt -h 127.0.0.1 -p "$CSV2SQL_PG_PORT" -U "$CSV2SQL_PG_USER" "$CSV2SQL_PG_DATABASE" -c "$1"; }
query 'CREATE TABLE CSVDATA (DateTime TIMESTAMP, Tag VARCHAR(80), Value DOUBLE PRECISION)'
folder=$build/run-1
rm -rf "$folder" && mkdir -p "$folder/in"
cp "$build/bin/csv2sql.exe" "$folder/" && cp sample/*.csv "$folder/in/"
printf '%s\r\n' "CSVFOLDER=$("$wine" winepath -w "$PWD/$folder/in")" "CNN_PROVIDER=MSDASQL" \
  "CNN_DATASOURCE=$CSV2SQL_PG_DSN" "CNN_USERID=$CSV2SQL_PG_USER" \
  "CNN_PASSWORD=$CSV2SQL_PG_PASSWORD" "DESTTABLE=CSVDATA" >"$folder/config.ini"
"$wine" "$folder/csv2sql.exe" 1
tr -d '\r' <"$folder"/log/*.log
stored=$(query 'SELECT COUNT(*) FROM CSVDATA')
echo "windows-build: csv2sql.exe 1 under Wine stored $stored readings in PostgreSQL through ODBC"
[[ $stored == 8 ]] || status=1


# The setup, the demo into SQLite, the window, the service and the uninstaller.
scripts/wine-checks.sh "$build" || status=1
# Wine's own processes (services.exe, explorer.exe) end with the display.
PATH=$PATH:/usr/lib/wine wineserver -k || true
exit "$status"
