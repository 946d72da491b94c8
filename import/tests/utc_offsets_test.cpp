#include "import/utc_offsets.h"

#include <gtest/gtest.h>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

using Rows = std::vector<TableRow>;

DateTime at(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  return DateTime::fromParts(year, month, day, hour, minute, second);
}

class UtcOffsetTableTest : public ::testing::Test {
 protected:
  void setRow(std::int32_t row, const std::string& start, const std::string& end,
              const std::string& offset) {
    grid.setCell(row, 1, start);
    grid.setCell(row, 2, end);
    grid.setCell(row, 3, offset);
  }
  void setExample() {
    setRow(1, "2024-03-10 07:00:00", "2024-11-03 05:59:59", "-4");
    setRow(2, "2024-11-03 06:00:00", "2025-03-09 06:59:59", "-5");
  }
  FrmMain form;
  Grid& grid = form.spUTC;
};

struct LookupCase {
  std::string name;
  DateTime utc;
  DateTime local;
};

class ExampleTable : public UtcOffsetTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ExampleTable, ConvertsByTheContainingPeriod) {
  setExample();
  EXPECT_EQ(UtcOffsetTable(grid).UtcToLocal(GetParam().utc), GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ExampleTable,
    ::testing::Values(LookupCase{"summer", at(2024, 7, 1, 12), at(2024, 7, 1, 8)},
                      LookupCase{"winter", at(2024, 12, 1, 12), at(2024, 12, 1, 7)},
                      LookupCase{"second_period_start", at(2024, 11, 3, 6), at(2024, 11, 3, 1)},
                      LookupCase{"before_every_period", at(2023, 1, 1, 0), at(2023, 1, 1, 0)},
                      LookupCase{"first_period_end", at(2024, 11, 3, 5, 59, 59),
                                 at(2024, 11, 3, 1, 59, 59)},
                      LookupCase{"second_after_the_last_end", at(2025, 3, 9, 7), at(2025, 3, 9, 7)},
                      LookupCase{"last_end", at(2025, 3, 9, 6, 59, 59), at(2025, 3, 9, 1, 59, 59)}),
    [](const auto& info) { return info.param.name; });

TEST_F(UtcOffsetTableTest, OverlapUsesTheUpperRow) {
  setRow(1, "2024-01-01", "2024-12-31", "-4");
  setRow(2, "2024-06-01", "2024-06-30", "-5");
  EXPECT_EQ(UtcOffsetTable(grid).UtcToLocal(at(2024, 6, 15, 12)), at(2024, 6, 15, 8));
}

TEST_F(UtcOffsetTableTest, FractionalOffsetMovesByTheExactFraction) {
  setRow(1, "2024-01-01", "2024-12-31", "5.5");
  setRow(2, "2025-01-01", "2025-12-31", "-0.25");
  const UtcOffsetTable table(grid);
  EXPECT_EQ(table.UtcToLocal(at(2024, 6, 15, 12)), at(2024, 6, 15, 17, 30));
  EXPECT_EQ(table.UtcToLocal(at(2025, 6, 15, 12)), at(2025, 6, 15, 11, 45));
}

TEST_F(UtcOffsetTableTest, EmptyTableConvertsNothing) {
  EXPECT_EQ(UtcOffsetTable(grid).UtcToLocal(at(2024, 6, 15, 12)), at(2024, 6, 15, 12));
}

TEST_F(UtcOffsetTableTest, BadSecondRowMattersOnlyToTimesAfterTheFirstPeriod) {
  setRow(1, "2024-03-10 07:00:00", "2024-11-03 05:59:59", "-4");
  setRow(2, "", "2025-03-09 06:59:59", "-5");
  const UtcOffsetTable table(grid);
  EXPECT_EQ(table.UtcToLocal(at(2024, 7, 1, 12)), at(2024, 7, 1, 8));
  try {
    table.UtcToLocal(at(2024, 12, 1, 12));
    FAIL() << "an empty Start must raise";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 13);
    EXPECT_EQ(error.description(), "Type mismatch");
  }
}

struct BadCellCase {
  std::string name;
  std::vector<std::string> row;  // Start, End, Offset
  bool raises;                   // for a time before Start
};

class BadCell : public UtcOffsetTableTest, public ::testing::WithParamInterface<BadCellCase> {};

