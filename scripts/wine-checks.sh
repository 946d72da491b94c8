#!/usr/bin/env bash
# The Windows build tried as a Windows user would, under Wine (scripts/windows-build.sh runs it
# after the tests): the setup (NSIS) installs silently with the service; the installed
# "csv2sql.exe 1" imports the demo into SQLite; the window (no argument, and the start 2) starts
# under Xvfb and another program finds it by its title and a control by its name (its picture:
# BUILD/window.png); the service is started and stopped through Wine's net and queried through
# its sc; the uninstaller removes the service and the program and leaves the operator's data.
#   scripts/wine-checks.sh BUILD_FOLDER   (WINEPREFIX and WINEDEBUG set by the caller)
set -euo pipefail
build=$1
wine=$(PATH=$PATH:/usr/lib/wine command -v wine64)
status=0
fail() {
  echo "wine-checks: FAILED: $*" >&2
  status=1
}
folder=$WINEPREFIX/drive_c/csv2sql

# The setup, with the demo of the sample config.ini: relative folders beside the program, and a
# SQLite database holding the destination table.
version=$(sed -n 's/^project(csv2sql VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sample=$build/installer/sample
rm -rf "$build/installer" && mkdir -p "$sample/in"
cp contrib/windows/config.ini "$sample/" && cp sample/*.csv "$sample/in/"
sqlite3 "$sample/readings.db" \
  'CREATE TABLE CSVDATA (DateTime TEXT NOT NULL, Tag TEXT NOT NULL, Value REAL NOT NULL);'
setup=$build/csv2sql-$version-setup.exe
makensis -V2 -DVERSION="$version" -DBIN="$PWD/$build/bin" -DSAMPLE="$PWD/$sample" \
  -DOUTFILE="$PWD/$setup" contrib/windows/csv2sql.nsi
echo "wine-checks: built $setup"

rm -rf "$folder"
"$wine" "$setup" /S /SERVICE '/D=C:\csv2sql'
for file in csv2sql.exe user-guide.html datetime-forms.md config.ini readings.db uninstall.exe; do
  [[ -f $folder/$file ]] || fail "the setup did not install $file"
done

# The demo: "1" under Wine imports the sample files into the SQLite database.
run=0
"$wine" 'C:\csv2sql\csv2sql.exe' 1 || run=$?
tr -d '\r' <"$folder"/log/*.log
stored=$(sqlite3 "$folder/readings.db" 'SELECT COUNT(*) FROM CSVDATA')
echo "wine-checks: the installed csv2sql.exe 1 ended with status $run, $stored readings in SQLite"
[[ $run == 0 && $stored == 8 ]] || fail "the demo import into SQLite"

# A failed run also goes to the Windows Event Log: Wine shows what reaches ReportEventW on its
# "eventlog" channel. (The provider PostgreSQL is not built into the Windows program.)
failed=$build/run-failed
rm -rf "$failed" && mkdir -p "$failed"
cp "$folder/csv2sql.exe" "$failed/"
sed 's/^CNN_PROVIDER=SQLite/CNN_PROVIDER=PostgreSQL/' contrib/windows/config.ini >"$failed/config.ini"
WINEDEBUG=err+eventlog "$wine" "$failed/csv2sql.exe" 1 >"$failed/output.txt" 2>&1 || true
tr -d '\r' <"$failed/output.txt"
grep -q 'eventlog.*csv2sql: the run failed: Error 3706' "$failed/output.txt" ||
  fail "a failed run did not reach the event log"

# The window, found from another program.
scripts/wine-window.sh "$build" 'C:\csv2sql\csv2sql.exe' "$build/window.png" ||
  fail "the window under Xvfb"
scripts/wine-window.sh "$build" 'C:\csv2sql\csv2sql.exe' "" 2 || fail "the window of the start 2"

# The service the setup installed: automatic (Wine's sc has no "qc": its registry entry says),
# started and stopped through net, its state through sc.
state() { "$wine" sc query csv2sql 2>&1 | tr -d '\r' | sed -n 's/.*STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'; }
waitFor() { for _ in $(seq 60); do [[ $(state) == "$1" ]] && return 0; sleep 0.5; done; return 1; }
start=$("$wine" reg query 'HKLM\System\CurrentControlSet\Services\csv2sql' /v Start 2>&1 |
  tr -d '\r' | sed -n 's/.*REG_DWORD *//p')
echo "wine-checks: service state after the setup: $(state), start type $start (0x2: automatic)"
[[ $start == 0x2 ]] || fail "the service is not started automatically"
"$wine" net start csv2sql || fail "net start csv2sql"
waitFor RUNNING || fail "the service is not running after net start"
"$wine" net stop csv2sql || fail "net stop csv2sql"
waitFor STOPPED || fail "the service has not stopped after net stop"
echo "wine-checks: service state after net start and net stop: $(state)"

# The uninstaller (it runs a copy of itself and returns at once: wait for it) removes the
# service and the program and keeps the settings and the data.
"$wine" 'C:\csv2sql\uninstall.exe' /S
for _ in $(seq 60); do [[ -f $folder/uninstall.exe ]] || break; sleep 0.5; done
for file in csv2sql.exe user-guide.html uninstall.exe; do
  [[ ! -e $folder/$file ]] || fail "the uninstaller left $file"
done
[[ -f $folder/readings.db && -f $folder/config.ini ]] || fail "the uninstaller took the data"
[[ -z $(state) ]] || fail "the uninstaller left the service"
exit "$status"
