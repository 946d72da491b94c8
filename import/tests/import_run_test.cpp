#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/datetime_text.h"
#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

const std::string kPlant1 = csvLines({"Time,Name,Reading", "2024-03-07 14:05:09,FIT101,12.5"});

using Lines = std::vector<std::string>;

// The connection line's string is the driver's to word; these tests check that it is there.
const std::string kConnected = "Connected to Dest: ...";

Lines masked(Lines lines) {
  for (auto& line : lines) {
    if (startsWith(line, "Connected to Dest: Provider=SQLite;")) line = kConnected;
  }
  return lines;
}

TEST_F(ImportRunTest, OneFileWritesEveryStepsLineAndClosesTheLog) {
  writeCsv("plant1.csv", kPlant1);
  form().chkUtcOffset.setValue(1);
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("30");
  form().chkArchive.setValue(1);
  test.clock.set(DateTime::fromParts(2024, 3, 31, 14, 20));

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(
      masked(logTexts()),
      (Lines{"Log file created.", "", "Trans Data Start", kConnected,
             "Times will be adjusted from UTC",
             "Old recs Removed with: DELETE FROM CSVDATA WHERE DateTime < '2024-03-01 "
             "00:00:00'",
             "Destination Table Opened", "Loading file " + sourceFolder.string() + "/plant1.csv",
             "2 rows loaded from file", "1 readings stored, 0 rows skipped",
             "1 readings outside every UTC period stored unconverted",
             "Archiving plant1.csv to " + archiveFolder.string(),
             "Run done: 1 files, 1 readings stored, 0 rows skipped, 0.0 seconds", "",
             "Logging off."}));
  EXPECT_EQ(tableRows(), (std::vector<TableRow>{{"2024-03-07 14:05:09", "FIT101", "12.5"}}));
  EXPECT_EQ(namesIn(archiveFolder), Lines{"plant1__240331_142000.csv"});
  EXPECT_TRUE(form().btnTransferData.enabled());
  EXPECT_TRUE(log.LogFileName().empty());
  EXPECT_EQ(test.eventLoop.yields, 1);
  EXPECT_FALSE(run.inProgress());
  EXPECT_FALSE(destination.runInProgress);
}

TEST_F(ImportRunTest, ConnectionLineReportsTheStringWithoutThePassword) {
  form().txtPassword.setText("hush");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  const auto lines = logTexts();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_TRUE(startsWith(lines[3], "Connected to Dest: Provider=SQLite;Data Source=dest.db;"))
      << lines[3];
  for (const auto& line : lines) EXPECT_EQ(line.find("hush"), std::string::npos) << line;
}

TEST_F(ImportRunTest, EmptyFolderLogsUpToTheTableAndEndsNormally) {
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(
      masked(logTexts()),
      (Lines{"Log file created.", "", "Trans Data Start", kConnected, "Destination Table Opened",
             "Run done: 0 files, 0 readings stored, 0 rows skipped, 0.0 seconds", "",
             "Logging off."}));
  EXPECT_TRUE(form().btnTransferData.enabled());
  EXPECT_EQ(test.eventLoop.yields, 0);
}

TEST_F(ImportRunTest, MissingSourceFolderHoldsNoFiles) {
  form().txtSourceCSV.setText((test.folder.path() / "nowhere").string());
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(logTexts()[4], "Destination Table Opened");
  EXPECT_EQ(logTexts()[6], "");
}

TEST_F(ImportRunTest, FolderTypedWithoutSeparatorAndWithSpacesIsTheSameFolder) {
  writeCsv("plant1.csv", kPlant1);
  form().txtSourceCSV.setText("  " + sourceFolder.string() + "  ");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(logTexts()[5], "Loading file " + sourceFolder.string() + "/plant1.csv");
  EXPECT_EQ(tableRows().size(), 1u);
}

