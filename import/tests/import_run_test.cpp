#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

const std::string kPlant1 = csvLines({"Time,Name,Reading", "2024-03-07 14:05:09,FIT101,12.5"});
const std::string kBadName =
    "\" is not a table name: use letters, digits, _, @, #, $, parts joined by \".\", a part may "
    "be enclosed in [ ] or double quotes";

// A log line as a case expects it: exact, or only its beginning when it ends in "*".
bool lineMatches(const std::string& line, const std::string& expected) {
  if (!expected.empty() && expected.back() == '*') {
    return startsWith(line, expected.substr(0, expected.size() - 1));
  }
  return line == expected;
}

// One run from a fresh program folder with plant1.csv in the source folder and an old row in
// CSVDATA (a table NOTAG without Tag beside it): what it logs after the connection line, how it
// ends, what stays where.
struct RunCase {
  const char* name;
  std::string fields;  // for setFields
  RunEnd end;
  Lines lines;       // after "Connected to Dest: ...", closing lines left out; "*": a beginning
  std::size_t rows;  // in CSVDATA afterwards, the old one included
};

constexpr auto kFailed = RunEnd::Failed;
constexpr auto kNormal = RunEnd::Normal;

class Run : public ImportRunTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(Run, LogsItsStepsAndEndsAsExpected) {
  const RunCase& c = GetParam();
  exec("INSERT INTO CSVDATA VALUES ('2024-06-02 23:59:59', 'OLD', 1)");
  exec("CREATE TABLE NOTAG (DateTime DATETIME, Value FLOAT)");
  writeCsv("plant1.csv", kPlant1);
  test.clock.set(DateTime::fromParts(2024, 6, 10, 14, 20, 5));
  setFields(settings, c.fields, test.folder.path());

  EXPECT_EQ(runImport(), c.end);

  Lines texts = logTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(Lines(texts.begin(), texts.begin() + 3),
            (Lines{"Log file created.", "", "Trans Data Start"}));
  Lines after(texts.begin() + (startsWith(texts[3], "Connected to Dest: ") ? 4 : 3), texts.end());
  if (c.end == RunEnd::Normal) {
    ASSERT_GE(after.size(), 3u);
    EXPECT_TRUE(startsWith(after[after.size() - 3], "Run done: ")) << after[after.size() - 3];
    EXPECT_EQ(Lines(after.end() - 2, after.end()), (Lines{"", "Logging off."}));
    after.resize(after.size() - 3);
  }
  ASSERT_EQ(after.size(), c.lines.size()) << ::testing::PrintToString(after);
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_TRUE(lineMatches(after[i], c.lines[i])) << after[i] << " vs " << c.lines[i];
  }
  EXPECT_EQ(tableRows().size(), c.rows);
  EXPECT_EQ(inSource("plant1.csv"), c.end == kFailed || !settings.archive);
  EXPECT_EQ(view.loadData, c.end == RunEnd::Normal);
  EXPECT_FALSE(view.settingsLockedNow);
  EXPECT_EQ(log.LogFileName().empty(), c.end == RunEnd::Normal) << "a failed run keeps its log";
  EXPECT_FALSE(run.inProgress());
  EXPECT_FALSE(destination.runInProgress);
}

std::string purgeLine(const std::string& cutoff) {
  return "Old recs Removed with: DELETE FROM CSVDATA WHERE DateTime < '" + cutoff + " 00:00:00'";
}
const Lines kOneFile = {"Destination Table Opened", "Loading file *", "2 rows loaded from file",
                        "1 readings stored, 0 rows skipped"};
Lines purged(const std::string& cutoff) {
  Lines lines{purgeLine(cutoff)};
  lines.insert(lines.end(), kOneFile.begin(), kOneFile.end());
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Run,
    ::testing::Values(
        RunCase{
            "every_step",
            "UTCOFFSET=YES|DELOLDRECS=YES|DELRECDAYS=7|ARCHIVEFILES=YES",
            kNormal,
            {"Times will be adjusted from UTC", purgeLine("2024-06-03"), "Destination Table Opened",
             "Loading file *", "2 rows loaded from file", "1 readings stored, 0 rows skipped",
             "1 readings outside every UTC period stored unconverted", "Archiving plant1.csv to *"},
            1},
        RunCase{"connection_cannot_open",
                "CNN_PROVIDER=NoSuch",
                kFailed,
                {"Error 3706 - Provider cannot be found.*"},
                1},
        RunCase{"time_out_no_number",
                "CNN_CONNECTION_TIMEOUT=soon",
                kFailed,
                {"Error 13 - Type mismatch"},
                1},
        RunCase{"layout_no_number",
                "COLDATETIME=two",
                kFailed,
                {"Destination Table Opened", "Error 13 - Type mismatch"},
                1},
        RunCase{"table_without_tag",
                "DESTTABLE= NOTAG |ARCHIVEFILES=YES",
                kFailed,
                {"Destination Table Opened", "Loading file *", "2 rows loaded from file",
                 "Error 3265 - *"},
                1},
        RunCase{"second_statement_in_table_name",
                "DESTTABLE=CSVDATA; DELETE FROM CSVDATA|DELOLDRECS=YES|DELRECDAYS=0",
                kFailed,
                {"Error 5 - The destination table name \"CSVDATA; DELETE FROM CSVDATA" + kBadName},
                1},
        RunCase{"qualified_and_bracketed_table_name", "DESTTABLE=main.[CSVDATA]", kNormal, kOneFile,
                2},
        RunCase{"archive_folder_is_the_source_folder",
                "ARCHIVEFILES=YES|ARCHIVEFOLDER= $/in/. ",
                kFailed,
                {"Error 75 - The archive folder *"},
                1},
        RunCase{"error_folder_is_the_source_folder",
                "ERRORFOLDER= $/in ",
                kFailed,
                {"Error 75 - The error folder *"},
                1},
        RunCase{"same_folders_while_archiving_is_off", "ARCHIVEFOLDER=$/in", kNormal, kOneFile, 2},
        RunCase{"purge_zero_days", "DELOLDRECS=YES|DELRECDAYS=0", kNormal, purged("2024-06-10"), 1},
        RunCase{"purge_days_not_numeric", "DELOLDRECS=YES|DELRECDAYS=abc", kNormal, kOneFile, 2},
        RunCase{"purge_days_overflow",
                "DELOLDRECS=YES|DELRECDAYS=32768",
                kFailed,
                {"Error 6 - Overflow"},
                1}),
    [](const auto& info) { return std::string(info.param.name); });

