// The grid's load of any file: no cell may hold a line end, and every row the grid counts
// must come from the bytes of the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "components/grid.h"
#include "fuzz/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  const auto& path = writeScratchFile(data, size);
  Grid grid("sp", "", {}, 0);
  if (!grid.loadTextFile(path)) std::abort();
  const std::int32_t rows = grid.rowCount();
  if (static_cast<std::size_t>(rows) > size) std::abort();
  for (std::int32_t row = 0; row <= rows + 1; ++row) {
    for (std::int32_t column = 0; column <= 4; ++column) {
      const std::string_view cell = grid.cell(row, column);
      if (cell.find_first_of("\r\n") != std::string_view::npos) std::abort();
    }
  }
  return 0;
}
