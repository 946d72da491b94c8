#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/file_lines.h"

namespace csv2sql {

// A place at a line end of a file: the lines that end at or before it and the last of them that
// holds data, and the hash of the bytes before it when it was asked for.
struct LineMark {
  std::uint64_t offset = 0;
  std::int64_t lines = 0;
  std::int64_t lastDataRow = 0;
  std::string hash;
};

// What a first pass over a file tells before any of it is imported, so that a file of any size
// is never held whole: its rows, where its complete lines end, and the hash of each beginning
// that the ledger knows.
struct FileScan {
  bool found = false;
  LineMark whole;                    // at the end of the file
  LineMark lastLineFeed;             // after the last LF; offset 0 when there is none
  std::vector<LineMark> beginnings;  // at each asked length that the file has, with its hash

  std::uint64_t size() const { return whole.offset; }
  // The lines up to the last one that holds data: the rows it is said to have.
  std::int64_t rows() const { return whole.lastDataRow; }
  bool endsWithLineFeed() const { return lastLineFeed.offset == whole.offset; }
  // The mark of the beginning of that length; nothing when it was not asked for or not met.
  const LineMark* beginning(std::uint64_t length) const;
};

// Reads the file of `lines`, from its start, to its end. lengths: the beginnings whose hash is
// wanted. A file that has gone reads as empty; error 75 when it cannot be read.
FileScan scanFile(FileLines& lines, std::vector<std::uint64_t> lengths);

// The lines of [0, end.offset) read a second time, to import them, must be the ones the scan
// found: the lines before a mark are passed over, the rest read to the end. Error 75, naming
// the file, when the file no longer holds what the scan saw (rewritten while it was read), so
// the ledger never records a hash of bytes other than those imported.
void passTo(FileLines& lines, const LineMark& mark, const std::filesystem::path& path);
// The hash of [0, end.offset) after reading what is left; it must be end's hash when it has one.
std::string finishAt(FileLines& lines, const LineMark& end, const std::filesystem::path& path);

}  // namespace csv2sql
