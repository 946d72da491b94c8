#!/usr/bin/env bash
# Imports one file of 1 million readings (ISO UTC stamps, 50 tags, decimal values) with the
# unattended start "csv2sql 1", each time into a fresh table, beside the tools that ship with the
# databases: sqlite3 .import for SQLite, psql \copy for PostgreSQL. Runs alternate (A B A B ...)
# so that both sides see the same CPU speed; prints rows per second, the ratio ours/theirs per
# pair and its median, and peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${ROWS:-1000000}
rounds=${ROUNDS:-3}

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target csv2sql >/dev/null

# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
work=$(mktemp -d /tmp/csv2sql-bench.XXXXXX)
trap 'pg_stop; rm -rf "$work"' EXIT
pg_start >/dev/null
export PGPASSWORD=$CSV2SQL_PG_PASSWORD
psql_cmd=(psql -q -X -v ON_ERROR_STOP=1 -h "$CSV2SQL_PG_HOST" -p "$CSV2SQL_PG_PORT"
  -U "$CSV2SQL_PG_USER" -d "$CSV2SQL_PG_DATABASE")

data=$work/readings.csv
awk -v n="$rows" 'BEGIN {
  srand(42); printf "Time,Tag,Value\r\n"
  for (i = 0; i < n; i++) {
    s = i % 86400; d = 1 + int(i / 86400) % 28
    printf "2024-03-%02dT%02d:%02d:%02dZ,TAG%02d,%.3f\r\n", d, int(s / 3600), int(s / 60) % 60, s % 60, i % 50, rand() * 1000
  }
}' >"$data"
size=$(stat -c %s "$data")
echo "file: $rows rows, $((size / 1024 / 1024)) MiB"

utc_lines() {
  local year
  for year in $(seq 2015 2034); do
    echo "UTC=$year-03-10 07:00:00::$year-11-03 05:59:59::-4"
  done
}

# install DIR PROVIDER DATASOURCE UTC(YES|NO) [LEDGERTABLE]
install() {
  rm -rf "$1"
  mkdir -p "$1/in"
  cp build/bin/csv2sql "$1/"
  cp "$data" "$1/in/"
  {
    echo "CSVFOLDER=$1/in"
    echo "CNN_PROVIDER=$2"
    echo "CNN_DATASOURCE=$3"
    echo "CNN_INITIALCATALOG=$CSV2SQL_PG_DATABASE"
    echo "CNN_USERID=$CSV2SQL_PG_USER"
    echo "CNN_PASSWORD=$CSV2SQL_PG_PASSWORD"
    echo "DESTTABLE=CSVDATA"
    echo "UTCOFFSET=$4"
    [ "$4" = YES ] && utc_lines
    echo "AUTORUNEVERY=-1"
    [ -n "${5:-}" ] && echo "LEDGERTABLE=$5"
  } >"$1/config.ini"
}

# timed LABEL COMMAND...: prints "seconds peak-KiB" and appends to the label's list.
timed() {
  local label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    return 1
  }
  read -r seconds kib <"$work/time"
  echo "$label $seconds $kib" >>"$work/results"
}

sqlite_table='CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL);'
pg_table='DROP TABLE IF EXISTS csvdata; CREATE TABLE csvdata (DateTime timestamp, Tag text, Value double precision);'

# ours_sqlite UTC(YES|NO) LABEL [LEDGERTABLE]
ours_sqlite() {
  install "$work/ours" SQLite readings.db "$1" "${3:-}"
  sqlite3 "$work/ours/readings.db" "$sqlite_table"
  timed "$2" "$work/ours/csv2sql" 1
  [ "$(sqlite3 "$work/ours/readings.db" 'SELECT count(*) FROM CSVDATA')" = "$rows" ]
}
theirs_sqlite() {
  rm -f "$work/theirs.db"
  sqlite3 "$work/theirs.db" "$sqlite_table"
  timed sqlite3_import sqlite3 "$work/theirs.db" -cmd '.mode csv' ".import --skip 1 $data CSVDATA"
}
ours_pg() {
  "${psql_cmd[@]}" -c "$pg_table"
  install "$work/ours" PostgreSQL "$CSV2SQL_PG_HOST:$CSV2SQL_PG_PORT" NO
  timed ours_pg "$work/ours/csv2sql" 1
  [ "$("${psql_cmd[@]}" -tA -c 'SELECT count(*) FROM csvdata')" = "$rows" ]
}
theirs_pg() {
  "${psql_cmd[@]}" -c "$pg_table"
  timed psql_copy "${psql_cmd[@]}" -c "\\copy csvdata FROM '$data' WITH (FORMAT csv, HEADER true)"
}

: >"$work/results"
for round in $(seq "$rounds"); do
  echo "round $round"
  ours_sqlite NO ours_sqlite
  ours_sqlite NO ours_sqlite_ledger CSVLEDGER
  theirs_sqlite
  ours_sqlite YES ours_sqlite_utc
  ours_pg
  theirs_pg
done

awk -v rows="$rows" -v size="$size" '
  { t[$1, ++n[$1]] = $2; m[$1] = ($3 > m[$1] ? $3 : m[$1]) }
  function median(a, k,   i, j, x, v) {
    for (i = 1; i <= k; i++) v[i] = a[i]
    for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { x = v[i]; v[i] = v[j]; v[j] = x }
    return (k % 2) ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2
  }
  function pairs(a, b, label,   i, r) {
    for (i = 1; i <= n[a]; i++) r[i] = t[b, i] / t[a, i]
    printf "%-34s ratio per pair:", label
    for (i = 1; i <= n[a]; i++) printf " %.2f", r[i]
    printf "   median %.2f\n", median(r, n[a])
  }
  END {
    for (k in n) {
      for (i = 1; i <= n[k]; i++) s[i] = t[k, i]
      printf "%-16s median %6.2f s  %9.0f rows/s  peak %6.1f MiB\n", k, median(s, n[k]), rows / median(s, n[k]), m[k] / 1024
    }
    printf "file size %.1f MiB; memory goal: peak <= file + 64 MiB = %.1f MiB\n", size / 1048576, size / 1048576 + 64
    pairs("ours_sqlite", "sqlite3_import", "SQLite: ours/theirs speed (goal >= 1.5)")
    pairs("ours_pg", "psql_copy", "PostgreSQL: ours/theirs speed (goal >= 1.0)")
    pairs("ours_sqlite_utc", "ours_sqlite", "UTC on/off speed (goal >= 0.91)")
    pairs("ours_sqlite_ledger", "ours_sqlite", "Ledger on/off speed (goal >= 0.95)")
  }' "$work/results"