TEST_F(ImportRunTest, ConnectionThatCannotOpenEndsAfterTheStartLine) {
  writeCsv("plant1.csv", kPlant1);
  form().chkArchive.setValue(1);
  form().cboOleProvider.setText("NoSuchProvider");

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  const auto lines = logTexts();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
            (Lines{"Log file created.", "", "Trans Data Start"}));
  EXPECT_TRUE(startsWith(lines[3], "Error ")) << lines[3];
  EXPECT_NE(lines[3].find("NoSuchProvider"), std::string::npos) << lines[3];
  EXPECT_TRUE(inSource("plant1.csv"));
  EXPECT_TRUE(namesIn(archiveFolder).empty());
  EXPECT_FALSE(form().btnTransferData.enabled());
  EXPECT_FALSE(log.LogFileName().empty()) << "the log stays open after an error";
  EXPECT_FALSE(destination.runInProgress);
}

TEST_F(ImportRunTest, TimeOutThatIsNoNumberEndsTheRunBeforeAnyFileWork) {
  writeCsv("plant1.csv", kPlant1);
  form().txtConnectionTimeout.setText("soon");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(logTexts(),
            (Lines{"Log file created.", "", "Trans Data Start", "Error 13 - Type mismatch"}));
  EXPECT_TRUE(tableRows().empty());
}

struct BadLayoutCase {
  std::string name;
  TextBox FrmMain::*box;
};

class BadLayout : public ImportRunTest, public ::testing::WithParamInterface<BadLayoutCase> {};

TEST_P(BadLayout, EndsTheRunAfterTheTableIsOpened) {
  writeCsv("plant1.csv", kPlant1);
  (form().*GetParam().box).setText("two");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  const auto lines = logTexts();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4], "Destination Table Opened");
  EXPECT_EQ(lines[5], "Error 13 - Type mismatch");
  EXPECT_TRUE(inSource("plant1.csv"));
}

INSTANTIATE_TEST_SUITE_P(LayoutBoxes, BadLayout,
                         ::testing::Values(BadLayoutCase{"date_column", &FrmMain::txtColDateTime},
                                           BadLayoutCase{"tag_column", &FrmMain::txtColTag},
                                           BadLayoutCase{"value_column", &FrmMain::txtColValue},
                                           BadLayoutCase{"header_rows", &FrmMain::txtHeaderRows}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ImportRunTest, TableWithoutTagEndsTheRunAtItsFirstRowAndKeepsNothingOfTheFile) {
  database.exec("CREATE TABLE NOTAG (DateTime DATETIME, Value FLOAT)");
  form().txtDestTable.setText(" NOTAG ");
  form().chkArchive.setValue(1);
  writeCsv("plant1.csv", kPlant1);

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  const auto lines = logTexts();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[6], "2 rows loaded from file");
  EXPECT_TRUE(startsWith(lines[7], "Error ")) << lines[7];
  EXPECT_TRUE(database.rows("SELECT * FROM NOTAG").empty());
  EXPECT_TRUE(inSource("plant1.csv"));
  EXPECT_TRUE(namesIn(archiveFolder).empty());
  EXPECT_FALSE(form().btnTransferData.enabled());
}

struct TableNameCase {
  std::string label;
  std::string name;
};

class InvalidTableName : public ImportRunTest,
                         public ::testing::WithParamInterface<TableNameCase> {};

TEST_P(InvalidTableName, EndsTheRunRightAfterConnectingAndSendsNothing) {
  database.exec("INSERT INTO CSVDATA VALUES ('2000-01-01 00:00:00', 'OLD', 1)");
  form().txtDestTable.setText(GetParam().name);
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("0");
  writeCsv("plant1.csv", kPlant1);

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  const auto lines = logTexts();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "Error 5 - The destination table name \"" + GetParam().name +
                          "\" is not a table name: use letters, digits, _, @, #, $, parts "
                          "joined by \".\", a part may be enclosed in [ ] or double quotes");
  EXPECT_EQ(tableRows().size(), 1u) << "the purge must not have run";
  EXPECT_TRUE(inSource("plant1.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, InvalidTableName,
    ::testing::Values(TableNameCase{"second_statement", "CSVDATA; DELETE FROM CSVDATA"},
                      TableNameCase{"comment", "CSVDATA --"},
                      TableNameCase{"condition", "CSVDATA WHERE 1=1"}, TableNameCase{"empty", ""}),
    [](const auto& info) { return info.param.label; });

TEST_F(ImportRunTest, QualifiedAndBracketedTableNamesAreAccepted) {
  writeCsv("plant1.csv", kPlant1);
  form().txtDestTable.setText("main.[CSVDATA]");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 1u);
}

