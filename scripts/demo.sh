#!/usr/bin/env bash
# Builds the program, lays out a demo installation in demo/ (the program, a config.ini for the
# embedded SQLite destination, a database with the destination table, a folder of sample CSV
# files, an archive folder), runs one unattended import ("csv2sql 1") and shows the run log and
# the rows now in the table.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target csv2sql

demo=$PWD/demo
rm -rf "$demo"
mkdir -p "$demo/in" "$demo/archive"
cp build/bin/csv2sql build/bin/csv2sql-window build/bin/user-guide.html build/bin/datetime-forms.md "$demo/"
cp sample/*.csv "$demo/in/"
sqlite3 "$demo/readings.db" \
  'CREATE TABLE CSVDATA (DateTime TEXT NOT NULL, Tag TEXT NOT NULL, Value REAL NOT NULL);'

# Offset periods for US Eastern time: local = UTC - 4 in summer, UTC - 5 in winter.
printf '%s\r\n' \
  "CSVFOLDER=$demo/in" \
  "DELOLDRECS=-1" \
  "ARCHIVEFILES=YES" \
  "ARCHIVEFOLDER=$demo/archive" \
  "CNN_COMMAND_TIMEOUT=30" \
  "CNN_CONNECTION_TIMEOUT=30" \
  "CNN_PROVIDER=SQLite" \
  "CNN_DATASOURCE=readings.db" \
  "CNN_INITIALCATALOG=" \
  "CNN_USERID=" \
  "CNN_PASSWORD=" \
  "DESTTABLE=CSVDATA" \
  "DELRECDAYS=" \
  "HEADERROWS=1" \
  "COLDATETIME=1" \
  "COLTAG=2" \
  "COLVALUE=3" \
  "UTCOFFSET=YES" \
  "UTC=2024-03-10 07:00:00::2024-11-03 05:59:59::-4" \
  "UTC=2024-11-03 06:00:00::2025-03-09 06:59:59::-5" \
  "AUTORUNEVERY=-1" \
  "DEST_CNN=" >"$demo/config.ini"

status=0
"$demo/csv2sql" 1 || status=$?

echo "== run log (exit status $status) =="
cat "$demo"/log/*.log | tr -d '\r'
echo "== rows in CSVDATA =="
sqlite3 -header -column "$demo/readings.db" 'SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid;'
echo "== archive folder =="
ls "$demo/archive"
if compgen -G "$demo/log/*.rejects.csv" >/dev/null; then
  echo "== skipped rows =="
  cat "$demo"/log/*.rejects.csv | tr -d '\r'
fi
exit "$status"
