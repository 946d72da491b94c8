#include "log/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/date_locale.h"
#include "core/error.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::readLines;
using testing::writeFile;

// "hh:mm:ss AMPM : " with the designators of the locale the tests run in.
std::string stamp(const std::string& time, bool afternoon = false) {
  const DateLocale& locale = DateLocale::system();
  return time + " " + (afternoon ? locale.pm : locale.am) + " : ";
}

class RunLogTest : public ::testing::Test {
 protected:
  RunLogTest() { ts.session.hasWindow = true; }

  fs::path file() const { return log.logFolder() / log.LogFileName(); }
  const std::vector<std::string>& listed() const { return ts.session.frmMain.lstLog.items(); }

  testing::TestSession ts;
  RunLog log{ts.session};
};

TEST_F(RunLogTest, FileIsNamedAfterPrefixAndMinuteInLogFolderBesideProgram) {
  log.OpenLogFile("R27731");
  EXPECT_EQ(log.LogFileName(), "R27731_____12_05_2026__08_15.log");
  EXPECT_EQ(log.logFolder(), ts.folder.path() / "log");
  EXPECT_TRUE(fs::is_regular_file(ts.folder.path() / "log" / "R27731_____12_05_2026__08_15.log"));
}

TEST_F(RunLogTest, FreshLogBeginsWithCreatedLineAndEmptyLineAlreadyOnDisk) {
  log.OpenLogFile("R27731");
  // Read while the log is still open: nothing is held back.
  EXPECT_EQ(readFile(file()),
            stamp("08:15:41") + "Log file created.\r\n" + stamp("08:15:41") + "\r\n");
}

TEST_F(RunLogTest, EachLineIsOnDiskWhenWriteLogReturns) {
  log.OpenLogFile("R27731");
  ts.clock.advanceSeconds(3);
  log.WriteLog("Trans Data Start");
  EXPECT_EQ(readLines(file()).back(), stamp("08:15:44") + "Trans Data Start");
  ts.clock.advanceSeconds(1);
  log.WriteLog("Processing file a.csv");
  EXPECT_EQ(readLines(file()).back(), stamp("08:15:45") + "Processing file a.csv");
}

TEST_F(RunLogTest, ClosedLogEndsWithEmptyLineAndLoggingOff) {
  log.OpenLogFile("R27731");
  const fs::path path = file();
  ts.clock.advanceSeconds(79);
  log.CloseLogFile();

  EXPECT_EQ(log.LogFileName(), "");
  const std::string text = readFile(path);
  const std::string ending = stamp("08:17:00") + "\r\n" + stamp("08:17:00") + "Logging off.\r\n";
  ASSERT_GE(text.size(), ending.size());
  EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
  EXPECT_EQ(readLines(path).size(), 4u);
}

TEST_F(RunLogTest, TextWithLineBreakLeavesSecondLineWithoutTimeStamp) {
  log.OpenLogFile("R27731");
  log.WriteLog("Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch");
  const auto lines = readLines(file());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], stamp("08:15:41") + "Error in Procedure btnConnectDest_Click");
  EXPECT_EQ(lines[3], "Error 13 - Type mismatch");
}

TEST_F(RunLogTest, EightBitTextIsWrittenAsGiven) {
  log.OpenLogFile("R27731");
  const std::string text =
      "Tag K\xF6rner \xB0"
      "C caf\xE9";
  log.WriteLog(text);
  EXPECT_EQ(readLines(file()).back(), stamp("08:15:41") + text);
  EXPECT_EQ(listed().back(), stamp("08:15:41") + text);
}

TEST_F(RunLogTest, WindowListGetsEveryLineOfTheFileInOrder) {
  log.OpenLogFile("R27731");
  const fs::path path = file();
  log.WriteLog("one");
  log.WriteLog("two");
  log.CloseLogFile();
  EXPECT_EQ(listed(), readLines(path));
  EXPECT_EQ(ts.errors.str(), "");
}

TEST_F(RunLogTest, ServiceModeLeavesListEmptyWhileFileGetsEveryLine) {
  ts.session.ServiceMode = true;
  ts.session.hasWindow = false;
  log.OpenLogFile("R27731");
  const fs::path path = file();
  log.WriteLog("Trans Data Start");
  log.CloseLogFile();

  EXPECT_TRUE(listed().empty());
  EXPECT_EQ(readLines(path),
            (std::vector<std::string>{stamp("08:15:41") + "Log file created.", stamp("08:15:41"),
                                      stamp("08:15:41") + "Trans Data Start", stamp("08:15:41"),
                                      stamp("08:15:41") + "Logging off."}));
  EXPECT_EQ(ts.errors.str(), "");
}

TEST_F(RunLogTest, ReopenWithinTheMinuteAppendsToTheEarlierRun) {
  log.OpenLogFile("R27731");
  log.WriteLog("first run");
  log.CloseLogFile();
  ts.clock.advanceSeconds(10);
  log.OpenLogFile("R27731");
  log.WriteLog("second run");
  log.CloseLogFile();

  const auto lines = readLines(ts.folder.path() / "log" / "R27731_____12_05_2026__08_15.log");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], stamp("08:15:41") + "Log file created.");
  EXPECT_EQ(lines[2], stamp("08:15:41") + "first run");
  EXPECT_EQ(lines[5], stamp("08:15:51") + "Log file created.");
  EXPECT_EQ(lines[7], stamp("08:15:51") + "second run");
  EXPECT_EQ(lines[9], stamp("08:15:51") + "Logging off.");
}