class ArchiveIntoSource : public ImportRunTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(ArchiveIntoSource, EndsTheRunBeforeAnyFileIsTouched) {
  writeCsv("plant1.csv", kPlant1);
  form().chkArchive.setValue(1);
  form().txtArchiveFolder.setText(GetParam() == "same"  ? sourceFolder.string() + "/"
                                  : GetParam() == "dot" ? sourceFolder.string() + "/."
                                                        : " " + sourceFolder.string() + " ");

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  const auto lines = logTexts();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(startsWith(lines[4], "Error 75 - The archive folder ")) << lines[4];
  EXPECT_NE(lines[4].find("is the source folder"), std::string::npos);
  EXPECT_EQ(namesIn(sourceFolder), Lines{"plant1.csv"});
  EXPECT_TRUE(tableRows().empty());
}

INSTANTIATE_TEST_SUITE_P(Spellings, ArchiveIntoSource, ::testing::Values("same", "dot", "spaces"),
                         [](const auto& info) { return info.param; });

TEST_F(ImportRunTest, ArchiveFolderEqualToSourceIsFineWhileArchivingIsOff) {
  writeCsv("plant1.csv", kPlant1);
  form().txtArchiveFolder.setText(sourceFolder.string());
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 1u);
}

// Rows on both sides of every cut-off: the purge deletes those strictly before it.
struct PurgeCase {
  std::string name;
  std::string days;
  std::string logLine;  // "" when there is no purge
  std::size_t rowsLeft;
};

class Purge : public ImportRunTest, public ::testing::WithParamInterface<PurgeCase> {};

TEST_P(Purge, DeletesRowsBeforeTheCutOffOfTheFixedDay) {
  database.exec(
      "INSERT INTO CSVDATA VALUES ('2024-06-02 23:59:59', 'A', 1), ('2024-06-03 00:00:00', 'B', "
      "2), ('2024-06-09 23:59:59.5', 'C', 3), ('2024-06-10 00:00:00', 'D', 4), ('2024-06-10 "
      "23:59:59', 'E', 5), ('2024-06-11 00:00:00', 'F', 6)");
  test.clock.set(DateTime::fromParts(2024, 6, 10, 14, 20, 5));
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText(GetParam().days);

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  const auto lines = logTexts();
  if (GetParam().logLine.empty()) {
    EXPECT_EQ(lines[4], "Destination Table Opened");
  } else {
    EXPECT_EQ(lines[4], "Old recs Removed with: " + GetParam().logLine);
  }
  EXPECT_EQ(tableRows().size(), GetParam().rowsLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Days, Purge,
    ::testing::Values(
        PurgeCase{"seven", "7", "DELETE FROM CSVDATA WHERE DateTime < '2024-06-03 00:00:00'", 5},
        PurgeCase{"zero", "0", "DELETE FROM CSVDATA WHERE DateTime < '2024-06-10 00:00:00'", 3},
        PurgeCase{"minus_one", "-1", "DELETE FROM CSVDATA WHERE DateTime < '2024-06-11 00:00:00'",
                  1},
        PurgeCase{"half_to_even", " 2.5 ",
                  "DELETE FROM CSVDATA WHERE DateTime < '2024-06-08 00:00:00'", 4},
        PurgeCase{"not_numeric", "abc", "", 6}, PurgeCase{"empty", "", "", 6}),
    [](const auto& info) { return info.param.name; });

TEST_F(ImportRunTest, PurgeOnlyInThePlainCheckedState) {
  database.exec("INSERT INTO CSVDATA VALUES ('2000-01-01 00:00:00', 'OLD', 1)");
  form().chkDelOldRecs.setValue(2);
  form().txtDeleteDays.setText("1");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 1u);
}

