#include <gtest/gtest.h>
#include <algorithm>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<TableRow>;

// The lines a run writes from its "Loading file" line up to its end.
class CsvRowsTest : public ImportRunTest {
 protected:
  Lines fileLines() const {
    Lines lines = logTexts();
    const auto loading = std::find_if(lines.begin(), lines.end(),
                                      [](const auto& line) { return startsWith(line, "Loading"); });
    return Lines(loading, lines.end());
  }
  std::string loading(const std::string& name) const {
    return "Loading file " + sourceFolder.string() + "/" + name;
  }
};

TEST_F(CsvRowsTest, ExampleLinesGiveThreeRowsAndFourSkipLines) {
  writeCsv("plant1.csv", exampleFile());

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:05:09", "FIT101", "12.5"},
                               {"2024-03-07 14:06:00", "LT7", "0.25"},
                               {"2024-03-07 14:07:00", "", "7.0"}}));
  EXPECT_EQ(
      fileLines(),
      (Lines{loading("plant1.csv"), "8 rows loaded from file",
             "Row 5 invalid date (bad) record skipped", "Row 6 invalid value (n/a) record skipped",
             "Row 7 invalid value () record skipped", "Row 8 invalid date ( otal) record skipped",
             "3 readings stored, 4 rows skipped",
             "Run done: 1 files, 3 readings stored, 4 rows skipped, 0.0 seconds", "",
             "Logging off."}));
}

struct RowsCase {
  std::string name;
  std::string headerRows;
  Lines fileLines;  // the file
  Lines logLines;   // after "Loading file"
  std::size_t rowsAdded;
};

class RowSelection : public CsvRowsTest, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(RowSelection, ExaminesTheRowsAfterTheHeader) {
  form().txtHeaderRows.setText(GetParam().headerRows);
  writeCsv("f.csv", csvLines(GetParam().fileLines));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  Lines expected{loading("f.csv")};
  expected.insert(expected.end(), GetParam().logLines.begin(), GetParam().logLines.end());
  const auto skipped = std::count_if(expected.begin(), expected.end(), [](const std::string& line) {
    return line.ends_with("record skipped");
  });
  const std::string counts = std::to_string(GetParam().rowsAdded) + " readings stored, " +
                             std::to_string(skipped) + " rows skipped";
  expected.insert(expected.end(),
                  {counts, "Run done: 1 files, " + counts + ", 0.0 seconds", "", "Logging off."});
  EXPECT_EQ(fileLines(), expected);
  EXPECT_EQ(tableRows().size(), GetParam().rowsAdded);
}

const Lines kThreeLines = {"Time,Name,Reading", "2024-03-07 14:05:09,A,1",
                           "2024-03-07 14:05:10,B,2"};

INSTANTIATE_TEST_SUITE_P(
    Edges, RowSelection,
    ::testing::Values(
        RowsCase{"header_zero",
                 "0",
                 kThreeLines,
                 {"3 rows loaded from file", "Row 1 invalid date ( ime) record skipped"},
                 2},
        RowsCase{"header_negative_counts_as_zero",
                 "-4",
                 kThreeLines,
                 {"3 rows loaded from file", "Row 1 invalid date ( ime) record skipped"},
                 2},
        RowsCase{"header_larger_than_file", "5", kThreeLines, {"3 rows loaded from file"}, 0},
        RowsCase{"header_rounds_half_to_even", "2.5", kThreeLines, {"3 rows loaded from file"}, 1},
        RowsCase{
            "only_the_header_line", "1", {"Time,Name,Reading"}, {"1 rows loaded from file"}, 0},
        RowsCase{"empty_file", "1", {}, {"0 rows loaded from file"}, 0},
        RowsCase{"empty_line_between_rows",
                 "1",
                 {"h", "2024-03-07 14:05:09,A,1", "", "2024-03-07 14:05:10,B,2", "", ""},
                 {"4 rows loaded from file", "Row 3 invalid date () record skipped"},
                 2},
        RowsCase{
            "lower_case_t_and_z_are_kept",
            "1",
            {"h", "2024-03-07t14:05:09z,A,1"},
            {"2 rows loaded from file", "Row 2 invalid date (2024-03-07t14:05:09z) record skipped"},
            0},
        RowsCase{"value_that_overflows_a_double",
                 "1",
                 {"h", "2024-03-07 14:05:09,A,1e400"},
                 {"2 rows loaded from file", "Row 2 invalid value (1e400) record skipped"},
                 0},
        RowsCase{
            "date_without_time", "1", {"h", "2024-03-07,A,1"}, {"2 rows loaded from file"}, 1}),
    [](const auto& info) { return info.param.name; });

