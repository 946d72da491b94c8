#!/usr/bin/env bash
# Imports one file of 1 million readings (ISO UTC stamps, 50 tags, decimal values) with the
# unattended start "csv2sql 1", each time into a fresh table, beside the tools that ship with the
# databases: sqlite3 .import (and a bare C loader, bench/bare_sqlite_loader.c) for SQLite, psql
# \copy for PostgreSQL, and through psqlODBC beside the program as it was at the commit
# BEFORE_COMMIT (built once into build-branch-point/, or given as BEFORE_BIN). The two sides of
# each pair run back to back (A B, then B A in the next round, ...) so that both see the same CPU
# speed; prints rows per second, the ratio per pair with its median and range, and peak memory.
# The "before" group (not run by default) pairs SQLite imports, one file and 10,000 files, with
# the program of BEFORE_COMMIT / BEFORE_BIN, for a change that must keep the import's speed.
# A side is a function that times one run under its label; a line of the summary pairs two labels. TARGETS (default "sqlite pg odbc files loaders memory longline linear dialects") picks
# which of the groups run. The "loaders" group pairs one loader with 2 and with 4 loaders, each on
# a folder of its own, all into the one PostgreSQL table: the readings per second in all. The "files" group pairs the same readings in 10,000 files of 100 (FILES)
# with the one file, both with the ledger; "memory" imports the readings 30 times over (about 1 GiB)
# into SQLite for its peak memory; "longline" the readings with one line of 64 MiB amid them (a
# row skipped) for its peak memory; "linear" pairs them 10 times over with the one file.
# "dialects" pairs the default file with the same readings as a German export (";", decimal
# commas, "dd.mm.yyyy hh:nn:ss") and as a wide file (one column per tag), each read through its
# keys (DIALECT_KEYS): no dialect may be slower than half the default path per reading.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${ROWS:-1000000}
rounds=${ROUNDS:-5}
build=${BUILD_DIR:-build}
targets=${TARGETS:-sqlite pg odbc files loaders memory longline linear dialects}
wants() { [[ " $targets " == *" $1 "* ]]; }
# files: the readings in folders of this many files each, beside one file of them all.
files=${FILES:-10000}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target csv2sql bare_sqlite_loader >/dev/null

before_commit=${BEFORE_COMMIT:-1fc9da4604462a2d26b27201ba9548515db848bd}
before_bin=${BEFORE_BIN:-}
if [ -z "$before_bin" ] && { wants odbc || wants before; }; then
  if [ "$(cat build-branch-point/commit 2>/dev/null)" != "$before_commit" ]; then
    rm -rf build-branch-point
    mkdir -p build-branch-point/src
    git archive "$before_commit" | tar -x -C build-branch-point/src
    echo "$before_commit" >build-branch-point/commit
  fi
  cmake -S build-branch-point/src -B build-branch-point/build -G Ninja \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-branch-point/build -j2 --target csv2sql >/dev/null
  before_bin=build-branch-point/build/bin/csv2sql
fi

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
# The same readings in $files files of the header and rows/$files rows each.
split_folder=$work/split
if wants files || wants before; then
  mkdir -p "$split_folder"
  awk -v per="$((rows / files))" -v dir="$split_folder" 'NR == 1 { header = $0; next }
    (NR - 2) % per == 0 { if (out) close(out); out = sprintf("%s/r%06d.csv", dir, (NR - 2) / per); print header >out }
    { print >out }' "$data"
fi

utc_lines() {
  local year
  for year in $(seq 2015 2034); do
    echo "UTC=$year-03-10 07:00:00::$year-11-03 05:59:59::-4"
  done
}