TEST_F(ImportRunTest, PurgeDaysOutOfRangeIsAnOverflow) {
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("32768");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(logTexts().back(), "Error 6 - Overflow");
}

TEST_F(ImportRunTest, ScheduledRunTellsTheScheduleAndKeepsTheLogOpen) {
  schedule.automaticRunsOn = true;
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  form().cboOleProvider.setText("NoSuchProvider");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  EXPECT_EQ(schedule.ends,
            (std::vector<std::pair<bool, RunEnd>>{{true, RunEnd::Normal}, {true, RunEnd::Failed}}));
  EXPECT_FALSE(log.LogFileName().empty());
  EXPECT_FALSE(form().btnTransferData.enabled());
}

TEST_F(ImportRunTest, ButtonRunsOnOneDayEachOpenAndCloseTheirOwnLog) {
  test.clock.set(DateTime::fromParts(2024, 3, 7, 9, 0));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  test.clock.set(DateTime::fromParts(2024, 3, 7, 9, 30));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(namesIn(log.logFolder()),
            (Lines{"R27731_____03_07_2024__09_00.log", "R27731_____03_07_2024__09_30.log"}));
  for (const auto& name : namesIn(log.logFolder())) {
    const auto lines = readLines(log.logFolder() / name);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[2].find(" : Trans Data Start"), std::string::npos);
    EXPECT_NE(lines.back().find(" : Logging off."), std::string::npos);
  }
}

TEST_F(ImportRunTest, ScheduledRunsOfOneDayShareALogAndANewDayOpensANewOne) {
  schedule.automaticRunsOn = true;
  test.clock.set(DateTime::fromParts(2024, 3, 7, 9, 0));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  test.clock.set(DateTime::fromParts(2024, 3, 7, 23, 59));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  test.clock.set(DateTime::fromParts(2024, 3, 8, 0, 4));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(namesIn(log.logFolder()),
            (Lines{"R27731_____03_07_2024__09_00.log", "R27731_____03_08_2024__00_04.log"}));
  std::vector<std::string> first;
  for (const auto& line : readLines(log.logFolder() / "R27731_____03_07_2024__09_00.log")) {
    first.push_back(line.substr(line.find(" : ") + 3));
  }
  EXPECT_EQ(std::count(first.begin(), first.end(), "Trans Data Start"), 1);
  EXPECT_EQ(std::count(first.begin(), first.end(), "Woke up, checking for files"), 1);
  EXPECT_EQ(first.back(), "Logging off.");
  const auto second = readLines(log.logFolder() / "R27731_____03_08_2024__00_04.log");
  ASSERT_GE(second.size(), 3u);
  EXPECT_NE(second[2].find(" : Trans Data Start"), std::string::npos);
  EXPECT_EQ(run.LogOpenedAt, DateTime::fromParts(2024, 3, 8, 0, 4));
  EXPECT_FALSE(log.LogFileName().empty());
}

TEST_F(ImportRunTest, LogLeftOpenByAFailedRunIsUsedOnTheSameDayOfTheNextMonth) {
  form().cboOleProvider.setText("NoSuchProvider");
  test.clock.set(DateTime::fromParts(2024, 3, 5, 9, 0));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  const std::string openLog = log.LogFileName();

  form().cboOleProvider.setText("SQLite");
  test.clock.set(DateTime::fromParts(2024, 4, 5, 9, 0));
  const std::size_t before = logTexts().size();
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(logTextsFrom(before)[0], "Woke up, checking for files");
  EXPECT_EQ(run.LogOpenedAt, DateTime::fromParts(2024, 3, 5, 9, 0));
  EXPECT_EQ(namesIn(log.logFolder()), Lines{openLog});
  EXPECT_TRUE(form().btnTransferData.enabled()) << "a normal end enables the button again";
}

// Every edit a window allows during a yield, each its own case: none reaches the run under way.
struct EditCase {
  const char* name;
  std::function<void(const std::filesystem::path& programFolder, FrmMain&)> edit;
};