TEST_F(CsvRowsTest, ColumnsInAnotherOrder) {
  form().txtColDateTime.setText("3");
  form().txtColTag.setText("1");
  form().txtColValue.setText("4");
  writeCsv("f.csv", csvLines({"Tag,Quality,Stamp,Reading", "PT9,Good,2024-11-03 05:59:59,101.3"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-11-03 05:59:59", "PT9", "101.3"}}));
}

TEST_F(CsvRowsTest, ColumnZeroReadsAsAnEmptyCell) {
  form().txtColValue.setText("0");
  writeCsv("f.csv", csvLines({"h", "2024-03-07 14:05:09,A,1"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(fileLines()[2], "Row 2 invalid value () record skipped");
  EXPECT_TRUE(tableRows().empty());
}

TEST_F(CsvRowsTest, SpacesAroundAValueAndATag) {
  writeCsv("f.csv", csvLines({"h", "2024-03-07 14:05:09, 12.5 , 12.5 "}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:05:09", "12.5", "12.5"}}));
}

TEST_F(CsvRowsTest, FractionsOfASecondAreKept) {
  writeCsv("f.csv",
           csvLines({"h", "2024-03-07T14:05:09.250Z,A,1", "2024-03-07 14:05:09.000001,B,2"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:05:09.25", "A", "1.0"},
                               {"2024-03-07 14:05:09.000001", "B", "2.0"}}));
}

TEST_F(CsvRowsTest, TagInWindows1252IsStoredAsUtf8) {
  writeCsv("f.csv", csvLines({"h",
                              "2024-03-07 14:05:09,TT1 \xB0"
                              "C,21.5",
                              "2024-03-07 14:05:10,TT2 \xC2\xB0"
                              "C,21.6"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:05:09",
                                "TT1 \xC2\xB0"
                                "C",
                                "21.5"},
                               {"2024-03-07 14:05:10",
                                "TT2 \xC2\xB0"
                                "C",
                                "21.6"}}));
}

TEST_F(CsvRowsTest, TwoFilesInOneRunDoNotLeakIntoEachOther) {
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1", "2024-03-07 14:01:00,A,2",
                              "2024-03-07 14:02:00,A,3"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(fileLines(),
            (Lines{loading("a.csv"), "4 rows loaded from file", "3 readings stored, 0 rows skipped",
                   loading("b.csv"), "2 rows loaded from file", "1 readings stored, 0 rows skipped",
                   "Run done: 2 files, 4 readings stored, 0 rows skipped, 0.0 seconds", "",
                   "Logging off."}));
  EXPECT_EQ(tableRows().size(), 4u);
  EXPECT_EQ(test.eventLoop.yields, 2);
}

TEST_F(CsvRowsTest, FileThatVanishedBeforeItsTurnLoadsNoRows) {
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1", "2024-03-07 14:01:00,A,2"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  test.eventLoop.onYield = [&] { std::filesystem::remove(sourceFolder / "b.csv"); };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(fileLines()[4], "0 rows loaded from file");
  EXPECT_EQ(tableRows().size(), 2u);
}

TEST_F(CsvRowsTest, FileThatVanishedFailsAtArchivingAfterTheFilesBeforeIt) {
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  test.eventLoop.onYield = [&] { std::filesystem::remove(sourceFolder / "b.csv"); };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  const Lines lines = fileLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[5], "0 rows loaded from file");
  EXPECT_EQ(lines[7], "Archiving b.csv to " + archiveFolder.string());
  EXPECT_EQ(lines[8], "Error 53 - File not found: " + sourceFolder.string() + "/b.csv");
  EXPECT_EQ(tableRows().size(), 1u);
  EXPECT_EQ(namesIn(archiveFolder).size(), 1u);
}

TEST_F(CsvRowsTest, FileThatCannotBeReadStopsTheRunAndIsNotArchived) {
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  // Something that is there under the name but is no readable file.
  test.eventLoop.onYield = [&] {
    std::filesystem::remove(sourceFolder / "b.csv");
    std::filesystem::create_directory(sourceFolder / "b.csv");
  };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  const Lines lines = fileLines();
  EXPECT_EQ(lines.back(),
            "Error 75 - Path/File access error: cannot read " + (sourceFolder / "b.csv").string());
  EXPECT_TRUE(std::filesystem::exists(sourceFolder / "b.csv"));
  EXPECT_EQ(namesIn(archiveFolder).size(), 1u);
  EXPECT_EQ(tableRows().size(), 1u);
}

TEST_F(CsvRowsTest, FileWrittenToDuringTheRunIsRolledBackAndLeftForTheNextRun) {
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  // A logger appends to b.csv after the run has listed it.
  test.eventLoop.onYield = [&] {
    writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,4", "2024-03-07 15:01:00,B,5"}));
    test.eventLoop.onYield = nullptr;
  };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  const Lines lines = fileLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "File b.csv changed while it was being read: its rows are rolled back and "
                      "it stays for the next run"),
            lines.end());
  EXPECT_EQ(tableRows().size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(sourceFolder / "b.csv"));

  // The next run imports the whole file once.
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(sourceFolder / "b.csv"));
  EXPECT_EQ(namesIn(archiveFolder).size(), 2u);
}

// A CHECK constraint stands for any row the database refuses (a value out of range, a lost
// connection): the whole file is rolled back, the files before it stay committed.
TEST_F(CsvRowsTest, RefusedRowRollsBackItsFileAndAReRunImportsEachReadingOnce) {
  database.exec("DROP TABLE CSVDATA");
  database.exec(
      "CREATE TABLE CSVDATA (DateTime DATETIME, Tag VARCHAR(50), Value FLOAT CHECK (Value >= 0))");
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  const Lines bLines = {"h", "2024-03-07 15:00:00,B,1", "2024-03-07 15:01:00,B,-2",
                        "2024-03-07 15:02:00,B,3"};
  writeCsv("b.csv", csvLines(bLines));

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_TRUE(startsWith(logTexts().back(), "Error ")) << logTexts().back();
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:00:00", "A", "1.0"}}));
  EXPECT_EQ(namesIn(sourceFolder), Lines{"b.csv"});
  EXPECT_FALSE(form().btnTransferData.enabled());

  Lines fixed = bLines;
  fixed[2] = "2024-03-07 15:01:00,B,2";
  writeCsv("b.csv", csvLines(fixed));
  test.clock.advanceSeconds(60);
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:00:00", "A", "1.0"},
                               {"2024-03-07 15:00:00", "B", "1.0"},
                               {"2024-03-07 15:01:00", "B", "2.0"},
                               {"2024-03-07 15:02:00", "B", "3.0"}}));
  EXPECT_TRUE(namesIn(sourceFolder).empty());
  EXPECT_TRUE(form().btnTransferData.enabled());
}

TEST_F(CsvRowsTest, ExtensionInAnyCaseIsImportedAndHiddenOrOtherEntriesAreNot) {
  writeCsv("DATA.CSV", csvLines({"h", "2024-03-07 14:00:00,UPPER,1"}));
  writeCsv("Mixed.Csv", csvLines({"h", "2024-03-07 14:00:00,MIXED,1"}));
  writeCsv(".hidden.csv", csvLines({"h", "2024-03-07 14:00:00,HIDDEN,1"}));
  writeCsv("notes.txt", csvLines({"h", "2024-03-07 14:00:00,TEXT,1"}));
  writeCsv("data.csv.bak", csvLines({"h", "2024-03-07 14:00:00,BACKUP,1"}));
  std::filesystem::create_directory(sourceFolder / "folder.csv");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows(), (Rows{{"2024-03-07 14:00:00", "UPPER", "1.0"},
                               {"2024-03-07 14:00:00", "MIXED", "1.0"}}));
}

}  // namespace
}  // namespace csv2sql::testing
