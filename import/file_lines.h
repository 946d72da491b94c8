#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform.h"
#include "import/text_input.h"

namespace csv2sql {

// A file read line by line through one buffer of a few blocks, so that memory stays the same
// whatever the file's size, and whatever its lines' lengths: of a line longer than kLongestLine
// only the first kLongestLine bytes are held. CR LF, a bare LF and a lone CR each end a line; a
// line end never reaches a line's text; a UTF-8 byte order mark at the start is no part of the
// first line. A gzip file (import/source_input.h) is read as the text it holds, and a UTF-16
// file as its UTF-8 text (import/text_input.h): offsets, lengths and hash are those of that text.
// Only the bytes before `limit` are read. Hashes the bytes as it goes (XXH3, 128 bits), so
// the ledger can tell which file beginning it imported; without a ledger nothing asks for the
// hash, and the bytes are not hashed.
class FileLines {
 public:
  static constexpr std::uint64_t kWholeFile = std::numeric_limits<std::uint64_t>::max();
  static constexpr std::size_t kLongestLine = 1 << 20;
  enum class Hashing : bool { Off, On };

  // A file that is gone reads as empty (found() is false); one that is there but cannot be
  // read is error 75.
  explicit FileLines(const std::filesystem::path& path, std::uint64_t limit = kWholeFile,
                     Hashing hashing = Hashing::On);
  ~FileLines();
  FileLines(const FileLines&) = delete;
  FileLines& operator=(const FileLines&) = delete;

  bool found() const { return found_; }
  const std::filesystem::path& path() const { return path_; }

  // Reads again from the start, only the bytes before `limit`, from what the buffer still
  // holds, hashing them or not as asked; false, with nothing changed, when it no longer holds
  // all of them (a file larger than the first read). A small file is then read from the disk
  // once for both of its passes.
  bool rewindTo(std::uint64_t limit, Hashing hashing);

  // Moves to the next line; false after the last. Error 75 when a read fails.
  bool next();
  // Moves on to that line, or to the end when the file has fewer.
  void skipTo(std::int64_t row) {
    while (row_ < row && next()) {
    }
  }

  // The current line: its number from 1 (0 before the first), its text, and the byte just past
  // its line end (the end of what is read for a last line without one). After the last line,
  // end() is the end of what was read.
  std::int64_t row() const { return row_; }
  std::string_view text() const { return text_; }
  std::uint64_t end() const { return end_; }
  // The last line so far that holds data; 0 when none does.
  std::int64_t lastDataRow() const { return lastDataRow_; }
  // Whether the current line ends with an LF (alone or after a CR).
  bool endsWithLineFeed() const { return lineFeed_; }
  // Whether the current line is longer than kLongestLine: text() is then its first kLongestLine
  // bytes, and cutFieldEnd() where the field that the cut falls in ends in the line: at the
  // first comma after those bytes, else at the line's end.
  bool cut() const { return cut_; }
  std::uint64_t cutFieldEnd() const { return cutFieldEnd_; }

  // The hash of the bytes before end(), as 32 hexadecimal digits; "" with hashing off.
  std::string hash();

 private:
  // Drops the bytes before the current line and reads at most `most` bytes more.
  void fill(std::size_t most);
  // Where the first line starts: after a byte order mark.
  std::size_t firstLineStart() const;
  void hashUpTo(std::size_t position);
  void startHashing(Hashing hashing);
  // A line too long to be held begins: nothing is known yet of its bytes past the cut.
  void startCut();
  // The current line, too long to be held, ending at textEnd of the buffer: its first
  // kLongestLine bytes as its text, and what lies past them noted.
  void takeCutLine(std::size_t textEnd, std::uint64_t passed);
  // Of a line too long to be held: drops its bytes before `to` from the buffer, its first
  // kLongestLine kept aside. passed: its bytes dropped so far.
  void dropLongLine(std::size_t to, std::uint64_t& passed);
  // Notes the first comma and the first byte of data among the bytes [from, to) of the buffer,
  // which lie past the held part of a line too long to be held.
  void lookPastCut(std::size_t from, std::size_t to, std::uint64_t passed);

  std::filesystem::path path_;
  TextInput in_;
  bool found_ = false;
  std::uint64_t left_ = 0;  // bytes still to read, at most up to the limit
  std::string_view held() const { return {buffer_.get(), size_}; }

  // The bytes read and not yet passed, from `start_` of the file: size_ of capacity_.
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::uint64_t start_ = 0;  // file offset of buffer_[0]
  std::size_t at_ = 0;       // where the next line starts in buffer_
  std::size_t hashed_ = 0;   // bytes of buffer_ hashed already
  std::int64_t row_ = 0;
  std::int64_t lastDataRow_ = 0;
  std::string_view text_;
  std::uint64_t end_ = 0;
  bool lineFeed_ = false;
  bool cut_ = false;
  std::uint64_t cutFieldEnd_ = 0;
  bool dataPastCut_ = false;
  std::unique_ptr<char[]> longLine_;  // the held part of a line too long to be held in place
  struct Hasher;
  std::unique_ptr<Hasher> hasher_;
};

// Whether a line holds data: a field that is not empty, so anything but commas.
bool holdsData(std::string_view line);

}  // namespace csv2sql
