#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/platform.h"
#include "import/source_input.h"

namespace csv2sql {

// A file's bytes as a reader of lines takes them, a gzip file's once inflated: those of a file
// that starts with a UTF-16 byte order mark (little or big endian: Excel's "Unicode text",
// PowerShell's Out-File) turned into UTF-8, the mark into the UTF-8 one; those of any other file
// as they are. Offsets and lengths of what is read count the bytes handed out.
class TextInput {
 public:
  explicit TextInput(const std::filesystem::path& path);

  platform::InputFile::State state() const { return file_.state(); }
  // As platform::InputFile::read: `bytes` into `into`, fewer only at the end.
  bool read(char* into, std::size_t bytes, std::size_t& got);

 private:
  enum class Encoding { Bytes, Utf16Le, Utf16Be };
  // The first read: the file's first bytes tell its encoding, so that a file of bytes costs no
  // read of its own for that.
  bool readFirst(char* into, std::size_t bytes, std::size_t& got);
  // Reads the next block of UTF-16 and converts it; false when a read fails.
  bool convertBlock();
  // Converts raw_ into pending_, up to a byte or a surrogate half left over for the next block.
  void convert();

  SourceInput file_;
  Encoding encoding_ = Encoding::Bytes;
  std::string pending_;  // bytes to hand out before more are read
  std::size_t handedOut_ = 0;
  std::string raw_;        // a block of UTF-16 as read, with a byte left over from the last
  char16_t highHalf_ = 0;  // the first half of a surrogate pair whose second is still to come
  bool atEnd_ = false;
  bool started_ = false;
};

}  // namespace csv2sql