// Start and End are read before the containment test, the offset only for a matching row.
TEST_P(BadCell, RaisesOnlyWhenTheScanReadsIt) {
  setRow(1, GetParam().row[0], GetParam().row[1], GetParam().row[2]);
  const UtcOffsetTable table(grid);
  const DateTime before = at(2020, 1, 1, 0);
  if (GetParam().raises) {
    EXPECT_THROW(table.UtcToLocal(before), Error);
  } else {
    EXPECT_EQ(table.UtcToLocal(before), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, BadCell,
    ::testing::Values(
        BadCellCase{"bad_start", {"soon", "2024-12-31", "1"}, true},
        BadCellCase{"bad_end", {"2024-01-01", "later", "1"}, true},
        BadCellCase{"bad_offset_not_reached", {"2024-01-01", "2024-12-31", "x"}, false},
        BadCellCase{"empty_offset_not_reached", {"2024-01-01", "2024-12-31", ""}, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(UtcOffsetTableTest, BadOffsetOfTheMatchingRowRaises) {
  setRow(1, "2024-01-01", "2024-12-31", "four");
  EXPECT_THROW(UtcOffsetTable(grid).UtcToLocal(at(2024, 6, 1, 0)), Error);
}

TEST_F(UtcOffsetTableTest, EmptyRowInsideTheCountedRowsRaisesWhenReached) {
  setRow(1, "2024-01-01", "2024-01-31", "1");
  setRow(3, "2024-03-01", "2024-03-31", "3");
  const UtcOffsetTable table(grid);
  EXPECT_EQ(table.UtcToLocal(at(2024, 1, 15, 0)), at(2024, 1, 15, 1));
  EXPECT_THROW(table.UtcToLocal(at(2024, 3, 15, 0)), Error);
}

TEST_F(UtcOffsetTableTest, CellsAreReadWhenTheTableIsMadeNotAtEveryLookup) {
  setRow(1, "2024-01-01", "2024-12-31", "2");
  const UtcOffsetTable table(grid);
  grid.setCell(1, 3, "7");
  EXPECT_EQ(table.UtcToLocal(at(2024, 6, 1, 0)), at(2024, 6, 1, 2));
  EXPECT_EQ(UtcOffsetTable(grid).UtcToLocal(at(2024, 6, 1, 0)), at(2024, 6, 1, 7));
}

// The same rules through a whole run.
class UtcRunTest : public ImportRunTest {
 protected:
  UtcRunTest() {
    form().chkUtcOffset.setValue(1);
    setUtcTable({{"2024-03-10 07:00:00", "2024-11-03 05:59:59", "-4"},
                 {"2024-11-03 06:00:00", "2025-03-09 06:59:59", "-5"}});
  }
};

TEST_F(UtcRunTest, ExampleTableGivesItsFourResults) {
  writeCsv("f.csv", csvLines({"h", "2024-07-01T12:00:00Z,A,1", "2024-12-01 12:00:00,A,2",
                              "2024-11-03 06:00:00,A,3", "2023-01-01 00:00:00,A,4"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(logTexts()[4], "Times will be adjusted from UTC");
  EXPECT_EQ(tableRows(), (Rows{{"2024-07-01 08:00:00", "A", "1.0"},
                               {"2024-12-01 07:00:00", "A", "2.0"},
                               {"2024-11-03 01:00:00", "A", "3.0"},
                               {"2023-01-01 00:00:00", "A", "4.0"}}));
}

TEST_F(UtcRunTest, BadSecondRowEndsTheRunOnlyForTimesAfterTheFirstPeriod) {
  form().spUTC.setCell(2, 1, "");
  writeCsv("a.csv", csvLines({"h", "2024-07-01 12:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-07-01 13:00:00,B,1", "2024-12-01 12:00:00,B,2"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(logTexts().back(), "Error 13 - Type mismatch");
  EXPECT_EQ(tableRows(), (Rows{{"2024-07-01 08:00:00", "A", "1.0"}}));
  EXPECT_TRUE(inSource("b.csv"));
}

TEST_F(UtcRunTest, RowWithAnInvalidValueStillPassesThroughTheLookup) {
  form().spUTC.setCell(2, 1, "");
  writeCsv("a.csv", csvLines({"h", "2024-12-01 12:00:00,B,n/a"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(logTexts().back(), "Error 13 - Type mismatch");
}

TEST_F(UtcRunTest, UncheckedConversionNeverReadsTheTable) {
  form().chkUtcOffset.setValue(0);
  setUtcTable({{"garbage", "", "x"}});
  writeCsv("a.csv", csvLines({"h", "2024-07-01 12:00:00,A,1"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-07-01 12:00:00", "A", "1.0"}}));
}

}  // namespace
}  // namespace csv2sql::testing
