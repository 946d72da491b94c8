#include "components/grid.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using Rows = std::vector<std::vector<std::string>>;
constexpr std::int32_t kLast = std::numeric_limits<std::int32_t>::max();

class GridTest : public ::testing::Test {
 protected:
  bool load(const std::string& bytes) {
    testing::writeFile(dir.path() / "in.csv", bytes);
    return grid.loadTextFile(dir.path() / "in.csv");
  }
  // Every row reads back field by field, with "" after its last field and below the last row.
  void expectCells(const Rows& rows) {
    EXPECT_EQ(grid.rowCount(), std::ssize(rows));
    for (std::size_t r = 0; r <= rows.size(); ++r) {
      const auto fields = r < rows.size() ? rows[r] : std::vector<std::string>{};
      for (std::size_t c = 0; c <= fields.size(); ++c) {
        EXPECT_EQ(grid.cell(r + 1, c + 1), c < fields.size() ? fields[c] : "") << r + 1 << c + 1;
      }
    }
  }
  testing::TempDir dir;
  Grid grid{"sp", "", {0, 0, 100, 100}, 0};
};

// The import tests load files of readings; here the line ends and bytes they do not meet.
TEST_F(GridTest, LoadSplitsLinesAtLineEndsAndFieldsAtCommas) {
  using namespace std::string_literals;
  const std::string chunk((1 << 20) - 1, 'x');  // a line that ends at the first read's last byte
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    const char* name;
    std::string bytes;
    Rows rows;
  } cases[] = {
      {"bare_lf_and_crlf", "a,b\nc\r\n", {{"a", "b"}, {"c"}}},
      {"cr_at_end_of_file_ends_the_line", "a\r\nb,c\r", {{"a"}, {"b", "c"}}},
      {"lone_cr_ends_a_line", "a\rb,c\r\r\n", {{"a"}, {"b", "c"}}},
      {"cr_lf_split_by_the_read_chunk", chunk + "\r\nb", {{chunk}, {"b"}}},
      {"lone_cr_last_in_the_read_chunk", chunk + "\rb", {{chunk}, {"b"}}},
      {"byte_order_mark_dropped_only_at_the_start", bom + "a\n" + bom + "b", {{"a"}, {bom + "b"}}},
      {"no_quoting", "\"Mar 14, 2021\"\r\n", {{"\"Mar 14", " 2021\""}}},
      {"empty_lines_inside_count", "\r\na\n\n", {{""}, {"a"}}},
      {"comma_only_lines_at_the_end_dropped", ",,\r\nx\r\n,,,\r\n,\n", {{"", "", ""}, {"x"}}},
      {"only_line_ends", "\r\n\n", {}},
      {"nul_and_invalid_utf8", "a\0b,\xff\xc3(\r\n"s, {{"a\0b"s, "\xff\xc3("}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(load(c.bytes));
    expectCells(c.rows);
  }
}

// Past one read chunk (1 MiB) and one index block (65536 lines); a cell needs no room before it.
TEST_F(GridTest, HasNoRoomLimitOfRowsOrColumns) {
  std::string text;
  for (int i = 1; i <= 100'000; ++i)
    text += "r" + std::to_string(i) + "," + std::to_string(i) + "\n";
  ASSERT_TRUE(load(text));
  EXPECT_EQ(grid.rowCount(), 100'000);
  for (int row : {1, 65'536, 65'537, 100'000}) EXPECT_EQ(grid.cell(row, 2), std::to_string(row));
  EXPECT_EQ(grid.cell(1, kLast), "");
  grid.setCell(kLast, kLast, "far");
  EXPECT_EQ(grid.rowCount(), kLast);
  EXPECT_EQ(grid.cell(kLast, kLast), "far");
}

TEST_F(GridTest, LoadReplacesAllCellsAndAFailedLoadLeavesNone) {
  int changes = 0;
  grid.contentsChanged().connect([&] { ++changes; });
  ASSERT_TRUE(load("old1,v\r\nold2\r\n"));
  grid.setCell(4, 1, "written");
  ASSERT_TRUE(load("n1\r\n"));
  expectCells({{"n1"}});
  EXPECT_FALSE(grid.loadTextFile(dir.path()));  // a folder
  expectCells({});
  grid.clear();
  EXPECT_EQ(changes, 5);
}

TEST_F(GridTest, WrittenCellsKeepTheOtherFieldsAndTheLastRowWithDataEndsTheCount) {
  ASSERT_TRUE(load("a,b,c\r\n\r\nd,e\r\n"));
  grid.setCell(1, 2, "B");
  grid.setCell(3, 4, "x");
  grid.setCell(0, 1, "x");  // no row 0: ignored
  expectCells({{"a", "B", "c"}, {""}, {"d", "e", "", "x"}});
  for (const int column : {1, 2, 4}) grid.setCell(3, column, "");
  EXPECT_EQ(grid.rowCount(), 1);  // the empty row 2 no longer counts either
}

TEST_F(GridTest, ReadTextStaysValidWhileOtherCellsChange) {
  grid.setCell(1, 1, std::string(100, 'l'));
  const std::string_view first = grid.cell(1, 1);
  for (int i = 2; i <= 200; ++i) grid.setCell(1, i, "v"), grid.setCell(i, 1, "v");
  EXPECT_EQ(first, std::string(100, 'l'));
}

}  // namespace
}  // namespace csv2sql