class EditDuringTheYield : public ImportRunTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditDuringTheYield, ChangesNothingInTheRunUnderWay) {
  const std::filesystem::path other = test.folder.path() / "other";
  std::filesystem::create_directories(other);
  writeFile(other / "b.csv", csvLines({"h", "2024-03-07 16:00:00,OTHER,9"}));
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,2"}));
  form().chkArchive.setValue(1);
  form().chkUtcOffset.setValue(1);
  setUtcTable({{"2024-01-01", "2024-12-31", "1"}});
  test.eventLoop.onYield = [&] { GetParam().edit(test.folder.path(), form()); };

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(tableRows(), (std::vector<TableRow>{{"2024-03-07 15:00:00", "A", "1.0"},
                                                {"2024-03-07 16:00:00", "B", "2.0"}}));
  EXPECT_EQ(namesIn(sourceFolder), Lines{});
  EXPECT_EQ(namesIn(archiveFolder).size(), 2u);
  EXPECT_EQ(namesIn(other), Lines{"b.csv"});
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EditDuringTheYield,
    ::testing::Values(EditCase{"source_folder",
                               [](const std::filesystem::path& folder, FrmMain& form) {
                                 form.txtSourceCSV.setText((folder / "other").string());
                               }},
                      EditCase{"archive_folder",
                               [](const std::filesystem::path& folder, FrmMain& form) {
                                 form.txtArchiveFolder.setText((folder / "other").string());
                               }},
                      EditCase{"archive_off", [](const std::filesystem::path&,
                                                 FrmMain& form) { form.chkArchive.setValue(0); }},
                      EditCase{"table", [](const std::filesystem::path&,
                                           FrmMain& form) { form.txtDestTable.setText("NONE"); }},
                      EditCase{"layout",
                               [](const std::filesystem::path&, FrmMain& form) {
                                 form.txtColDateTime.setText("3");
                                 form.txtColValue.setText("1");
                                 form.txtHeaderRows.setText("2");
                               }},
                      EditCase{"utc_table", [](const std::filesystem::path&,
                                               FrmMain& form) { form.spUTC.setCell(1, 3, "5"); }},
                      EditCase{"utc_off", [](const std::filesystem::path&,
                                             FrmMain& form) { form.chkUtcOffset.setValue(0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportRunTest, RunStartedDuringAYieldIsIgnored) {
  writeCsv("a.csv", kPlant1);
  writeCsv("b.csv", kPlant1);
  std::vector<RunEnd> nested;
  test.eventLoop.onYield = [&] {
    EXPECT_TRUE(run.inProgress());
    EXPECT_TRUE(destination.runInProgress);
    const std::size_t before = logTexts().size();
    nested.push_back(run.btnTransferData_Click());
    EXPECT_EQ(logTexts().size(), before) << "the nested call must do nothing";
  };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(nested, (std::vector<RunEnd>{RunEnd::Normal, RunEnd::Normal}));
  EXPECT_EQ(tableRows().size(), 2u);
}

TEST_F(ImportRunTest, TestButtonDuringAYieldLeavesTheRunsConnectionAlone) {
  writeCsv("a.csv", kPlant1);
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,2"}));
  test.eventLoop.onYield = [&] { destination.btnConnectDest_Click(); };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 2u);
  EXPECT_EQ(test.messageBox.shown.size(), 2u) << "the operator is told, twice";
}

TEST_F(ImportRunTest, StopRequestEndsTheRunNormallyAfterTheCurrentFile) {
  writeCsv("a.csv", kPlant1);
  writeCsv("b.csv", kPlant1);
  test.eventLoop.onYield = [&] { run.requestStop(); };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 1u);
  EXPECT_EQ(test.eventLoop.yields, 1);
  EXPECT_TRUE(inSource("b.csv"));
  EXPECT_EQ(logTexts().back(), "Logging off.");
  EXPECT_TRUE(form().btnTransferData.enabled());
}

}  // namespace
}  // namespace csv2sql::testing
