#!/usr/bin/env bash
# The real program against a replicated PostgreSQL (scripts/pg-replica.sh): a standby listed
# before its primary; a promotion in the middle of a run with synchronous replication (nothing
# lost); the same with asynchronous replication, the standby behind, then --redrop (nothing lost,
# nothing twice). Run by scripts/test.sh with the test cluster's variables set.
# Usage: scripts/replication-test.sh [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build-test/bin/csv2sql}")
# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
# shellcheck source=scripts/pg-replica.sh
source scripts/pg-replica.sh
# shellcheck source=scripts/readings.sh
source scripts/readings.sh
: "${CSV2SQL_PG_USER:=csv2sql}" "${CSV2SQL_PG_PASSWORD:=se;cret\"pw}" "${CSV2SQL_PG_DATABASE:=csv2sql}"

work=$(mktemp -d /tmp/csv2sql-replication.XXXXXX)
trap 'replica_stop; rm -rf "$work"' EXIT
failed=0

expect() {  # NAME WANTED GOT
  if [ "$2" = "$3" ]; then
    echo "ok   $1: $3"
  else
    echo "FAIL $1: wanted $2, got $3"
    failed=1
  fi
}

# The status of "csv2sql 1" in FOLDER.
run_once() {
  local status=0
  (cd "$1" && ./csv2sql 1 >>"$1/output.txt" 2>&1) || status=$?
  echo "$status"
}

# Lines of the run logs of FOLDER with " : Error ".
error_lines() {
  cat "$1"/log/* | grep -c ' : Error ' || true
}

# Waits until the archive folder of FOLDER holds COUNT files, or the run of PID has ended.
await_archived() {
  while [ "$(readings_archived "$1")" -lt "$2" ] && kill -0 "$3" 2>/dev/null; do sleep 0.05; done
}

standby_first() {
  replica_start async
  replica_sql "$RP_PRIMARY_PORT" "$readings_table_sql"
  local form n=0
  for form in "127.0.0.1:$RP_STANDBY_PORT,127.0.0.1:$RP_PRIMARY_PORT" \
    "127.0.0.1,127.0.0.1:$RP_STANDBY_PORT,$RP_PRIMARY_PORT"; do
    local folder=$work/first$n
    readings_install "$folder" "$program" "$form"
    readings_drop "$folder/in" $((n * 10)) 3 100
    expect "standby first ($form): status" 0 "$(run_once "$folder")"
    n=$((n + 1))
  done
  expect "standby first: table" "lost 0, duplicated 0, wrong 0" \
    "$(readings_check "$RP_PRIMARY_PORT" $((n * 3 * 100)))"
  replica_stop
}

# A run cut off by a promotion, with the replication MODE; for async the primary's sender is
# stopped part-way, so that the promoted standby lacks files the run committed and archived.
promoted_mid_run() {
  local mode=$1 folder=$work/$1 files=300 readings=2000
  replica_start "$mode"
  replica_sql "$RP_PRIMARY_PORT" "$readings_table_sql"
  readings_install "$folder" "$program" "127.0.0.1:$RP_PRIMARY_PORT,127.0.0.1:$RP_STANDBY_PORT"
  readings_drop "$folder/in" 0 "$files" "$readings"
  local since
  since=$(date '+%Y-%m-%d %H:%M:%S')
  (cd "$folder" && exec ./csv2sql 1 >>"$folder/output.txt" 2>&1) &
  local run=$!
  # Files are archived a group at a time, after each commit.
  await_archived "$folder" 1 "$run"
  if [ "$mode" = async ]; then
    kill -STOP "$(replica_sender_pid)"
    await_archived "$folder" $(($(readings_archived "$folder") + 1)) "$run"
  fi
  local archived
  archived=$(readings_archived "$folder")
  replica_failover
  local status=0
  wait "$run" || status=$?
  expect "$mode: run cut off by the promotion (after $archived files)" "1 1" \
    "$status $(error_lines "$folder")"
  if [ "$mode" = async ]; then
    local held
    held=$(replica_sql "$RP_STANDBY_PORT" "SELECT count(*) FROM readings")
    expect "async: the promoted standby lacks committed files" yes \
      "$([ "$held" -lt $((archived * readings)) ] && echo yes || echo "no, it holds $held")"
    (cd "$folder" && ./csv2sql --redrop "$since" | tail -n 1)
  fi
  expect "$mode: the next run" 0 "$(run_once "$folder")"
  expect "$mode: table" "lost 0, duplicated 0, wrong 0" \
    "$(readings_check "$RP_STANDBY_PORT" $((files * readings)))"
  replica_stop
}

standby_first
promoted_mid_run sync
promoted_mid_run async
exit "$failed"