TEST_F(RunLogTest, OpeningAgainWithoutCloseMovesToTheNewFile) {
  log.OpenLogFile("R27731");
  const fs::path first = file();
  ts.clock.advanceSeconds(300);
  log.OpenLogFile("R27731");
  log.WriteLog("later");

  EXPECT_EQ(log.LogFileName(), "R27731_____12_05_2026__08_20.log");
  EXPECT_EQ(readLines(first).size(), 2u);
  EXPECT_EQ(readLines(file()).back(), stamp("08:20:41") + "later");
}

TEST_F(RunLogTest, MissingLogFolderIsCreatedLevelByLevel) {
  ts.session.programFolder = ts.folder.path() / "plant" / "bin";
  log.OpenLogFile("R27731");
  EXPECT_TRUE(fs::is_regular_file(ts.folder.path() / "plant" / "bin" / "log" /
                                  "R27731_____12_05_2026__08_15.log"));
  EXPECT_TRUE(ts.messageBox.shown.empty());
}

TEST_F(RunLogTest, PlainFileNamedLogMakesOpenFailToCallerWithNameSet) {
  writeFile(ts.folder.path() / "log", "not a folder");
  try {
    log.OpenLogFile("R27731");
    FAIL() << "opening under a file named log succeeded";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), err::PathNotFound);
    EXPECT_EQ(error.description(), "Path not found");
  }
  EXPECT_EQ(log.LogFileName(), "R27731_____12_05_2026__08_15.log");
  EXPECT_EQ(readFile(ts.folder.path() / "log"), "not a folder");
  EXPECT_TRUE(ts.messageBox.shown.empty());

  // The log counts as open without a file: the next line still reaches the window.
  log.WriteLog("after the failure");
  EXPECT_EQ(listed(), std::vector<std::string>{stamp("08:15:41") + "after the failure"});
}

TEST_F(RunLogTest, WriteAfterCloseTouchesNoFile) {
  log.OpenLogFile("R27731");
  const fs::path path = file();
  log.CloseLogFile();
  const std::string closed = readFile(path);
  log.WriteLog("late line");
  EXPECT_EQ(readFile(path), closed);
  EXPECT_EQ(listed().back(), stamp("08:15:41") + "late line");
}

// A line that reaches no file still leaves a trace: in the window when there is one, and on
// the error stream when nobody reads a window.
struct NoFileCase {
  const char* name;
  bool serviceMode;
  bool hasWindow;
  bool listed;
  bool onErrorStream;
};

class WriteLogWithoutFile : public ::testing::TestWithParam<NoFileCase> {};

TEST_P(WriteLogWithoutFile, LineGoesWhereSomeoneCanSeeIt) {
  const NoFileCase& c = GetParam();
  testing::TestSession ts;
  ts.session.ServiceMode = c.serviceMode;
  ts.session.hasWindow = c.hasWindow;
  RunLog log(ts.session);

  EXPECT_NO_THROW(log.WriteLog("no log open"));

  const std::string line = stamp("08:15:41") + "no log open";
  EXPECT_EQ(ts.session.frmMain.lstLog.items(),
            c.listed ? std::vector<std::string>{line} : std::vector<std::string>{});
  EXPECT_EQ(ts.errors.str(), c.onErrorStream ? line + "\n" : "");
  EXPECT_FALSE(fs::exists(log.logFolder()));
}

INSTANTIATE_TEST_SUITE_P(Starts, WriteLogWithoutFile,
                         ::testing::Values(NoFileCase{"window", false, true, true, false},
                                           NoFileCase{"no_window", false, false, true, true},
                                           NoFileCase{"service", true, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteLogFailure, LineThatTheDiskRefusesReachesListAndErrorStream) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs a device that refuses every write";
  testing::TestSession ts;
  RunLog log(ts.session);
  fs::create_directory(log.logFolder());
  fs::create_symlink("/dev/full", log.logFolder() / "R27731_____12_05_2026__08_15.log");

  EXPECT_NO_THROW(log.OpenLogFile("R27731"));
  log.WriteLog("reading skipped");

  const std::string line = stamp("08:15:41") + "reading skipped";
  EXPECT_EQ(ts.session.frmMain.lstLog.items().back(), line);
  EXPECT_EQ(ts.errors.str(),
            stamp("08:15:41") + "Log file created.\n" + stamp("08:15:41") + "\n" + line + "\n");
}

struct ClockCase {
  const char* name;
  int hour, minute, second;
  const char* time;
  bool afternoon;
};

class TimeStamp : public ::testing::TestWithParam<ClockCase> {};

TEST_P(TimeStamp, UsesTheTwelveHourClockWithDesignator) {
  const ClockCase& c = GetParam();
  testing::TestSession ts;
  ts.clock.set(DateTime::fromParts(2026, 12, 5, c.hour, c.minute, c.second));
  RunLog log(ts.session);
  log.WriteLog("x");
  EXPECT_EQ(ts.session.frmMain.lstLog.items().back(), stamp(c.time, c.afternoon) + "x");
}

INSTANTIATE_TEST_SUITE_P(Hours, TimeStamp,
                         ::testing::Values(ClockCase{"midnight", 0, 0, 0, "12:00:00", false},
                                           ClockCase{"noon", 12, 0, 0, "12:00:00", true},
                                           ClockCase{"morning", 9, 7, 3, "09:07:03", false},
                                           ClockCase{"afternoon", 13, 5, 9, "01:05:09", true},
                                           ClockCase{"last_second", 23, 59, 59, "11:59:59", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql
