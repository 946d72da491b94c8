#include "components/grid.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using Rows = std::vector<std::vector<std::string>>;
constexpr std::int32_t kLast = std::numeric_limits<std::int32_t>::max();

// Every expected row reads back field by field, with "" after its last field and below the
// last row, and the row count is the number of rows.
void expectCells(const Grid& grid, const Rows& rows) {
  EXPECT_EQ(grid.rowCount(), std::ssize(rows));
  for (std::size_t r = 0; r <= rows.size(); ++r) {
    const auto fields = r < rows.size() ? rows[r] : std::vector<std::string>{};
    for (std::size_t c = 0; c <= fields.size(); ++c) {
      ASSERT_EQ(grid.cell(r + 1, c + 1), c < fields.size() ? fields[c] : "")
          << r + 1 << "," << c + 1;
    }
  }
}

class GridTest : public ::testing::Test {
 protected:
  bool load(const std::string& bytes) {
    testing::writeFile(dir.path() / "in.csv", bytes);
    return grid.loadTextFile(dir.path() / "in.csv");
  }
  testing::TempDir dir;
  Grid grid{"sp", "", {0, 0, 100, 100}, 0};
};

TEST_F(GridTest, LoadSplitsLinesAtLineEndsAndFieldsAtCommas) {
  const std::string nul(1, '\0');
  const struct {
    const char* name;
    std::string bytes;
    Rows rows;
  } cases[] = {
      {"windows_line_ends",
       "Time,Name\r\n2024-03-07,FIT101\r\n",
       {{"Time", "Name"}, {"2024-03-07", "FIT101"}}},
      {"bare_lf", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}},
      {"mixed_line_ends", "a\r\nb\nc\r\n", {{"a"}, {"b"}, {"c"}}},
      {"final_line_without_line_end", "a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}},
      {"cr_at_end_of_file_is_a_line_end", "a,b\r", {{"a", "b"}}},
      {"cr_elsewhere_is_ordinary", "a\rb,c\r\r\n\r,d\r\n", {{"a\rb", "c\r"}, {"\r", "d"}}},
      {"short_line", "1,2,3\r\n4\r\n5,6\r\n", {{"1", "2", "3"}, {"4"}, {"5", "6"}}},
      {"no_quoting", "\"Mar 14, 2021\",\"1,5\"\r\n", {{"\"Mar 14", " 2021\"", "\"1", "5\""}}},
      {"empty_fields_and_spaces_kept", "a,,c,\r\n , b \r\n", {{"a", "", "c", ""}, {" ", " b "}}},
      {"empty_lines_inside_count",
       "\r\na\r\n\r\nb\n\nc\r\n\r\n\n",
       {{""}, {"a"}, {""}, {"b"}, {""}, {"c"}}},
      {"trailing_commas_only_lines_dropped", ",,\r\nx\r\n,,,\r\n,\n", {{"", "", ""}, {"x"}}},
      {"empty_file", "", {}},
      {"only_line_ends", "\r\n\r\n\n\n\r\n", {}},
      {"nul_bytes", "a" + nul + "b,c\r\n" + nul + "\r\n", {{"a" + nul + "b", "c"}, {nul}}},
      {"invalid_utf8",
       "\xff\xfe,\xc3\x28\r\n\xe2\x82,\x80\r\n",
       {{"\xff\xfe", "\xc3\x28"}, {"\xe2\x82", "\x80"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(load(c.bytes));
    expectCells(grid, c.rows);
  }
}

// The plain way to split bytes into rows of fields, to hold the grid to on random bytes.
Rows splitPlainly(const std::string& bytes) {
  Rows rows;
  for (std::size_t start = 0, end; start < bytes.size(); start = end + 1) {
    end = std::min(bytes.find('\n', start), bytes.size());
    std::string line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.pop_back();
    rows.emplace_back();
    for (std::size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 1) {
      comma = line.find(',', from);
      rows.back().push_back(line.substr(from, comma - from));
    }
  }
  while (!rows.empty() && rows.back() == std::vector<std::string>(rows.back().size())) {
    rows.pop_back();
  }
  return rows;
}

TEST_F(GridTest, RandomBytesLoadAsThePlainSplitSays) {
  std::mt19937 random(20240307);
  std::string bytes(1 << 18, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() % 256);
  // Enough line ends and commas to give many short rows and fields.
  for (std::size_t i = 0; i < bytes.size(); i += 1 + random() % 40) bytes[i] = '\n';
  for (std::size_t i = 0; i < bytes.size(); i += 1 + random() % 9) {
    if (bytes[i] != '\n') bytes[i] = ',';
  }
  ASSERT_TRUE(load(bytes));
  const Rows expected = splitPlainly(bytes);
  ASSERT_GT(expected.size(), 2000u);
  expectCells(grid, expected);
}

TEST_F(GridTest, HasNoRoomLimitOfRowsColumnsOrLineLength) {
  std::string text;
  for (int i = 1; i <= 100'000; ++i)
    text += "r" + std::to_string(i) + "," + std::to_string(i) + "\n";
  ASSERT_TRUE(load(text));
  EXPECT_EQ(grid.rowCount(), 100'000);
  // Also across the index's blocks of 65536 lines.
  for (int row : {1, 500, 501, 65'536, 65'537, 100'000})
    EXPECT_EQ(grid.cell(row, 2), std::to_string(row));

  std::string columns;
  for (int i = 1; i <= 2000; ++i) columns += "c" + std::to_string(i) + ",";
  const std::string huge(10 << 20, 'x'), commas(10 << 20, ',');
  ASSERT_TRUE(load(columns + "\r\n" + huge + ",tail\r\n" + commas + "\r\nlast\r\n"));
  EXPECT_EQ(grid.cell(1, 2000), "c2000");
  EXPECT_EQ(grid.cell(1, 2001), "");
  EXPECT_EQ(grid.cell(2, 1).size(), huge.size());
  EXPECT_EQ(grid.cell(2, 2), "tail");
  EXPECT_EQ(grid.cell(3, 5'000'000), "");
  EXPECT_EQ(grid.cell(4, 1), "last");

  grid.setCell(kLast, kLast, "far");  // a written cell needs no room before it either
  EXPECT_EQ(grid.rowCount(), kLast);
  EXPECT_EQ(grid.cell(kLast, kLast), "far");
}

TEST_F(GridTest, FailedLoadLeavesNoRows) {
  std::filesystem::create_directory(dir.path() / "folder");
  for (const char* target : {"missing.csv", "folder", "folder/missing.csv"}) {
    ASSERT_TRUE(load("a,b\r\nc,d\r\n"));
    EXPECT_FALSE(grid.loadTextFile(dir.path() / target)) << target;
    expectCells(grid, {});
  }
}

TEST_F(GridTest, LoadReplacesAllEarlierCells) {
  std::string ten;
  for (int i = 1; i <= 10; ++i) ten += "old" + std::to_string(i) + ",v\r\n";
  ASSERT_TRUE(load(ten));
  grid.setCell(12, 1, "written");
  ASSERT_TRUE(load("n1\r\nn2\r\n"));
  expectCells(grid, {{"n1"}, {"n2"}});
  EXPECT_EQ(grid.cell(10, 2), "");
  EXPECT_EQ(grid.cell(12, 1), "");
}

TEST_F(GridTest, CellsBelowOneReadEmptyAndIgnoreWrites) {
  ASSERT_TRUE(load("a,b\r\n"));
  for (const auto& [row, column] : {std::pair{0, 1}, {1, 0}, {-1, -1}}) {
    grid.setCell(row, column, "x");
    EXPECT_EQ(grid.cell(row, column), "") << row << "," << column;
  }
  expectCells(grid, {{"a", "b"}});
  EXPECT_EQ(grid.cell(kLast, 1), "");
  EXPECT_EQ(grid.cell(1, kLast), "");
}

TEST_F(GridTest, WrittenCellOverALoadedRowKeepsItsOtherFields) {
  ASSERT_TRUE(load("a,b,c\r\nd,e\r\n"));
  grid.setCell(1, 2, "B");
  grid.setCell(2, 4, "x");
  expectCells(grid, {{"a", "B", "c"}, {"d", "e", "", "x"}});
}

TEST_F(GridTest, EmptyingTheLastRowsLowersTheRowCount) {
  ASSERT_TRUE(load("a\r\n\r\nb,c\r\n"));
  grid.setCell(3, 1, "");
  EXPECT_EQ(grid.rowCount(), 3);
  grid.setCell(3, 2, "");  // the empty row 2 no longer counts either
  EXPECT_EQ(grid.rowCount(), 1);
  grid.setCell(5, 3, "w");
  grid.setCell(5, 3, "");
  EXPECT_EQ(grid.rowCount(), 1);
  grid.setCell(1, 1, "");
  EXPECT_EQ(grid.rowCount(), 0);
}

// The settings load appends the offset table's rows through the cursor, row 0 first.
TEST(GridCursor, TextAddressesTheCursorCell) {
  Grid grid("spUTC", "Frame5", {120, 480, 4455, 1935}, 42, {"Start", "End", "Offset"});
  EXPECT_EQ(grid.columnHeaders(), (std::vector<std::string>{"Start", "End", "Offset"}));
  for (const Rows::value_type& cells : Rows{{"a", "b", "c"}, {"", "", ""}, {"d", "", "f"}}) {
    grid.setRow(grid.row() + 1);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      grid.setCol(static_cast<std::int32_t>(c + 1));
      grid.setText(cells[c]);
      EXPECT_EQ(grid.text(), cells[c]);
    }
  }
  EXPECT_EQ(grid.row(), 3);
  EXPECT_EQ(grid.col(), 3);
  expectCells(grid, {{"a", "b", "c"}, {}, {"d", "", "f"}});
}

TEST_F(GridTest, ReadTextStaysValidWhileOtherCellsChange) {
  grid.setCell(1, 1, "short");
  grid.setCell(1, 2, std::string(100, 'l'));
  const std::string_view first = grid.cell(1, 1), second = grid.cell(1, 2);
  for (int i = 3; i <= 200; ++i) {
    grid.setCell(1, i, "v");
    grid.setCell(i, 1, "v");
  }
  EXPECT_EQ(first, "short");
  EXPECT_EQ(second, std::string(100, 'l'));
}

TEST_F(GridTest, ContentsChangedAfterLoadClearAndSetCell) {
  int changes = 0;
  grid.contentsChanged().connect([&] { ++changes; });
  ASSERT_TRUE(load("a\r\n"));
  EXPECT_FALSE(grid.loadTextFile(dir.path() / "missing.csv"));
  grid.setCell(1, 1, "x");
  grid.clear();
  EXPECT_EQ(changes, 4);
  expectCells(grid, {});
}

}  // namespace
}  // namespace csv2sql
