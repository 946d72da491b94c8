#!/usr/bin/env bash
# Fails when a source file includes a header that its layer may not use: every quoted include
# must point into the file's own folder or into a folder that the layer table of
# docs/architecture.md lets it link, directly or through the layers below; Qt headers belong to
# app/ui/ alone. Tests may also include the shared test support (tests/support/).
# Usage: scripts/check-layers.sh [ROOT]   (ROOT defaults to the project folder)
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

# "folder links..." per row of the layer table: | `folder/` | library | holds | `a/`, `b/` |
layers=$(awk -F'|' '/^\| `[a-z_/.]+` \|/ {
  folder = $2; links = $5
  gsub(/[` ]/, "", folder); gsub(/`/, "", links); gsub(/,/, " ", links)
  print folder, links
}' docs/architecture.md)
[ -n "$layers" ] || { echo "check-layers: no layer table in docs/architecture.md"; exit 2; }

# "file included" for every quoted include and every Qt include of the sources.
includes=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | grep -vE '^(bench|build[^/]*)/' | while read -r file; do
  sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p; s/^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*)>.*/<\1>/p' "$file" |
    sed "s|^|$file |"
done)

awk -v layers="$layers" '
  # The layer of a path: the longest folder of the table it lies in.
  function layerOf(path,   best, f) {
    best = ""
    for (f in links) if (index(path, f) == 1 && length(f) > length(best)) best = f
    return best
  }
  function allowed(from, to,   queue, seen, n, i, f, parts, k) {
    if (from == to) return 1
    n = 1; queue[1] = from; seen[from] = 1
    for (i = 1; i <= n; i++) {
      split(links[queue[i]], parts, " ")
      for (k in parts) {
        f = parts[k]
        if (f == to) return 1
        if (!(f in seen)) { seen[f] = 1; queue[++n] = f }
      }
    }
    return 0
  }
  BEGIN {
    count = split(layers, rows, "\n")
    for (r = 1; r <= count; r++) {
      split(rows[r], cells, " ")
      folder = cells[1]
      links[folder] = substr(rows[r], length(folder) + 2)
    }
  }
  {
    file = $1; header = $2
    isTest = file ~ /(^|\/)tests\//
    if (header ~ /^</) {
      if (layerOf(file) != "app/ui/") { print file ": Qt header " header " outside app/ui/"; bad = 1 }
      next
    }
    if (header ~ /^tests\/support\//) {
      if (!isTest) { print file ": includes the test support " header; bad = 1 }
      next
    }
    if (header !~ /\//) next  # a header beside the file (system or generated)
    from = layerOf(file); to = layerOf(header)
    if (from == "" || to == "") next
    if (!allowed(from, to)) { print file ": " from " may not include " header " (" to ")"; bad = 1 }
  }
  END { exit bad }
' <<<"$includes" || { echo "check-layers: includes against the layer table of docs/architecture.md"; exit 1; }
echo "check-layers: every include follows the layer table"
