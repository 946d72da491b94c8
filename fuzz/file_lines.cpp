// The line reader on any file, held to the plain way of splitting bytes into lines (CR LF, LF or
// a lone CR) with a byte order mark at the start dropped, and the scan's row count to the last
// line that holds data. A file that starts with a UTF-16 mark is read as its UTF-8 text: its
// lines are UTF-8 without a line end, and no more than its UTF-16 units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/utf8.h"
#include "fuzz/scratch_file.h"
#include "import/file_lines.h"
#include "import/file_scan.h"

namespace {

std::vector<std::string_view> splitPlainly(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(std::min(bytes.size(), end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1)));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  const auto& path = writeScratchFile(data, size);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    FileLines lines(path);
    std::size_t count = 0;
    while (lines.next()) {
      if ((!lines.cut() && !isValidUtf8(lines.text())) ||
          lines.text().find_first_of("\r\n") != lines.text().npos || ++count > size / 2) {
        std::abort();
      }
    }
    return 0;
  }
  const std::vector<std::string_view> expected = splitPlainly(bytes);
  FileLines lines(path);
  std::int64_t lastData = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    // Of a line longer than kLongestLine only its first kLongestLine bytes are held.
    const std::string_view line = expected[i];
    const bool cut = line.size() > FileLines::kLongestLine;
    if (!lines.next() || lines.text() != line.substr(0, FileLines::kLongestLine) ||
        lines.cut() != cut) {
      std::abort();
    }
    if (cut &&
        lines.cutFieldEnd() != std::min(line.find(',', FileLines::kLongestLine), line.size())) {
      std::abort();
    }
    if (holdsData(expected[i])) lastData = static_cast<std::int64_t>(i + 1);
  }
  if (lines.next() || lines.end() != size) std::abort();
  if (!lines.rewindTo(size, FileLines::Hashing::On) && size <= (64 << 10)) std::abort();
  if (scanFile(lines, {}).rows() != lastData) std::abort();
  return 0;
}
