#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "import/tests/run_fixture.h"
#include "import/utc_offsets.h"

namespace csv2sql::testing {
namespace {

// One file through a whole run: what is stored and what the log says after "Loading file".
struct FileCase {
  const char* name;
  std::function<void(Settings&)> arrange;
  Lines file;
  Lines stored;  // "DateTime|Tag|Value"
  Lines log;     // the lines after "Loading file ...", up to the run's end
};

class OneFile : public ImportRunTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(OneFile, StoresTheValidRowsAndLogsTheOthers) {
  GetParam().arrange(settings);
  writeCsv("f.csv", csvLines(GetParam().file));
  EXPECT_EQ(runImport(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), GetParam().stored);
  Lines texts = logTexts();
  const auto loading = std::find_if(texts.begin(), texts.end(),
                                    [](const auto& line) { return startsWith(line, "Loading"); });
  ASSERT_NE(loading, texts.end());
  // The file's counts follow its row lines; the run's own line and the closing lines end it.
  Lines expected = GetParam().log;
  const auto skipped = std::count_if(expected.begin(), expected.end(),
                                     [](const auto& line) { return startsWith(line, "Row "); });
  expected.insert(expected.begin() + 1 + skipped, std::to_string(GetParam().stored.size()) +
                                                      " readings stored, " +
                                                      std::to_string(skipped) + " rows skipped");
  ASSERT_GE(texts.end() - loading, 4);
  EXPECT_TRUE(startsWith(*(texts.end() - 3), "Run done: 1 files, "));
  EXPECT_EQ(Lines(loading + 1, texts.end() - 3), expected);
}

const auto kAsIs = [](Settings&) {};
const auto kUtc = [](Settings& settings) {
  settings.utcOffset = true;
  settings.utc = utcRows({{"2024-03-10 07:00:00", "2024-11-03 05:59:59", "-4"},
                          {"2024-11-03 06:00:00", "2025-03-09 06:59:59", "-5"}});
};
const Lines kThree = {"Time,Name,Reading", "2024-03-07 14:05:09,A,1", "2024-03-07 14:05:10,B,2"};
const Lines kBoth = {"2024-03-07 14:05:09|A|1.0", "2024-03-07 14:05:10|B|2.0"};
std::function<void(Settings&)> headerRows(const char* rows) {
  return [rows](Settings& settings) { settings.headerRows.text = rows; };
}

INSTANTIATE_TEST_SUITE_P(
    Files, OneFile,
    ::testing::Values(
        FileCase{
            "example_lines",
            kAsIs,
            {"Time,Name,Reading", "2024-03-07T14:05:09Z,FIT101,12.5",
             "2024-03-07 14:06:00, LT7 ,0.25", "2024-03-07T14:07:00Z,,7", "bad,FIT101,1",
             "2024-03-07T14:08:00Z,FIT101,n/a", "2024-03-07T14:09:00Z,FIT101", "Total"},
            {"2024-03-07 14:05:09|FIT101|12.5", "2024-03-07 14:06:00|LT7|0.25",
             "2024-03-07 14:07:00||7.0"},
            {"8 rows loaded from file", "Row 5 invalid date (bad) record skipped",
             "Row 6 invalid value (n/a) record skipped", "Row 7 invalid value () record skipped",
             "Row 8 invalid date ( otal) record skipped"}},
        FileCase{"no_header",
                 headerRows("0"),
                 kThree,
                 kBoth,
                 {"3 rows loaded from file", "Row 1 invalid date ( ime) record skipped"}},
        FileCase{"header_longer_than_the_file",
                 headerRows("5"),
                 kThree,
                 {},
                 {"3 rows loaded from file"}},
        FileCase{"header_rows_half_to_even",
                 headerRows("2.5"),
                 kThree,
                 {kBoth[1]},
                 {"3 rows loaded from file"}},
        FileCase{"empty_line_between_rows",
                 kAsIs,
                 {"h", "2024-03-07 14:05:09,A,1", "", "2024-03-07 14:05:10,B,2", "", ""},
                 kBoth,
                 {"4 rows loaded from file", "Row 3 invalid date () record skipped"}},
        FileCase{"lower_case_t_and_z_are_no_iso_marks",
                 kAsIs,
                 {"h", "2024-03-07t14:05:09z,A,1"},
                 {},
                 {"2 rows loaded from file",
                  "Row 2 invalid date (2024-03-07t14:05:09z) record skipped"}},
        // Each "T" becomes a blank and each "Z" goes wherever they stand, in short and long cells.
        FileCase{"iso_marks_anywhere_in_a_cell",
                 kAsIs,
                 {"h", "2024-03-07TZ14:05:09,A,1", "ZZ2024-03-07T14:05:09.5,B,2",
                  "The next Tuesday Then Zulu Time at TZ,C,3"},
                 {"2024-03-07 14:05:09|A|1.0", "2024-03-07 14:05:09.5|B|2.0"},
                 {"4 rows loaded from file",
                  "Row 4 invalid date ( he next  uesday  hen ulu  ime at  ) record skipped"}},
        FileCase{"columns_in_another_order",
                 [](Settings& settings) {
                   settings.colDateTime.text = "3";
                   settings.colTag.text = "1";
                   settings.colValue.text = "4";
                 },
                 {"Tag,Quality,Stamp,Reading", "PT9,Good,2024-11-03 05:59:59, 101.3 "},
                 {"2024-11-03 05:59:59|PT9|101.3"},
                 {"2 rows loaded from file"}},
        FileCase{"date_alone_and_fractions_of_a_second",
                 kAsIs,
                 {"h", "2024-03-07,A,1", "2024-03-07T14:05:09.250Z,B,2",
                  "2024-03-07 14:05:09.000001,C,3"},
                 {"2024-03-07 00:00:00|A|1.0", "2024-03-07 14:05:09.25|B|2.0",
                  "2024-03-07 14:05:09.000001|C|3.0"},
                 {"4 rows loaded from file"}},
        // Only the first MiB of such a line is held; the cell that the cut falls in is echoed
        // with its whole length. Cells wholly before the cut are read, but such a line is never
        // a reading.
        FileCase{
            "lines_longer_than_a_mebibyte",
            kAsIs,
            {"h", "2024-03-07 14:05:09,A,1", std::string(2 << 20, '1') + ",B,2",
             "2024-03-07 14:05:10,C," + std::string(2 << 20, '9'),
             "2024-03-07 14:05:11,D,4," + std::string(2 << 20, 'x'), "2024-03-07 14:05:12,E,5"},
            {"2024-03-07 14:05:09|A|1.0", "2024-03-07 14:05:12|E|5.0"},
            {"6 rows loaded from file",
             "Row 3 invalid date (" + std::string(300, '1') +
                 "...(cut, 2097152 bytes in all)) record skipped",
             "Row 4 invalid value (" + std::string(300, '9') +
                 "...(cut, 2097152 bytes in all)) record skipped",
             "Row 5 invalid value (4) record skipped"}},
        FileCase{
            "utc_periods_with_both_bounds_inclusive",
            kUtc,
            {"h", "2024-07-01T12:00:00Z,A,1", "2024-11-03 05:59:59,B,2", "2024-11-03 06:00:00,C,3",
             "2025-03-09 07:00:00,D,4"},
            {"2024-07-01 08:00:00|A|1.0", "2024-11-03 01:59:59|B|2.0", "2024-11-03 01:00:00|C|3.0",
             "2025-03-09 07:00:00|D|4.0"},
            {"5 rows loaded from file", "1 readings outside every UTC period stored unconverted"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The offset table alone: the first containing row wins, a fraction of an hour is exact, and a
// cell that cannot be read matters only when the scan reaches it (error 13).
TEST(UtcOffsetTable, ConvertsByTheFirstContainingPeriodAndRaisesOnlyWhereItReads) {
  const auto at = [](int month, int day, int hour) {
    return DateTime::fromParts(2024, month, day, hour);
  };
  UtcRows rows = utcRows({{"2024-01-01", "2024-12-31", "5.5"},
                          {"2024-06-01", "2024-06-30", "-5"},
                          {"", "2025-12-31", "1"},
                          {"2023-01-01", "2023-12-31", "x"}});
  const UtcOffsetTable table(rows);
  rows[0].offset = "7";  // read when the table was made, not at every lookup
  EXPECT_EQ(table.toLocal(at(6, 15, 12)), DateTime::fromParts(2024, 6, 15, 17, 30));
  for (const DateTime unread : {DateTime::fromParts(2025, 6, 1), DateTime::fromParts(2023, 6, 1)}) {
    try {
      table.toLocal(unread);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.numberAndDescription(), "13 - Type mismatch");
    }
  }
  EXPECT_EQ(UtcOffsetTable(UtcRows{}).toLocal(at(6, 15, 12)), std::nullopt);

  // Lookups that go back and forth between periods, disjoint ones and overlapping ones (where the
  // period that held the last time must not be taken for a time an earlier period holds).
  const auto hours = [&](int month, int day, int offset) { return at(month, day, 12 + offset); };
  const struct {
    std::vector<Lines> periods;
    std::vector<std::pair<DateTime, DateTime>> lookups;
  } tables[] = {
      {{{"2024-11-01", "2024-12-31", "-5"},
        {"2025-03-09", "2025-11-02", "-4"},
        {"2024-03-10", "2024-10-31 23:59:59", "-4"}},
       {{at(7, 1, 12), hours(7, 1, -4)},
        {at(11, 5, 12), hours(11, 5, -5)},
        {at(3, 10, 0), DateTime::fromParts(2024, 3, 9, 20)},  // a start, from another period
        {at(2, 1, 12), at(2, 1, 12)},
        {at(7, 2, 12), hours(7, 2, -4)},
        {DateTime::fromParts(2025, 1, 15), DateTime::fromParts(2025, 1, 15)},
        {DateTime::fromParts(2025, 6, 1, 12), DateTime::fromParts(2025, 6, 1, 8)},
        {DateTime::fromParts(2026, 1, 1), DateTime::fromParts(2026, 1, 1)},
        {DateTime::fromParts(2024, 10, 31, 23, 59, 59),
         DateTime::fromParts(2024, 10, 31, 19, 59, 59)}}},
      {{{"2024-06-01", "2024-06-30", "2"}, {"2024-01-01", "2024-12-31", "1"}},
       {{at(7, 1, 12), hours(7, 1, 1)}, {at(6, 15, 12), hours(6, 15, 2)}}},
  };
  for (const auto& t : tables) {
    const UtcOffsetTable periods(utcRows(t.periods));
    for (const auto& [utc, local] : t.lookups) {
      EXPECT_EQ(periods.toLocal(utc).value_or(utc), local);
    }
  }
}

}  // namespace
}  // namespace csv2sql::testing
