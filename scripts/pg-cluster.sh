# Sourced by the test and benchmark scripts: a private PostgreSQL cluster on loopback, in a
# temporary folder, on a free port; pg_stop ends it and removes the folder.
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

pg_free_port() {
  local port
  for port in $(seq 55432 55532); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

pg_start() {
  PG_DIR=$(mktemp -d /tmp/csv2sql-pg.XXXXXX)
  chmod 755 "$PG_DIR"
  local runas=()
  if [ "$(id -u)" = 0 ]; then
    chown postgres:postgres "$PG_DIR"
    runas=(runuser -u postgres --)
  fi
  export CSV2SQL_PG_HOST=127.0.0.1
  CSV2SQL_PG_PORT=$(pg_free_port)
  export CSV2SQL_PG_PORT
  export CSV2SQL_PG_USER=csv2sql
  export CSV2SQL_PG_PASSWORD='se;cret"pw'
  export CSV2SQL_PG_DATABASE=csv2sql
  printf '%s\n' "$CSV2SQL_PG_PASSWORD" >"$PG_DIR/pwfile"
  chmod 644 "$PG_DIR/pwfile"
  "${runas[@]}" "$pg_bin/initdb" -D "$PG_DIR/data" -U "$CSV2SQL_PG_USER" \
    --pwfile="$PG_DIR/pwfile" --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log"
  "${runas[@]}" "$pg_bin/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $CSV2SQL_PG_PORT -k $PG_DIR -c fsync=off" start >/dev/null
  PGPASSWORD=$CSV2SQL_PG_PASSWORD "$pg_bin/createdb" -h 127.0.0.1 -p "$CSV2SQL_PG_PORT" \
    -U "$CSV2SQL_PG_USER" "$CSV2SQL_PG_DATABASE"

  # An ODBC data source for the same database, through psqlODBC.
  export ODBCINI="$PG_DIR/odbc.ini"
  export CSV2SQL_PG_DSN=csv2sql_pg
  cat >"$ODBCINI" <<INI
[$CSV2SQL_PG_DSN]
Driver = PostgreSQL Unicode
Servername = 127.0.0.1
Port = $CSV2SQL_PG_PORT
Database = $CSV2SQL_PG_DATABASE
INI
  echo "PostgreSQL test cluster on 127.0.0.1:$CSV2SQL_PG_PORT"
}

pg_stop() {
  [ -n "${PG_DIR:-}" ] || return 0
  local runas=()
  [ "$(id -u)" = 0 ] && runas=(runuser -u postgres --)
  "${runas[@]}" "$pg_bin/pg_ctl" -D "$PG_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PG_DIR"
  PG_DIR=
}
