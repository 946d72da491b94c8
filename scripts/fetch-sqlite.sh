#!/usr/bin/env bash
# Puts SQLite's official amalgamation (sqlite3.c, sqlite3.h; SQLite 3.53.2) into a folder, for the
# Windows build: Debian carries no SQLite sources to compile for MinGW-w64. It comes from the npm
# package better-sqlite3 12.10.1, which ships the amalgamation unchanged in deps/sqlite3/; the
# package and both files must match scripts/sqlite-amalgamation.sha256. The package is fetched
# once into the folder's downloads/ and kept there.
#   scripts/fetch-sqlite.sh FOLDER
set -euo pipefail
sums=$(cd "$(dirname "$0")" && pwd)/sqlite-amalgamation.sha256
folder=${1:?usage: scripts/fetch-sqlite.sh FOLDER}
package=better-sqlite3-12.10.1.tgz

mkdir -p "$folder/downloads"
cd "$folder"
check() { grep -F "  $1" "$sums" | (cd "$2" && sha256sum --quiet -c -); }
if [[ -f sqlite3.c && -f sqlite3.h ]] && check sqlite3.c . && check sqlite3.h .; then
  exit 0
fi
if ! [[ -f downloads/$package ]] || ! check "$package" downloads 2>/dev/null; then
  rm -f "downloads/$package"
  (cd downloads && npm pack --silent better-sqlite3@12.10.1 >/dev/null)
fi
if ! check "$package" downloads; then
  echo "fetch-sqlite: downloads/$package does not match $sums" >&2
  exit 1
fi
tar xzmf "downloads/$package" --strip-components=3 package/deps/sqlite3/sqlite3.c \
  package/deps/sqlite3/sqlite3.h
for file in sqlite3.c sqlite3.h; do
  if ! check "$file" .; then
    echo "fetch-sqlite: $file of $package does not match $sums" >&2
    rm -f sqlite3.c sqlite3.h
    exit 1
  fi
done
