#!/usr/bin/env bash
# Runs scripts/check-layers.sh on tiny trees of its own: it must pass on the clean tree, and fail
# naming the line on each kind of include that breaks the layers and on a layer table that
# differs from the rules.
set -euo pipefail
check=$(cd "$(dirname "$0")" && pwd)/check-layers.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# low/ <- mid/ <- top/ <- top/ui/ (the only Qt folder); tests/support/ and fuzz/ on the side.
makeTree() {
  local root=$1
  mkdir -p "$root"/{scripts,docs,low/tests,mid,top/ui,tests/support,fuzz}
  cat >"$root/scripts/layers.txt" <<'EOF'
# The tiny tree's rules.
low/:
mid/: low/
top/: mid/
top/ui/: top/
tests/support/: low/ (not in the table)
fuzz/: mid/ (not in the table)
tests: tests/support/
Qt: top/ui/
EOF
  cat >"$root/docs/architecture.md" <<'EOF'
## Layers

| folder | links |
|---|---|
| `top/ui/` | `top/` |
| `top/` | `mid/` |
| `mid/` | `low/` |
| `low/` | |
EOF
  printf '#pragma once\n' >"$root/low/a.h"
  printf '#include "a.h"\n' >"$root/low/a.cpp"
  printf '#include "low/a.h"\n' >"$root/mid/m.h"
  printf '#include <mid/m.h>\n' >"$root/top/t.h"
  printf '#include <QtWidgets/QLabel>\n#include "../t.h"\n' >"$root/top/ui/view.cpp"
  printf '#include "tests/support/s.h"\n#include "low/a.h"\n' >"$root/low/tests/a_test.cpp"
  printf '#include "low/a.h"\n' >"$root/tests/support/s.h"
  printf '#include "mid/m.h"\n' >"$root/fuzz/f.cpp"
  git init -q "$root"
}

# expect STATUS WHERE ROOT: the check of ROOT ends with STATUS, its output naming WHERE.
expect() {
  local status=0 output
  output=$(bash "$check" "$3" 2>&1) || status=$?
  if [[ $status == "$1" && $output == *"$2"* ]]; then
    echo "ok: ${3##*/}"
  else
    echo "FAILED: ${3##*/}: expected status $1 and \"$2\", got status $status:"
    echo "$output"
    failed=1
  fi
}

# planted NAME FILE TEXT: a fresh tree with the line TEXT added to FILE fails on that line.
planted() {
  local root=$scratch/$1
  makeTree "$root"
  printf '%s\n' "$3" >>"$root/$2"
  expect 1 "$2:$(wc -l <"$root/$2"): " "$root"
}

# edited NAME FILE PATTERN REPLACEMENT WHERE: a fresh tree with PATTERN replaced in FILE fails,
# naming WHERE.
edited() {
  local root=$scratch/$1
  makeTree "$root"
  sed -i "s#$3#$4#" "$root/$2"
  expect 1 "$5" "$root"
}

makeTree "$scratch/clean"
expect 0 "check-layers: every include" "$scratch/clean"
planted relative-up low/a.cpp '#include "../top/t.h"'
planted angle-brackets low/a.cpp '#include <mid/m.h>'
planted qt-folder mid/m.h '#include <QtCore/QString>'
planted qt-class low/a.h '#include <QString>'
planted qt-module top/t.h '#include <QtWidgets>'
planted test-support-up tests/support/s.h '#include "mid/m.h"'
planted test-support-outside-tests mid/m.h '#include "tests/support/s.h"'
planted fuzz-up fuzz/f.cpp '#include "top/t.h"'
edited doc-row-edited docs/architecture.md '^| `mid/` | `low/` |$' '| `mid/` | `low/`, `top/` |' \
  'docs/architecture.md:7: '
edited rule-edited scripts/layers.txt '^mid/: low/$' 'mid/: low/, top/' 'docs/architecture.md:7: '
edited doc-row-removed docs/architecture.md '^| `mid/`.*' '' 'scripts/layers.txt:3: '
exit "$failed"