// Every edit a window allows during a yield, each its own case: none reaches the run under way.
class EditDuringTheYield : public ImportRunTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(EditDuringTheYield, ChangesNothingInTheRunUnderWay) {
  const std::filesystem::path other = test.folder.path() / "other";
  std::filesystem::create_directories(other);
  writeFile(other / "b.csv", csvLines({"h", "2024-03-07 16:00:00,OTHER,9"}));
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,2"}));
  settings.archive = true;
  settings.utcOffset = true;
  settings.utc = utcRows({{"2024-01-01", "2024-12-31", "1"}});
  test.eventLoop.onYield = [&] {
    setFields(settings, GetParam(), test.folder.path());
    settings.utc.at(0).offset = "5";
  };

  EXPECT_EQ(runImport(), RunEnd::Normal);

  EXPECT_EQ(tableRows(), (Lines{"2024-03-07 15:00:00|A|1.0", "2024-03-07 16:00:00|B|2.0"}));
  EXPECT_EQ(namesIn(sourceFolder), Lines{});
  EXPECT_EQ(namesIn(archiveFolder).size(), 2u);
  EXPECT_EQ(namesIn(other), Lines{"b.csv"});
}

INSTANTIATE_TEST_SUITE_P(Settings, EditDuringTheYield,
                         ::testing::Values("CSVFOLDER=$/other", "ARCHIVEFOLDER=$/other",
                                           "ARCHIVEFILES=NO", "DESTTABLE=NONE",
                                           "COLDATETIME=3|HEADERROWS=2", "UTCOFFSET=NO"));

// The first lines of each log file, as "name: line, line, ...".
TEST_F(ImportRunTest, LogFilesFollowTheDayOfTheMonthAndTheSchedule) {
  const auto runAt = [&](int month, int day, int hour, int minute, bool scheduled) {
    schedule.automaticRunsOn = scheduled;
    test.clock.set(DateTime::fromParts(2024, month, day, hour, minute));
    return runImport();
  };
  runAt(3, 7, 9, 0, false);
  runAt(3, 7, 9, 30, false);
  runAt(3, 8, 9, 0, true);
  runAt(3, 8, 23, 59, true);
  runAt(3, 9, 0, 4, true);
  settings.provider = "NoSuchProvider";
  runAt(4, 9, 0, 5, true);  // fails: the log stays open
  settings.provider = "SQLite";
  EXPECT_EQ(runAt(5, 9, 9, 0, false), RunEnd::Normal);  // same day of another month

  EXPECT_EQ(namesIn(log.logFolder()),
            (Lines{"R27731_____03_07_2024__09_00.log", "R27731_____03_07_2024__09_30.log",
                   "R27731_____03_08_2024__09_00.log", "R27731_____03_09_2024__00_04.log"}));
  const auto texts = [&](const std::string& name) {
    Lines lines;
    for (const auto& line : readLines(log.logFolder() / name)) {
      if (const auto at = line.find(" : "); at != std::string::npos)
        lines.push_back(line.substr(at + 3));
    }
    return lines;
  };
  const Lines shared = texts("R27731_____03_08_2024__09_00.log");
  EXPECT_EQ(std::ranges::count(shared, "Trans Data Start"), 1);
  EXPECT_EQ(std::ranges::count(shared, "Woke up, checking for files"), 1);
  EXPECT_EQ(shared.back(), "Logging off.") << "a new day closes the old log";
  const Lines last = texts("R27731_____03_09_2024__00_04.log");
  EXPECT_EQ(std::ranges::count(last, "Woke up, checking for files"), 2);
  EXPECT_EQ(last.back(), "Logging off.");
  EXPECT_EQ(run.LogOpenedAt, DateTime::fromParts(2024, 3, 9, 0, 4));
}

TEST_F(ImportRunTest, DuringAYieldANestedRunDoesNothingAndTestLeavesTheConnectionAlone) {
  writeCsv("a.csv", kPlant1);
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,2"}));
  test.eventLoop.onYield = [&] {
    const std::size_t before = logTexts().size();
    EXPECT_EQ(runImport(), RunEnd::Normal);
    EXPECT_EQ(logTexts().size(), before) << "the nested call must do nothing";
    destination.btnConnectDest_Click(settings);
  };
  EXPECT_EQ(runImport(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 2u);
  EXPECT_EQ(test.messageBox.shown.size(), 2u) << "the operator is told, twice";
}

}  // namespace
}  // namespace csv2sql::testing
