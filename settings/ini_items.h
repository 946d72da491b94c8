#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace csv2sql {

// Reads config.ini item by item, as raw bytes, through a fixed buffer.
//
// An item ends at a comma or at a line end (CR LF, a bare LF or a bare CR). Spaces before an
// item are skipped. An item that begins with a double quote runs to the next double quote,
// commas and line ends included; the quotes are not part of it, and whatever follows the
// closing quote up to the next comma or line end is dropped.
//
// Two choices for unquoted items: the spaces at their end are dropped (only spaces, as the
// trimming rule does), and a double quote inside them is an ordinary byte. Any other byte (NUL,
// bytes that are no valid UTF-8) is passed through unchanged.
//
// Memory: the buffer plus the longest item; an item is kept whole because it may become the
// text of a control.
class IniItemReader {
 public:
  // The file stays owned by the caller and must outlive the reader.
  explicit IniItemReader(std::FILE* file) : file_(file) {}

  // Replaces item with the next item; false, with item empty, at the end of the file.
  // A failed read raises the system's error as an Error.
  bool next(std::string& item);
  // Whether the item last read ended at a comma (not at a line end or the end of the file).
  bool endedAtComma() const { return endedAtComma_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  // True while bytes are left, refilling the buffer when it is used up.
  bool available();
  // Moves past bytes up to the first byte that stops is true for, appending them to target
  // when one is given. False at the end of the file.
  bool advanceUntil(const std::array<bool, 256>& stops, std::string* target);
  void skipSpaces();
  void skipDelimiter();

  std::FILE* file_;
  std::vector<char> buffer_ = std::vector<char>(kBufferSize);  // on the heap: 64 KiB
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool endedAtComma_ = false;
};

}  // namespace csv2sql
