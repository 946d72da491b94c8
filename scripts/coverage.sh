#!/usr/bin/env bash
# Builds with gcov instrumentation, runs every test against a private PostgreSQL cluster and
# prints the line coverage of the product code (tests, benchmarks and build trees left out).
# Usage: scripts/coverage.sh [gcovr options]   e.g. --txt coverage.txt for the per-file report
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v gcovr >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi

cmake -S . -B build-coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCSV2SQL_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build build-coverage -j2
find build-coverage -name '*.gcda' -delete

# shellcheck source=scripts/pg-cluster.sh
source scripts/pg-cluster.sh
trap pg_stop EXIT
pg_start

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-coverage --output-on-failure --no-tests=error -j2

gcovr --root . --object-directory build-coverage --exclude-directories 'build-coverage/CMakeFiles' \
  --exclude '.*/tests/.*' --exclude 'tests/' \
  --exclude 'bench/' --exclude 'build.*' --print-summary "$@"
