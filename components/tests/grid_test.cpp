#include "components/grid.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Grid makeGrid() {
  return Grid("sp", "", {0, 0, 100, 100}, 0);
}

// Every expected row must read back field by field, with "" right after its last field, and
// nothing may be read below the last expected row.
void expectCells(const Grid& grid, const Rows& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto row = static_cast<std::int32_t>(r + 1);
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      EXPECT_EQ(grid.cell(row, static_cast<std::int32_t>(c + 1)), rows[r][c])
          << "row " << row << " column " << c + 1;
    }
    EXPECT_EQ(grid.cell(row, static_cast<std::int32_t>(rows[r].size() + 1)), "")
        << "row " << row << " after its last field";
  }
  const auto below = static_cast<std::int32_t>(rows.size() + 1);
  EXPECT_EQ(grid.cell(below, 1), "") << "row " << below;
}

class GridFileTest : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    const auto path = dir.path() / name;
    testing::writeFile(path, bytes);
    return path;
  }
  bool load(const std::string& bytes) { return grid.loadTextFile(write("in.csv", bytes)); }

  testing::TempDir dir;
  Grid grid = makeGrid();
};

struct LoadCase {
  std::string name;
  std::string bytes;
  std::int32_t rowCount;
  Rows cells;
};

std::ostream& operator<<(std::ostream& out, const LoadCase& c) {
  return out << c.name;
}

class GridLoad : public GridFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(GridLoad, RowsAndCells) {
  const LoadCase& c = GetParam();
  ASSERT_TRUE(load(c.bytes));
  EXPECT_EQ(grid.rowCount(), c.rowCount);
  expectCells(grid, c.cells);
}

