#!/usr/bin/env bash
# Builds the Debian package of the program with CPack: the program and the user guide in
# /opt/csv2sql, the systemd unit, the manual page, and the service user made at installation.
# Usage: scripts/package.sh [output folder] (default build-package/). Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${CSV2SQL_BUILD_DIR:-build-package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target csv2sql csv2sql_manual >/dev/null
output=$(realpath -m "${1:-$build}")
mkdir -p "$output"
(cd "$build" && cpack -G DEB -B "$output" >/dev/null)
ls "$output"/csv2sql_*.deb
