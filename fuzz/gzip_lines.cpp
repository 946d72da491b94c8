// The line reader on a gzip file. The input after its first byte, written as two gzip members
// split where that byte says, reads back as its own lines; the same file cut short reads as the
// lines of its whole members only, or is error 75: a cut member never passes for a whole file.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"
#include "fuzz/scratch_file.h"
#include "import/file_lines.h"

namespace {

std::string gzipped(std::string_view text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// The text of the file's lines, each ended with LF; nothing when it is error 75.
std::optional<std::string> linesOf(const std::string& file) {
  const auto& path =
      writeScratchFile(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), ".csv.gz");
  try {
    csv2sql::FileLines lines(path);
    std::string text;
    while (lines.next()) (text += lines.text()) += '\n';
    return text;
  } catch (const csv2sql::Error& error) {
    if (error.number() != csv2sql::err::PathFileAccess) std::abort();
    return std::nullopt;
  }
}

// Text as the lines of linesOf give it: each ended with LF.
std::string asLines(std::string text) {
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A line longer than the reader holds is cut, which the plain line reader's target covers.
  if (size < 1 || size > csv2sql::FileLines::kLongestLine) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (char& c : text) c = c == '\r' ? '\n' : c;
  // A byte order mark is no part of the first line, and UTF-16's turn the text into UTF-8.
  for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    if (text.starts_with(mark)) return 0;
  }
  const std::size_t split = data[0] * text.size() / 255;
  const std::string first = gzipped(text.substr(0, split));
  const std::string file = first + gzipped(text.substr(split));
  if (linesOf(file) != asLines(text)) std::abort();
  const std::size_t cut = (data[0] * 7919U) % file.size();
  const std::optional<std::string> shortened = linesOf(file.substr(0, cut));
  const bool wholeMembers = cut == 0 || cut == first.size();
  if (shortened && (!wholeMembers || shortened != asLines(text.substr(0, cut == 0 ? 0 : split)))) {
    std::abort();
  }
  return 0;
}
