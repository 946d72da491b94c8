#!/usr/bin/env bash
# Fails when a C or C++ file of the project includes a header that its folder may not use, by
# the rules of scripts/layers.txt, or when the layer table of docs/architecture.md shows other
# links than those rules. The files are the ones git tracks or would track (not ignored).
# Usage: scripts/check-layers.sh [ROOT]   (ROOT defaults to the project folder)
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"
rules=scripts/layers.txt
doc=docs/architecture.md
for needed in "$rules" "$doc"; do
  [[ -f $needed ]] || { echo "check-layers: $root/$needed is missing"; exit 2; }
done

# Files deleted from the work tree but still in the index are gone for the compiler too.
files=$(git ls-files --cached --others --exclude-standard | while IFS= read -r file; do
  if [[ -f $file ]]; then printf '%s\n' "$file"; fi
done)

files=$files awk -v rules="$rules" -v doc="$doc" '
  function fail(where, line, message) {
    print where ":" line ": " message
    failures++
  }
  # "`a/`, b/" -> "a/ b/"
  function words(text) {
    gsub(/[`,]/, " ", text)
    gsub(/[ \t]+/, " ", text)
    sub(/^ /, "", text)
    sub(/ $/, "", text)
    return text
  }
  function sameWords(a, b,   list, n, i) {
    n = split(a, list, " ")
    for (i = 1; i <= n; i++) if (index(" " b " ", " " list[i] " ") == 0) return 0
    n = split(b, list, " ")
    for (i = 1; i <= n; i++) if (index(" " a " ", " " list[i] " ") == 0) return 0
    return 1
  }
  # "a/./b/../c" -> "a/c"; "" for a path that leaves the root.
  function normalize(path,   parts, n, i, kept, depth, out) {
    n = split(path, parts, "/")
    depth = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == "..") {
        if (depth == 0) return ""
        depth--
      } else kept[++depth] = parts[i]
    }
    out = kept[1]
    for (i = 2; i <= depth; i++) out = out "/" kept[i]
    return out
  }
  # The rule a path falls under: the longest folder (or the file itself) of the rules. The
  # tests/ of a folder are a unit of their own, "import/tests/".
  function unitOf(path,   best, key) {
    best = ""
    for (key in links)
      if ((key == path || (key ~ /\/$/ && index(path, key) == 1)) && length(key) > length(best))
        best = key
    if (best ~ /\/$/ && index(path, best "tests/") == 1) {
      testsOf[best "tests/"] = best
      return best "tests/"
    }
    return best
  }
  function allowed(from, to,   base) {
    if (from == to || (from, to) in mayUse) return 1
    if (!(from in testsOf)) return 0
    base = testsOf[from]
    return to == base || (base, to) in mayUse || index(" " testLinks " ", " " to " ") > 0
  }
  function isQt(name) {
    return name ~ /^Q[A-Z]/ || name ~ /^Qt/
  }
  function qtAllowed(file,   folders, n, i) {
    n = split(qtFolders, folders, " ")
    for (i = 1; i <= n; i++) if (index(file, folders[i]) == 1) return 1
    return 0
  }
  # Resolved like the compiler does with the project folder on the include path: a quoted
  # name first beside the file, then from the root; an angle name from the root only.
  function checkInclude(file, line, name, quoted,   written, target, from, to) {
    written = quoted ? "\"" name "\"" : "<" name ">"
    target = ""
    if (quoted) {
      target = file
      sub(/[^\/]*$/, "", target)
      target = normalize(target name)
      if (!(target in exists)) target = ""
    }
    if (target == "" && (normalize(name) in exists)) target = normalize(name)
    if (target == "") {
      if (isQt(name) && !qtAllowed(file))
        fail(file, line, "Qt header " written " outside " qtFolders)
      return
    }
    from = unitOf(file)
    to = unitOf(target)
    if (to == "") fail(file, line, written " is " target ", which lies in no folder of " rules)
    else if (!allowed(from, to))
      fail(file, line, from " may not include " written ": " target " is in " to)
  }
  function checkSource(file,   text, line, status, quoted, end, name) {
    if (unitOf(file) == "") {
      fail(file, 1, "lies in no folder of " rules)
      return
    }
    line = 0
    while ((status = (getline text < file)) > 0) {
      line++
      if (text !~ /^[ \t]*#[ \t]*include[ \t]*[<"]/) continue
      sub(/^[ \t]*#[ \t]*include[ \t]*/, "", text)
      quoted = substr(text, 1, 1) == "\""
      end = index(substr(text, 2), quoted ? "\"" : ">")
      name = substr(text, 2, end - 1)
      if (end > 0) checkInclude(file, line, name, quoted)
    }
    if (status < 0) fail(file, 0, "cannot be read")
    close(file)
  }
  # "folder: folders", "tests: folders" or "Qt: folders"; "#" starts a comment.
  FILENAME == rules {
    sub(/#.*/, "")
    if ($0 ~ /^[ \t]*$/) next
    colon = index($0, ":")
    if (colon == 0) { fail(rules, FNR, "not \"folder: folders\""); next }
    key = words(substr($0, 1, colon - 1))
    value = substr($0, colon + 1)
    optional = sub(/\(not in the table\)/, "", value)
    value = words(value)
    if (key in ruleLine) fail(rules, FNR, key " has a line already")
    ruleLine[key] = FNR
    if (key == "tests") testLinks = value
    else if (key == "Qt") qtFolders = value
    else {
      links[key] = value
      keys[++keyCount] = key
      if (!optional) needsRow[key] = 1
    }
    next
  }
  # The rows of the table in the "## Layers" section: | `folder` | ... | `links` |
  FILENAME == doc && /^## / { inLayers = ($0 ~ /^## Layers[ \t]*$/); next }
  FILENAME == doc && inLayers && /^\|[ \t]*`/ {
    row = $0
    sub(/[ \t]*\|?[ \t]*$/, "", row)
    folder = substr(row, 2)
    folder = words(substr(folder, 1, index(folder, "|") - 1))
    sub(/.*\|/, "", row)
    if (folder in rowLine) fail(doc, FNR, "row `" folder "` is there twice")
    rowLine[folder] = FNR
    rowLinks[folder] = words(row)
    rows[++rowCount] = folder
  }
  END {
    for (key in ruleLine) {
      n = split(key == "tests" ? testLinks : key == "Qt" ? qtFolders : links[key], named, " ")
      for (j = 1; j <= n; j++)
        if (!(named[j] in links))
          fail(rules, ruleLine[key], key " names " named[j] ", which has no line")
    }
    for (i = 1; i <= keyCount; i++) {
      key = keys[i]
      # What the folder may use, through the folders below it: a breadth-first walk.
      queued = 1
      queue[1] = key
      for (j = 1; j <= queued; j++) {
        m = split(links[queue[j]], below, " ")
        for (k = 1; k <= m; k++)
          if (!((key, below[k]) in mayUse)) {
            mayUse[key, below[k]] = 1
            queue[++queued] = below[k]
          }
      }
    }
    for (i = 1; i <= rowCount; i++) {
      folder = rows[i]
      if (!(folder in links))
        fail(doc, rowLine[folder], "row `" folder "`: " rules " has no line for it")
      else if (!sameWords(rowLinks[folder], links[folder]))
        fail(doc, rowLine[folder], "row `" folder "` links \"" rowLinks[folder] "\" but " \
             rules ":" ruleLine[folder] " says \"" links[folder] "\"")
    }
    for (i = 1; i <= keyCount; i++)
      if (keys[i] in needsRow && !(keys[i] in rowLine))
        fail(rules, ruleLine[keys[i]], keys[i] " has no row in the layer table of " doc)

    n = split(ENVIRON["files"], list, "\n")
    for (i = 1; i <= n; i++) exists[list[i]] = 1
    for (i = 1; i <= n; i++)
      if (list[i] ~ /\.(c|cc|cpp|cxx|h|hh|hpp|hxx|inc|inl|ipp|tpp)$/) checkSource(list[i])

    if (failures) {
      print "check-layers: " failures " problem(s) against " rules
      exit 1
    }
    print "check-layers: every include and the layer table of " doc " follow " rules
  }
' "$rules" "$doc"