# install DIR PROVIDER DATASOURCE UTC(YES|NO) [LEDGERTABLE]: the program of $program.
program=$build/bin/csv2sql
install() {
  rm -rf "$1"
  mkdir -p "$1/in"
  cp "$program" "$1/csv2sql"
  if [ -n "${SPLIT:-}" ]; then cp "$split_folder"/*.csv "$1/in/"; else cp "${SOURCE:-$data}" "$1/in/"; fi
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
    if [ -n "${5:-}" ]; then echo "LEDGERTABLE=$5"; fi
    if [ -n "${DIALECT_KEYS:-}" ]; then printf '%b\n' "$DIALECT_KEYS"; fi
  } >"$1/config.ini"
}

# timed LABEL COMMAND...: appends "label seconds peak-KiB" to the results. The seconds come from
# the shell's microsecond clock: time's own 10 ms steps are 3 % of a 1 M-reading run.
timed() {
  local label=$1 start end kib
  shift
  start=${EPOCHREALTIME/[^0-9]/}
  /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    return 1
  }
  end=${EPOCHREALTIME/[^0-9]/}
  read -r kib <"$work/time"
  printf '%s %d.%06d %s\n' "$label" $(((end - start) / 1000000)) $(((end - start) % 1000000)) "$kib" \
    >>"$work/results"
}

sqlite_table='CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL);'
pg_table='DROP TABLE IF EXISTS csvdata; CREATE TABLE csvdata (DateTime timestamp, Tag text, Value double precision);'

# times N: the readings N times over in one file, made once.
times() {
  local file=$work/readings-x$1.csv
  if [ ! -f "$file" ]; then
    { head -n 1 "$data"; for _ in $(seq "$1"); do tail -n +2 "$data"; done; } >"$file"
  fi
  echo "$file"
}

# The readings with one line of 64 MiB, of no line end within, after the first half of them.
long_line() {
  local file=$work/readings-long-line.csv
  if [ ! -f "$file" ]; then
    {
      head -n $((rows / 2 + 1)) "$data"
      head -c $((64 << 20)) /dev/zero | tr '\0' '1'
      printf '\r\n'
      tail -n +$((rows / 2 + 2)) "$data"
    } >"$file"
  fi
  echo "$file"
}

# The readings as a German Excel export: ";" between fields, a decimal comma, day first.
german() {
  local file=$work/readings-german.csv
  if [ ! -f "$file" ]; then
    awk -F, 'NR == 1 { printf "Zeit;Messstelle;Wert\r\n"; next }
      { sub(/\r$/, "", $3); split($1, t, /[-TZ]/); sub(/\./, ",", $3)
        printf "%s.%s.%s %s;%s;%s\r\n", t[3], t[2], t[1], t[4], $2, $3 }' "$data" >"$file"
  fi
  echo "$file"
}
german_keys='DELIMITER=;\n"DECIMALMARK=,"\nDATEFORMAT=dd.mm.yyyy hh:nn:ss'

# The readings as a wide file: a time column and one column per tag, 50 readings a line.
wide() {
  local file=$work/readings-wide.csv
  if [ ! -f "$file" ]; then
    awk -F, 'NR == 1 { printf "Time"; for (i = 0; i < 50; i++) printf ",TAG%02d", i; printf "\r\n"; next }
      { sub(/\r$/, "", $3); line = line "," $3
        if ((NR - 2) % 50 == 0) stamp = $1
        if ((NR - 1) % 50 == 0) { printf "%s%s\r\n", stamp, line; line = "" } }' "$data" >"$file"
  fi
  echo "$file"
}

# ours_sqlite UTC(YES|NO) LABEL [LEDGERTABLE]; SOURCE and EXPECTED: another file and its rows.
ours_sqlite() {
  install "$work/ours" SQLite readings.db "$1" "${3:-}"
  sqlite3 "$work/ours/readings.db" "$sqlite_table"
  timed "$2" "$work/ours/csv2sql" 1
  [ "$(sqlite3 "$work/ours/readings.db" 'SELECT count(*) FROM CSVDATA')" = "${EXPECTED:-$rows}" ]
}
theirs_sqlite() {
  rm -f "$work/theirs.db"
  sqlite3 "$work/theirs.db" "$sqlite_table"
  timed sqlite3_import sqlite3 "$work/theirs.db" -cmd '.mode csv' ".import --skip 1 $data CSVDATA"
}
# The same readings through a C program that does nothing else (bench/bare_sqlite_loader.c).
bare_sqlite() {
  rm -f "$work/bare.db"
  sqlite3 "$work/bare.db" "$sqlite_table"
  timed bare_c_sqlite "$build/bin/bare_sqlite_loader" "$work/bare.db" "$data" CSVDATA
  [ "$(sqlite3 "$work/bare.db" 'SELECT count(*) FROM CSVDATA')" = "$rows" ]
}
# ours_pg [LABEL LEDGERTABLE]
ours_pg() {
  "${psql_cmd[@]}" -c "$pg_table"
  if [ -n "${2:-}" ]; then "${psql_cmd[@]}" -c "DROP TABLE IF EXISTS $2"; fi
  install "$work/ours" PostgreSQL "$CSV2SQL_PG_HOST:$CSV2SQL_PG_PORT" NO "${2:-}"
  timed "${1:-ours_pg}" "$work/ours/csv2sql" 1
  [ "$("${psql_cmd[@]}" -tA -c 'SELECT count(*) FROM csvdata')" = "$rows" ]
}
# odbc_pg LABEL PROGRAM: the import into PostgreSQL through psqlODBC.
odbc_pg() {
  "${psql_cmd[@]}" -c "$pg_table"
  program=$2 install "$work/ours" MSDASQL "$CSV2SQL_PG_DSN" NO
  timed "$1" "$work/ours/csv2sql" 1
  [ "$("${psql_cmd[@]}" -tA -c 'SELECT count(*) FROM csvdata')" = "$rows" ]
}
# loaders_pg N LABEL: the readings split into N files, each in a folder of its own with a
# loader of its own, all N started at once into the one table; timed until the last ends.
loaders_pg() {
  local n=$1 k
  "${psql_cmd[@]}" -c "$pg_table"
  for k in $(seq "$n"); do
    local part=$work/part-$n-$k.csv
    if [ ! -f "$part" ]; then
      awk -v n="$n" -v k="$k" 'NR == 1 || (NR - 2) % n == k - 1' "$data" >"$part"
    fi
    SOURCE=$part install "$work/loader$k" PostgreSQL "$CSV2SQL_PG_HOST:$CSV2SQL_PG_PORT" NO
  done
  # shellcheck disable=SC2016 # expanded by the inner shell
  timed "$2" bash -c 'for k in $(seq "$1"); do "$2/loader$k/csv2sql" 1 & done; wait' _ "$n" "$work"
  [ "$("${psql_cmd[@]}" -tA -c 'SELECT count(*) FROM csvdata')" = "$rows" ]
}
theirs_pg() {
  "${psql_cmd[@]}" -c "$pg_table"
  timed psql_copy "${psql_cmd[@]}" -c "\\copy csvdata FROM '$data' WITH (FORMAT csv, HEADER true)"
}

: >"$work/results"
# in_turn A B: the two sides of a pair, one right after the other so that both see the same CPU
# speed, A first in odd rounds and B first in even ones so that neither always runs second.
in_turn() {
  if ((round % 2)); then
    eval "$1"
    eval "$2"
  else
    eval "$2"
    eval "$1"
  fi
}
for round in $(seq "$rounds"); do
  echo "round $round"
  if wants sqlite; then
    in_turn "ours_sqlite NO ours_sqlite" theirs_sqlite
    in_turn "ours_sqlite NO ours_vs_bare" bare_sqlite
    in_turn "ours_sqlite NO ours_utc_off" "ours_sqlite YES ours_sqlite_utc"
    in_turn "ours_sqlite NO ours_ledger_off" "ours_sqlite NO ours_sqlite_ledger CSVLEDGER"
  fi
  if wants pg; then
    in_turn ours_pg theirs_pg
  fi
  if wants odbc; then
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn 'odbc_pg ours_odbc "$program"' 'odbc_pg before_odbc "$before_bin"'
  fi
  if wants before; then
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn 'ours_sqlite NO now_sqlite' 'program=$before_bin ours_sqlite NO before_sqlite'
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn 'SPLIT=1 ours_sqlite NO now_files CSVLEDGER' \
      'program=$before_bin SPLIT=1 ours_sqlite NO before_files CSVLEDGER'
  fi
  if wants files; then
    in_turn "ours_sqlite NO one_file_sqlite CSVLEDGER" "SPLIT=1 ours_sqlite NO files_sqlite CSVLEDGER"
    in_turn "ours_pg one_file_pg csvledger" "SPLIT=1 ours_pg files_pg csvledger"
  fi
  if wants loaders; then
    in_turn "loaders_pg 1 loaders_1a" "loaders_pg 2 loaders_2"
    in_turn "loaders_pg 1 loaders_1b" "loaders_pg 4 loaders_4"
  fi
  if wants memory; then
    SOURCE=$(times 30) EXPECTED=$((rows * 30)) ours_sqlite NO memory_1gib
  fi
  if wants longline; then
    SOURCE=$(long_line) ours_sqlite NO long_line_64mib
  fi
  if wants dialects; then
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn "ours_sqlite NO default_vs_german" \
      'SOURCE=$(german) DIALECT_KEYS=$german_keys ours_sqlite NO german_sqlite'
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn "ours_sqlite NO default_vs_wide" \
      'SOURCE=$(wide) DIALECT_KEYS=LAYOUT=WIDE ours_sqlite NO wide_sqlite'
  fi
  if wants linear; then
    # shellcheck disable=SC2016 # expanded by in_turn's eval
    in_turn "ours_sqlite NO linear_1m" \
      'SOURCE=$(times 10) EXPECTED=$((rows * 10)) ours_sqlite NO linear_10m'
  fi
done

awk -v rows="$rows" -v size="$size" '
  { t[$1, ++n[$1]] = $2; m[$1] = ($3 > m[$1] ? $3 : m[$1]) }
  function median(a, k,   i, j, x, v) {
    for (i = 1; i <= k; i++) v[i] = a[i]
    for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { x = v[i]; v[i] = v[j]; v[j] = x }
    return (k % 2) ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2
  }
  function pairs(a, b, label,   i, r, lo, hi) {
    if (!n[a] || !n[b]) return
    for (i = 1; i <= n[a]; i++) {
      r[i] = t[b, i] / t[a, i]
      lo = (i == 1 || r[i] < lo) ? r[i] : lo
      hi = (i == 1 || r[i] > hi) ? r[i] : hi
    }
    printf "%-50s ratio per pair:", label
    for (i = 1; i <= n[a]; i++) printf " %.2f", r[i]
    printf "   median %.2f (%.2f-%.2f)\n", median(r, n[a]), lo, hi
  }
  END {
    for (k in n) {
      for (i = 1; i <= n[k]; i++) s[i] = t[k, i]
      copies = k ~ /1gib/ ? 30 : k ~ /10m/ ? 10 : 1
      printf "%-16s median %6.3f s  %9.0f rows/s  peak %6.1f MiB\n", k, median(s, n[k]), rows * copies / median(s, n[k]), m[k] / 1024
    }
    printf "file size %.1f MiB\n", size / 1048576
    if (n["memory_1gib"]) printf "Memory on a %.0f MiB file: peak %.1f MiB (goal <= 64)\n", size * 30 / 1048576, m["memory_1gib"] / 1024
    if (n["long_line_64mib"]) printf "Memory on a file with one line of 64 MiB: peak %.1f MiB (goal <= 64)\n", m["long_line_64mib"] / 1024
    pairs("ours_sqlite", "sqlite3_import", "SQLite: ours/sqlite3 .import speed (goal >= 2.0)")
    pairs("ours_vs_bare", "bare_c_sqlite", "SQLite: ours/bare C loader speed (goal >= 1.0)")
    pairs("ours_pg", "psql_copy", "PostgreSQL binary COPY: ours/psql \\copy (goal >= 1.5)")
    pairs("ours_odbc", "before_odbc", "ODBC (psqlODBC): ours now / ours before (goal >= 4)")
    pairs("now_sqlite", "before_sqlite", "SQLite: now/before speed, one file (goal >= 0.95)")
    pairs("now_files", "before_files", "SQLite: now/before speed, 10,000 files (goal >= 0.95)")
    pairs("ours_sqlite_utc", "ours_utc_off", "UTC on/off speed (goal >= 0.91)")
    pairs("ours_sqlite_ledger", "ours_ledger_off", "Ledger on/off speed (goal >= 0.95)")
    pairs("files_sqlite", "one_file_sqlite", "SQLite: 10,000 files/one file readings per second (goal >= 0.5)")
    pairs("files_pg", "one_file_pg", "PostgreSQL: 10,000 files/one file readings per second (goal >= 0.5)")
    pairs("german_sqlite", "default_vs_german", "SQLite: German/default readings per second (goal >= 0.5)")
    pairs("wide_sqlite", "default_vs_wide", "SQLite: wide/default readings per second (goal >= 0.5)")
    pairs("loaders_2", "loaders_1a", "PostgreSQL: 2 loaders/1 loader, readings per second in all")
    pairs("loaders_4", "loaders_1b", "PostgreSQL: 4 loaders/1 loader, readings per second in all")
    pairs("linear_1m", "linear_10m", "SQLite: 10 M readings/1 M readings time (goal <= 10.5)")
  }' "$work/results"
