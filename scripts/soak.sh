#!/usr/bin/env bash
# Soak test of the service: csv2sql NTSERVICE imports into a primary with a synchronous standby
# (scripts/pg-replica.sh) while a generator drops complete files; the service is killed
# (SIGKILL) and started again every few seconds, the primary restarts once and fails over to
# the standby once. At the end every reading generated must be in the table exactly once, with
# its value: lost, duplicated and wrong all 0, or the script fails.
# Usage: scripts/soak.sh MINUTES [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES [PROGRAM]}
program=$(realpath "${2:-build-test/bin/csv2sql}")
# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
# shellcheck source=scripts/pg-replica.sh
source scripts/pg-replica.sh
# shellcheck source=scripts/readings.sh
source scripts/readings.sh
: "${CSV2SQL_PG_USER:=csv2sql}" "${CSV2SQL_PG_PASSWORD:=se;cret\"pw}" "${CSV2SQL_PG_DATABASE:=csv2sql}"

readings_per_file=100
work=$(mktemp -d /tmp/csv2sql-soak.XXXXXX)
service=0
generator=0
cleanup() {
  [ "$generator" != 0 ] && kill "$generator" 2>/dev/null
  [ "$service" != 0 ] && kill -KILL "$service" 2>/dev/null
  replica_stop
  rm -rf "$work"
}
trap cleanup EXIT

replica_start sync
replica_sql "$RP_PRIMARY_PORT" "$readings_table_sql"
readings_install "$work" "$program" "127.0.0.1:$RP_PRIMARY_PORT,127.0.0.1:$RP_STANDBY_PORT" \
  AUTORUNEVERY=1 RETRYMINUTES=1

# A scheduled minute lasts 300 ms under the timer seam.
start_service() {
  (cd "$work" && CSV2SQL_TIMER_INTERVAL_MS=300 exec ./csv2sql NTSERVICE >>"$work/service.txt" 2>&1) &
  service=$!
}

# Files of readings_per_file readings, five a second, numbered on; the count in $work/dropped.
(
  n=0
  while :; do
    readings_drop "$work/in" "$n" 1 "$readings_per_file"
    n=$((n + 1))
    echo "$n" >"$work/dropped"
    sleep 0.2
  done
) &
generator=$!

seconds=$((minutes * 60))
kills=0 restarts=0
start_service
began=$(date +%s)
server_restarted=no failed_over=no
while [ $(($(date +%s) - began)) -lt "$seconds" ]; do
  sleep "$(awk -v s="$seconds" 'BEGIN { srand(); printf "%.1f", 1 + rand() * s / 20 }')"
  elapsed=$(($(date +%s) - began))
  if ! kill -0 "$service" 2>/dev/null; then
    restarts=$((restarts + 1))  # it ended by itself (a failed run without retries)
  else
    kill -KILL "$service"
    kills=$((kills + 1))
  fi
  wait "$service" 2>/dev/null || true
  if [ "$server_restarted" = no ] && [ "$elapsed" -ge $((seconds / 3)) ]; then
    replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/primary" -m immediate -w restart \
      -o "-c listen_addresses=127.0.0.1 -p $RP_PRIMARY_PORT -k $RP_DIR -c fsync=off" >/dev/null
    server_restarted=yes
  elif [ "$failed_over" = no ] && [ "$elapsed" -ge $((2 * seconds / 3)) ]; then
    replica_failover
    failed_over=yes
  fi
  start_service
done
kill "$generator"
wait "$generator" 2>/dev/null || true
generator=0
files=$(cat "$work/dropped")
# The service takes what is left.
for _ in $(seq 600); do
  [ -z "$(find "$work/in" -name '*.csv' -print -quit)" ] && break
  sleep 0.1
done
kill -TERM "$service"
wait "$service" 2>/dev/null || true
service=0

result=$(readings_check "$RP_STANDBY_PORT" $((files * readings_per_file)))
echo "soak of $minutes min: $files files, $((files * readings_per_file)) readings," \
  "$kills SIGKILLs, $restarts restarts after a failed run, server restarted: $server_restarted," \
  "failed over: $failed_over; $result"
[ "$result" = "lost 0, duplicated 0, wrong 0" ] && [ "$failed_over" = yes ] &&
  [ "$server_restarted" = yes ]