const std::string kBom = "\xEF\xBB\xBF";
// A line that ends at the last byte of the first 1 MiB read.
const std::string kChunkLess1((1 << 20) - 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    Edges, GridLoad,
    ::testing::Values(
        LoadCase{"windows_line_ends",
                 "Time,Name,Reading\r\n2024-03-07T14:05:09Z,FIT101,12.5\r\n",
                 2,
                 {{"Time", "Name", "Reading"}, {"2024-03-07T14:05:09Z", "FIT101", "12.5"}}},
        LoadCase{"bare_lf", "a,b\nc,d\n", 2, {{"a", "b"}, {"c", "d"}}},
        LoadCase{"mixed_line_ends", "a\r\nb\nc\r\n", 3, {{"a"}, {"b"}, {"c"}}},
        LoadCase{"final_line_without_line_end", "a,b\r\nc,d", 2, {{"a", "b"}, {"c", "d"}}},
        LoadCase{"cr_at_end_of_file_is_a_line_end", "a,b\r", 1, {{"a", "b"}}},
        LoadCase{"trailing_cr_not_in_cell", "x,y\r\n1,2\r\n", 2, {{"x", "y"}, {"1", "2"}}},
        LoadCase{"lone_cr_ends_a_line",
                 "a\rb,c\r\r\n\r,d\r\n",
                 5,
                 {{"a"}, {"b", "c"}, {""}, {""}, {"", "d"}}},
        LoadCase{"cr_lf_split_at_the_read_chunk", kChunkLess1 + "\r\nb", 2, {{kChunkLess1}, {"b"}}},
        LoadCase{"lone_cr_at_the_read_chunk", kChunkLess1 + "\rb", 2, {{kChunkLess1}, {"b"}}},
        LoadCase{"byte_order_mark_dropped", kBom + "a,b\r\n", 1, {{"a", "b"}}},
        LoadCase{"byte_order_mark_only_at_start", "a\n" + kBom + "b", 2, {{"a"}, {kBom + "b"}}},
        LoadCase{"short_line", "1,2,3\r\n4\r\n5,6\r\n", 3, {{"1", "2", "3"}, {"4"}, {"5", "6"}}},
        LoadCase{"quoted_comma",
                 "\"Mar 14, 2021\",T1,\"1,5\"\r\n",
                 1,
                 {{"\"Mar 14", " 2021\"", "T1", "\"1", "5\""}}},
        LoadCase{"empty_fields", "a,,c,\r\n,b\r\n", 2, {{"a", "", "c", ""}, {"", "b"}}},
        LoadCase{"spaces_kept", " a , b \r\n", 1, {{" a ", " b "}}},
        LoadCase{"empty_lines_inside_and_after",
                 "a\r\n\r\nb\n\nc\r\n\r\n\n\r\n",
                 5,
                 {{"a"}, {""}, {"b"}, {""}, {"c"}}},
        LoadCase{"empty_line_first", "\r\nx\r\n", 2, {{""}, {"x"}}},
        LoadCase{"commas_only_hold_no_data", ",,\r\nx\r\n,,,\r\n,\n", 2, {{"", "", ""}, {"x"}}},
        LoadCase{"empty_file", "", 0, {}}, LoadCase{"only_line_ends", "\r\n\r\n\n\n\r\n", 0, {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(GridFileTest, reload_smaller_file) {
  std::string ten;
  for (int i = 1; i <= 10; ++i) ten += "old" + std::to_string(i) + ",v\r\n";
  ASSERT_TRUE(load(ten));
  ASSERT_EQ(grid.rowCount(), 10);

  ASSERT_TRUE(load("n1\r\nn2\r\nn3\r\n"));
  EXPECT_EQ(grid.rowCount(), 3);
  expectCells(grid, {{"n1"}, {"n2"}, {"n3"}});
  for (std::int32_t row = 4; row <= 10; ++row) {
    EXPECT_EQ(grid.cell(row, 1), "") << row;
    EXPECT_EQ(grid.cell(row, 2), "") << row;
  }
}

class FailedLoad : public GridFileTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FailedLoad, failed_load_leaves_no_rows) {
  ASSERT_TRUE(load("a,b\r\nc,d\r\n"));
  std::filesystem::create_directory(dir.path() / "folder");
  const auto target = dir.path() / GetParam();

  EXPECT_FALSE(grid.loadTextFile(target));
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(grid.cell(1, 1), "");
  EXPECT_EQ(grid.cell(2, 2), "");
}

INSTANTIATE_TEST_SUITE_P(Unreadable, FailedLoad,
                         ::testing::Values("missing.csv", "folder", "folder/missing.csv"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& ch : name) {
                             if (ch == '/' || ch == '.') ch = '_';
                           }
                           return name;
                         });

TEST_F(GridFileTest, beyond_500_rows) {
  constexpr int kRows = 100'000;  // also crosses the index's blocks of 65536 lines
  std::string text;
  for (int i = 1; i <= kRows; ++i) text += "r" + std::to_string(i) + "," + std::to_string(i) + "\n";
  ASSERT_TRUE(load(text));
  EXPECT_EQ(grid.rowCount(), kRows);
  for (int row : {1, 500, 501, 65'536, 65'537, kRows}) {
    EXPECT_EQ(grid.cell(row, 1), "r" + std::to_string(row));
    EXPECT_EQ(grid.cell(row, 2), std::to_string(row));
  }
  EXPECT_EQ(grid.cell(kRows + 1, 1), "");
}

TEST_F(GridFileTest, cells_below_one_read_empty) {
  ASSERT_TRUE(load("a,b\r\n"));
  EXPECT_EQ(grid.cell(0, 1), "");
  EXPECT_EQ(grid.cell(1, 0), "");
  EXPECT_EQ(grid.cell(-1, 1), "");
  EXPECT_EQ(grid.cell(1, -1), "");
  EXPECT_EQ(grid.cell(std::numeric_limits<std::int32_t>::max(), 1), "");
  EXPECT_EQ(grid.cell(1, std::numeric_limits<std::int32_t>::max()), "");
}

TEST_F(GridFileTest, cursor_reads_current_cell) {
  ASSERT_TRUE(load("a,b\r\nc,d\r\n"));
  grid.setRow(2);
  grid.setCol(1);
  EXPECT_EQ(grid.row(), 2);
  EXPECT_EQ(grid.col(), 1);
  EXPECT_EQ(grid.text(), "c");
  grid.setCol(2);
  EXPECT_EQ(grid.text(), "d");
}

TEST_F(GridFileTest, load_replaces_written_cells) {
  grid.setCell(5, 1, "written");
  ASSERT_TRUE(load("a\r\nb\r\n"));
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.cell(5, 1), "");
}

TEST_F(GridFileTest, written_cell_over_loaded_row_keeps_its_other_fields) {
  ASSERT_TRUE(load("a,b,c\r\nd,e\r\n"));
  grid.setCell(1, 2, "B");
  expectCells(grid, {{"a", "B", "c"}, {"d", "e"}});
  grid.setCell(2, 4, "x");
  expectCells(grid, {{"a", "B", "c"}, {"d", "e", "", "x"}});
}

TEST_F(GridFileTest, emptying_last_loaded_row_lowers_row_count) {
  ASSERT_TRUE(load("a\r\n\r\nb,c\r\n"));
  grid.setCell(3, 1, "");
  EXPECT_EQ(grid.rowCount(), 3);
  grid.setCell(3, 2, "");
  EXPECT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.cell(3, 1), "");
  grid.setCell(2, 1, "z");
  EXPECT_EQ(grid.rowCount(), 2);
}

TEST_F(GridFileTest, clear_empties_loaded_and_written_cells) {
  ASSERT_TRUE(load("a\r\nb\r\n"));
  grid.setCell(4, 1, "w");
  grid.clear();
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(grid.cell(1, 1), "");
  EXPECT_EQ(grid.cell(4, 1), "");
}

