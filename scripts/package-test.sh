#!/usr/bin/env bash
# Packs a built tree with CPack and checks the package: its files, its maintainer script, and
# that the program unpacked from it runs a "1" import of the shipped sample into SQLite.
# Usage: scripts/package-test.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d /tmp/csv2sql-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/csv2sql_*.deb)

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./opt/csv2sql/csv2sql ./opt/csv2sql/csv2sql-window ./opt/csv2sql/user-guide.html \
  ./opt/csv2sql/datetime-forms.md ./lib/systemd/system/csv2sql.service \
  ./usr/share/man/man1/csv2sql.1.gz; do
  grep -qx "$file" <<<"$contents" || { echo "missing from the package: $file"; exit 1; }
done
dpkg-deb -I "$deb" postinst | grep -q 'useradd --system' ||
  { echo "postinst does not create the service user"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q tzdata || { echo "no dependency on tzdata"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
folder=$root/opt/csv2sql
mkdir "$folder/in"
cp "$source/sample/plant1.csv" "$folder/in/"
sqlite3 "$folder/readings.db" 'CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL);'
printf '%s\r\n' "CSVFOLDER=$folder/in" "CNN_PROVIDER=SQLite" "CNN_DATASOURCE=readings.db" \
  >"$folder/config.ini"
output=$("$folder/csv2sql" 1)
grep -q '^Run done: 1 files, 5 readings stored, 2 rows skipped, ' <<<"$output" ||
  { echo "unexpected output of the unpacked program: $output"; exit 1; }
[[ $(sqlite3 "$folder/readings.db" 'SELECT COUNT(*) FROM CSVDATA') == 5 ]] ||
  { echo "the unpacked program did not store the 5 readings"; exit 1; }
echo "package ok: $(basename "$deb")"
