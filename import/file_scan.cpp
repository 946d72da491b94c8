#include "import/file_scan.h"

#include <algorithm>
#include <limits>

#include "core/error.h"

namespace csv2sql {

namespace {

// Sets the mark's place, leaving its hash: done for every line, where a new mark would cost
// the making of its (empty) hash each time.
void placeHere(LineMark& mark, const FileLines& lines) {
  mark.offset = lines.end();
  mark.lines = lines.row();
  mark.lastDataRow = lines.lastDataRow();
}

LineMark markHere(const FileLines& lines) {
  LineMark mark;
  placeHere(mark, lines);
  return mark;
}

[[noreturn]] void changedWhileRead(const std::filesystem::path& path) {
  throw Error(err::PathFileAccess,
              "Path/File access error: " + path.string() + " changed while it was read");
}

}  // namespace

const LineMark* FileScan::beginning(std::uint64_t length) const {
  const auto found = std::ranges::find(beginnings, length, &LineMark::offset);
  return found == beginnings.end() ? nullptr : &*found;
}

FileScan scanFile(FileLines& lines, std::vector<std::uint64_t> lengths) {
  std::ranges::sort(lengths);
  auto wanted = lengths.begin();
  FileScan scan;
  scan.found = lines.found();
  const auto markWanted = [&] {
    while (wanted != lengths.end() && *wanted < lines.end()) ++wanted;
    if (wanted != lengths.end() && *wanted == lines.end()) {
      LineMark mark = markHere(lines);
      mark.hash = lines.hash();
      scan.beginnings.push_back(std::move(mark));
    }
  };
  while (lines.next()) {
    markWanted();
    if (lines.endsWithLineFeed()) placeHere(scan.lastLineFeed, lines);
  }
  // A file of only a byte order mark ends before any line.
  if (scan.beginning(lines.end()) == nullptr) markWanted();
  scan.whole = markHere(lines);
  return scan;
}

void passTo(FileLines& lines, const LineMark& mark, const std::filesystem::path& path) {
  lines.skipTo(mark.lines);
  if (lines.end() != mark.offset || (!mark.hash.empty() && lines.hash() != mark.hash)) {
    changedWhileRead(path);
  }
}

std::string finishAt(FileLines& lines, const LineMark& end, const std::filesystem::path& path) {
  lines.skipTo(std::numeric_limits<std::int64_t>::max());
  std::string hash = lines.hash();
  if (lines.end() != end.offset || lines.row() != end.lines ||
      lines.lastDataRow() != end.lastDataRow || (!end.hash.empty() && hash != end.hash)) {
    changedWhileRead(path);
  }
  return hash;
}

}  // namespace csv2sql