TEST_F(GridFileTest, contents_changed_after_load_clear_and_set_cell) {
  int changes = 0;
  grid.contentsChanged().connect([&] { ++changes; });
  ASSERT_TRUE(load("a\r\n"));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(grid.loadTextFile(dir.path() / "missing.csv"));
  EXPECT_EQ(changes, 2);
  grid.setCell(1, 1, "x");
  EXPECT_EQ(changes, 3);
  grid.clear();
  EXPECT_EQ(changes, 4);
}

// The offset table: the settings load appends rows through the cursor, row 0 first.
Grid makeUtcGrid() {
  return Grid("spUTC", "Frame5", {120, 480, 4455, 1935}, 42, {"Start", "End", "Offset"});
}

void appendRow(Grid& grid, const std::vector<std::string>& cells) {
  grid.setRow(grid.row() + 1);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    grid.setCol(static_cast<std::int32_t>(c + 1));
    grid.setText(cells[c]);
  }
}

TEST(GridCells, set_cell_reads_back_and_counts_rows) {
  Grid grid = makeUtcGrid();
  EXPECT_EQ(grid.columnHeaders(), (std::vector<std::string>{"Start", "End", "Offset"}));
  EXPECT_EQ(grid.rowCount(), 0);
  grid.setCell(3, 2, "x");
  EXPECT_EQ(grid.rowCount(), 3);
  EXPECT_EQ(grid.cell(3, 2), "x");
  EXPECT_EQ(grid.cell(3, 1), "");
  EXPECT_EQ(grid.cell(1, 1), "");
  grid.setCell(3, 2, "y");
  EXPECT_EQ(grid.cell(3, 2), "y");
}

TEST(GridCells, beyond_500_rows_through_the_cursor) {
  Grid grid = makeUtcGrid();
  grid.setRow(0);
  for (int i = 1; i <= 600; ++i) appendRow(grid, {"s" + std::to_string(i), "e", "-5"});
  EXPECT_EQ(grid.rowCount(), 600);
  EXPECT_EQ(grid.cell(501, 1), "s501");
  EXPECT_EQ(grid.cell(600, 3), "-5");
}

TEST(GridCells, empty_row_counts_only_below_a_data_row) {
  Grid grid = makeUtcGrid();
  grid.setRow(0);
  appendRow(grid, {"a", "b", "c"});
  appendRow(grid, {"", "", ""});
  EXPECT_EQ(grid.rowCount(), 1);
  appendRow(grid, {"d", "e", "f"});
  EXPECT_EQ(grid.rowCount(), 3);
  expectCells(grid, {{"a", "b", "c"}, {"", "", ""}, {"d", "e", "f"}});
}

TEST(GridCells, emptying_last_row_lowers_row_count) {
  Grid grid = makeUtcGrid();
  grid.setCell(1, 1, "a");
  grid.setCell(2, 1, "b");
  grid.setCell(2, 3, "c");
  grid.setCell(2, 1, "");
  EXPECT_EQ(grid.rowCount(), 2);
  grid.setCell(2, 3, "");
  EXPECT_EQ(grid.rowCount(), 1);
  grid.setCell(1, 1, "");
  EXPECT_EQ(grid.rowCount(), 0);
}

TEST(GridCells, writes_below_one_are_ignored) {
  Grid grid = makeUtcGrid();
  grid.setCell(0, 1, "x");
  grid.setCell(1, 0, "x");
  grid.setCell(-3, -3, "x");
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(grid.cell(0, 1), "");
  EXPECT_EQ(grid.cell(1, 1), "");
}

TEST(GridCells, far_cell_needs_no_room_before_it) {
  Grid grid = makeUtcGrid();
  const auto last = std::numeric_limits<std::int32_t>::max();
  grid.setCell(last, last, "far");
  EXPECT_EQ(grid.rowCount(), last);
  EXPECT_EQ(grid.cell(last, last), "far");
  EXPECT_EQ(grid.cell(last, 1), "");
}

TEST(GridCells, read_text_stays_valid_while_other_cells_change) {
  Grid grid = makeUtcGrid();
  grid.setCell(1, 1, "short");
  grid.setCell(1, 2, std::string(100, 'l'));
  const std::string_view first = grid.cell(1, 1);
  const std::string_view second = grid.cell(1, 2);
  for (int col = 3; col <= 200; ++col) grid.setCell(1, col, "v");
  for (int row = 2; row <= 200; ++row) grid.setCell(row, 1, "v");
  EXPECT_EQ(first, "short");
  EXPECT_EQ(second, std::string(100, 'l'));
}

}  // namespace
}  // namespace csv2sql
