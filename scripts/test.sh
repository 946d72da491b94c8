#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers, starts a private PostgreSQL cluster and
# runs every test, the replication tests and a one-minute soak; then the Windows build and its
# tests under Wine (scripts/windows-build.sh). Either failing fails the command.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCSV2SQL_SANITIZE=ON >/dev/null
cmake --build build-test

# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
trap pg_stop EXIT
pg_start

export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build-test --output-on-failure --no-tests=error -j2 "$@" || status=1
# The real program against a replicated PostgreSQL, then a one-minute soak of the service.
scripts/replication-test.sh build-test/bin/csv2sql || status=1
scripts/soak.sh 1 build-test/bin/csv2sql || status=1
pg_stop
trap - EXIT

scripts/windows-build.sh || status=1
exit "$status"
