// The grid's load of any file, held to the plain way of splitting bytes into lines (CR LF, LF or
// a lone CR) and lines into fields, with a byte order mark at the start dropped and the lines
// after the last one with data left out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "components/grid.h"
#include "fuzz/scratch_file.h"

namespace {

using Fields = std::vector<std::string_view>;

std::vector<Fields> splitPlainly(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<Fields> rows;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(std::min(bytes.size(), end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1)));
    Fields fields;
    for (std::size_t comma; (comma = line.find(',')) != std::string_view::npos;) {
      fields.push_back(line.substr(0, comma));
      line.remove_prefix(comma + 1);
    }
    fields.push_back(line);
    rows.push_back(fields);
  }
  while (!rows.empty() && rows.back() == Fields(rows.back().size())) rows.pop_back();
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  Grid grid("sp", "", {}, 0);
  if (!grid.loadTextFile(writeScratchFile(data, size))) std::abort();
  const std::vector<Fields> rows =
      splitPlainly(std::string_view(reinterpret_cast<const char*>(data), size));
  if (grid.rowCount() != static_cast<std::int32_t>(rows.size())) std::abort();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t column = 0; column <= rows[row].size(); ++column) {
      const std::string_view expected = column < rows[row].size() ? rows[row][column] : "";
      if (grid.cell(static_cast<std::int32_t>(row + 1), static_cast<std::int32_t>(column + 1)) !=
          expected) {
        std::abort();
      }
    }
  }
  return 0;
}
