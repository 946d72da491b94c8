#include "app/grid.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace csv2sql {
namespace {

constexpr std::int32_t kLast = std::numeric_limits<std::int32_t>::max();

TEST(GridTest, HasNoRoomLimitAndTheLastRowWithDataEndsTheCount) {
  Grid grid{"spUTC", "", {0, 0, 100, 100}, 0};
  int changes = 0;
  grid.contentsChanged().connect([&] { ++changes; });
  grid.setCell(kLast, kLast, "far");
  grid.setCell(2, 1, "b");
  grid.setCell(0, 1, "x");  // no row 0: ignored
  EXPECT_EQ(grid.rowCount(), kLast);
  EXPECT_EQ(grid.cell(kLast, kLast), "far");
  EXPECT_EQ(grid.cell(2, 2), "");
  grid.setCell(kLast, kLast, "");
  EXPECT_EQ(grid.rowCount(), 2);
  grid.clear();
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(changes, 4);
}

TEST(GridTest, ReadTextStaysValidWhileOtherCellsChange) {
  Grid grid{"spUTC", "", {0, 0, 100, 100}, 0};
  grid.setCell(1, 1, std::string(100, 'l'));
  const std::string_view first = grid.cell(1, 1);
  for (int i = 2; i <= 200; ++i) grid.setCell(1, i, "v"), grid.setCell(i, 1, "v");
  EXPECT_EQ(first, std::string(100, 'l'));
}

}  // namespace
}  // namespace csv2sql
