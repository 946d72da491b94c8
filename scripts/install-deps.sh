#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when any is missing.
# The set includes the cross compiler and Wine of scripts/windows-build.sh, which the test command
# runs (about a minute to install). --windows: only those.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev odbc-postgresql tdsodbc libsqliteodbc
  libpq-dev postgresql postgresql-client
  libhowardhinnant-date-dev tzdata libxxhash-dev zlib1g-dev
  xvfb xauth time dpkg-dev fakeroot
)
windows=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis xvfb xauth sqlite3 libz-mingw-w64-dev)
if [[ ${1:-} == --windows ]]; then
  packages=("${windows[@]}")
else
  packages+=("${windows[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
# npm fetches SQLite's amalgamation for the Windows build (scripts/fetch-sqlite.sh); a Node.js
# from elsewhere that brings its own npm is kept.
command -v npm >/dev/null || missing+=(npm)

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
