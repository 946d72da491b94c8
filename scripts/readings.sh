# shellcheck shell=bash
# Sourced by the replication and soak tests: installations of the real program, files of
# readings that say what they should be, and the count of what a table holds of them.

# readings_install FOLDER PROGRAM DATASOURCE [config lines...]: the program in FOLDER with its
# config.ini, the source folder FOLDER/in and the archive FOLDER/archive, the table readings and
# the ledger loads.
readings_install() {
  local folder=$1 program=$2 datasource=$3
  shift 3
  mkdir -p "$folder/in" "$folder/archive"
  cp "$program" "$folder/csv2sql"
  {
    printf 'CSVFOLDER=%s\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=%s\r\n' "$folder/in" "$folder/archive"
    # Quoted whole: the item reader of config.ini cuts a value at a comma.
    printf 'CNN_PROVIDER=PostgreSQL\r\n"CNN_DATASOURCE=%s"\r\nCNN_INITIALCATALOG=%s\r\n' \
      "$datasource" "$CSV2SQL_PG_DATABASE"
    printf 'CNN_USERID=%s\r\nCNN_PASSWORD=%s\r\nDESTTABLE=readings\r\nLEDGERTABLE=loads\r\n' \
      "$CSV2SQL_PG_USER" "$CSV2SQL_PG_PASSWORD"
    printf 'CNN_CONNECTION_TIMEOUT=5\r\nCNN_COMMAND_TIMEOUT=10\r\n'
    local line
    for line in "$@"; do printf '%s\r\n' "$line"; done
  } >"$folder/config.ini"
}

# shellcheck disable=SC2034 # used by the scripts that source this one
readings_table_sql="CREATE TABLE readings (DateTime timestamp, Tag varchar(20), Value double precision)"

# readings_drop FOLDER FIRST COUNT READINGS: files F<n>.csv, n from FIRST, each whole when it
# appears (renamed into place); reading i of file n is at 2026-01-01 + i seconds, tag F<n>,
# value n * 100000 + i.
readings_drop() {
  local folder=$1 first=$2 count=$3 readings=$4 n
  for n in $(seq "$first" $((first + count - 1))); do
    awk -v n="$n" -v r="$readings" 'BEGIN {
      printf "DateTime,Tag,Value\r\n"
      for (i = 0; i < r; i++)
        printf "2026-01-01 %02d:%02d:%02d,F%d,%d\r\n", int(i / 3600), int(i / 60) % 60, i % 60, n, n * 100000 + i
    }' >"$folder/.F$n.tmp"
    mv "$folder/.F$n.tmp" "$folder/F$n.csv"
  done
}

# readings_check PORT EXPECTED: "lost L, duplicated D, wrong W" of the table on that server.
readings_check() {
  replica_sql "$1" "SELECT 'lost ' || ($2 - count(DISTINCT (DateTime, Tag))) || ', duplicated ' ||
    (count(*) - count(DISTINCT (DateTime, Tag))) || ', wrong ' || count(*) FILTER (WHERE Value <>
    substr(Tag, 2)::int * 100000 + extract(epoch FROM DateTime - '2026-01-01')) FROM readings"
}

# readings_archived FOLDER: how many files the archive folder holds.
readings_archived() {
  find "$1/archive" -name '*.csv' | wc -l
}
