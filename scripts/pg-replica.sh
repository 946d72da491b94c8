# shellcheck shell=bash disable=SC2154 # pg_bin and the CSV2SQL_PG_ variables: pg-cluster.sh
# Sourced after scripts/pg-cluster.sh by the replication and soak tests: a primary and a standby
# streaming from it, both on loopback, on free ports, in a temporary folder of their own (the
# test cluster of pg-cluster.sh is left alone). replica_start sync|async, replica_failover (the
# primary stops at once, the standby is promoted), replica_stop.

replica_as_postgres() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

replica_start() {
  local mode=$1
  RP_DIR=$(mktemp -d /tmp/csv2sql-replica.XXXXXX)
  chmod 755 "$RP_DIR"
  [ "$(id -u)" = 0 ] && chown postgres:postgres "$RP_DIR"
  printf '%s\n' "$CSV2SQL_PG_PASSWORD" >"$RP_DIR/pwfile"
  chmod 644 "$RP_DIR/pwfile"
  replica_as_postgres "$pg_bin/initdb" -D "$RP_DIR/primary" -U "$CSV2SQL_PG_USER" \
    --pwfile="$RP_DIR/pwfile" --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$RP_DIR/initdb.log"
  RP_PRIMARY_PORT=$(pg_free_port)
  replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/primary" -l "$RP_DIR/primary.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $RP_PRIMARY_PORT -k $RP_DIR -c fsync=off" \
    start >/dev/null
  PGPASSWORD=$CSV2SQL_PG_PASSWORD "$pg_bin/createdb" -h 127.0.0.1 -p "$RP_PRIMARY_PORT" \
    -U "$CSV2SQL_PG_USER" "$CSV2SQL_PG_DATABASE"
  # -R: the standby's primary_conninfo and standby.signal; its cluster_name names it for
  # synchronous_standby_names.
  PGPASSWORD=$CSV2SQL_PG_PASSWORD replica_as_postgres "$pg_bin/pg_basebackup" -h 127.0.0.1 \
    -p "$RP_PRIMARY_PORT" -U "$CSV2SQL_PG_USER" -D "$RP_DIR/standby" -R -X stream -c fast
  RP_STANDBY_PORT=$(pg_free_port)
  replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/standby" -l "$RP_DIR/standby.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $RP_STANDBY_PORT -k $RP_DIR -c fsync=off \
        -c cluster_name=standby1" start >/dev/null
  for _ in $(seq 100); do
    [ "$(replica_sql "$RP_PRIMARY_PORT" "SELECT count(*) FROM pg_stat_replication \
      WHERE state = 'streaming'")" = 1 ] && break
    sleep 0.1
  done
  # Synchronous once the standby streams: till then every commit would wait for it.
  if [ "$mode" = sync ]; then
    replica_sql "$RP_PRIMARY_PORT" "ALTER SYSTEM SET synchronous_standby_names = 'standby1'"
    replica_sql "$RP_PRIMARY_PORT" "SELECT pg_reload_conf()" >/dev/null
  fi
  echo "Primary on 127.0.0.1:$RP_PRIMARY_PORT, $mode standby on 127.0.0.1:$RP_STANDBY_PORT"
}

# Runs SQL on a server of the pair: its rows, unaligned.
replica_sql() {
  PGPASSWORD=$CSV2SQL_PG_PASSWORD psql -X -q -At -h 127.0.0.1 -p "$1" -U "$CSV2SQL_PG_USER" \
    -d "$CSV2SQL_PG_DATABASE" -v ON_ERROR_STOP=1 -c "$2"
}

# The primary's process that sends its changes to the standby: stopped (SIGSTOP), the standby
# falls behind as an asynchronous standby may (what was sent already still arrives).
replica_sender_pid() {
  replica_sql "$RP_PRIMARY_PORT" "SELECT pid FROM pg_stat_replication"
}

replica_failover() {
  replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/primary" -m immediate stop >/dev/null
  replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/standby" -w promote >/dev/null
}

replica_stop() {
  [ -n "${RP_DIR:-}" ] || return 0
  local side
  for side in primary standby; do
    replica_as_postgres "$pg_bin/pg_ctl" -D "$RP_DIR/$side" -m immediate stop >/dev/null 2>&1 || true
  done
  rm -rf "$RP_DIR"
  RP_DIR=
}
