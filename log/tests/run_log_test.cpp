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
using Lines = std::vector<std::string>;

// "hh:mm:ss AMPM : " with the designators of the locale the tests run in.
std::string stamp(const std::string& time, bool afternoon = false) {
  return time + " " + (afternoon ? DateLocale::system().pm : DateLocale::system().am) + " : ";
}

const std::string kName = "R27731_____12_05_2026__08_15.log";

class RunLogTest : public ::testing::Test {
 protected:
  RunLogTest() { ts.session.hasWindow = true; }
  fs::path file() const { return log.logFolder() / log.LogFileName(); }
  const Lines& listed() const { return ts.session.frmMain.lstLog.items(); }

  testing::TestSession ts;
  RunLog log{ts.session};
};

TEST_F(RunLogTest, WritesEachTimeStampedLineToDiskAndWindowAtOnce) {
  log.OpenLogFile("R27731");
  EXPECT_EQ(file(), ts.folder.path() / "log" / kName);
  ts.clock.advanceSeconds(3);
  log.WriteLog("Trans Data Start");
  // Read while the log is still open: nothing is held back.
  EXPECT_EQ(readFile(file()), stamp("08:15:41") + "Log file created.\r\n" + stamp("08:15:41") +
                                  "\r\n" + stamp("08:15:44") + "Trans Data Start\r\n");
  ts.clock.set(DateTime::fromParts(2026, 12, 5, 13, 5, 9));
  log.WriteLog("Error in Procedure X\r\nError 13 - Type mismatch");
  log.WriteLog(
      "Tag K\xF6rner \xB0"
      "C");  // eight-bit text as given
  log.CloseLogFile();
  EXPECT_EQ(log.LogFileName(), "");
  const Lines lines = readLines(ts.folder.path() / "log" / kName);
  EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
            (Lines{stamp("01:05:09", true) + "Error in Procedure X", "Error 13 - Type mismatch",
                   stamp("01:05:09", true) + "Tag K\xF6rner \xB0"
                                             "C",
                   stamp("01:05:09", true), stamp("01:05:09", true) + "Logging off."}));
  // The window shows each text as one line, the line break inside it included.
  EXPECT_EQ(listed().size(), lines.size() - 1);
  EXPECT_EQ(listed()[3],
            stamp("01:05:09", true) + "Error in Procedure X\r\nError 13 - Type mismatch");
  EXPECT_EQ(ts.errors.str(), "");
}

TEST_F(RunLogTest, ServiceModeLeavesTheWindowListEmpty) {
  ts.session.ServiceMode = true;
  log.OpenLogFile("R27731");
  log.WriteLog("Trans Data Start");
  EXPECT_TRUE(listed().empty());
  EXPECT_EQ(readLines(file()).back(), stamp("08:15:41") + "Trans Data Start");
  EXPECT_EQ(ts.errors.str(), "");
}

TEST_F(RunLogTest, ReopenWithinTheMinuteAppendsAndALaterOpenMovesToTheNewFile) {
  log.OpenLogFile("R27731");
  log.CloseLogFile();
  ts.clock.advanceSeconds(10);
  log.OpenLogFile("R27731");
  EXPECT_EQ(readLines(file()).size(), 6u);
  EXPECT_EQ(readLines(file())[4], stamp("08:15:51") + "Log file created.");
  ts.clock.advanceSeconds(300);
  log.OpenLogFile("R27731");  // without a close
  log.WriteLog("later");
  EXPECT_EQ(log.LogFileName(), "R27731_____12_05_2026__08_20.log");
  EXPECT_EQ(readLines(ts.folder.path() / "log" / kName).size(), 6u);
  EXPECT_EQ(readLines(file()).back(), stamp("08:20:51") + "later");
}

TEST_F(RunLogTest, MissingLogFolderIsCreatedLevelByLevel) {
  ts.session.programFolder = ts.folder.path() / "plant" / "bin";
  log.OpenLogFile("R27731");
  EXPECT_TRUE(fs::is_regular_file(ts.folder.path() / "plant" / "bin" / "log" / kName));
  EXPECT_TRUE(ts.messageBox.shown.empty());
}

TEST_F(RunLogTest, PlainFileNamedLogFailsTheOpenToTheCallerWithTheNameSet) {
  testing::writeFile(ts.folder.path() / "log", "not a folder");
  try {
    log.OpenLogFile("R27731");
    FAIL() << "opening under a file named log succeeded";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), err::PathNotFound);
  }
  EXPECT_EQ(log.LogFileName(), kName);
  EXPECT_EQ(readFile(ts.folder.path() / "log"), "not a folder");
  EXPECT_TRUE(ts.messageBox.shown.empty());
  log.WriteLog("after the failure");  // still reaches the window
  EXPECT_EQ(listed(), Lines{stamp("08:15:41") + "after the failure"});
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
TEST(RunLog, LineWithoutFileGoesWhereSomeoneCanSeeIt) {
  const struct {
    const char* name;
    bool serviceMode, hasWindow, listed, onErrorStream;
  } cases[] = {
      {"window", false, true, true, false},
      {"no_window", false, false, true, true},
      {"service", true, false, false, true},
  };
  for (const auto& c : cases) {
    testing::TestSession ts;
    ts.session.ServiceMode = c.serviceMode;
    ts.session.hasWindow = c.hasWindow;
    RunLog log(ts.session);
    log.WriteLog("no log open");
    const std::string line = stamp("08:15:41") + "no log open";
    EXPECT_EQ(ts.session.frmMain.lstLog.items(), c.listed ? Lines{line} : Lines{}) << c.name;
    EXPECT_EQ(ts.errors.str(), c.onErrorStream ? line + "\n" : "") << c.name;
  }
}

TEST(RunLog, LineThatTheDiskRefusesReachesListAndErrorStream) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs a device that refuses every write";
  testing::TestSession ts;
  RunLog log(ts.session);
  fs::create_directory(log.logFolder());
  fs::create_symlink("/dev/full", log.logFolder() / kName);
  EXPECT_NO_THROW(log.OpenLogFile("R27731"));
  log.WriteLog("reading skipped");
  const std::string line = stamp("08:15:41") + "reading skipped";
  EXPECT_EQ(ts.session.frmMain.lstLog.items().back(), line);
  EXPECT_EQ(ts.errors.str(),
            stamp("08:15:41") + "Log file created.\n" + stamp("08:15:41") + "\n" + line + "\n");
}

}  // namespace
}  // namespace csv2sql
