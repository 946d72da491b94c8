#include <csignal>
#include <string>

#include "app/entry.h"
#include "app/headless_host.h"
#include "app/schedule_seam.h"
#include "app/tests/app_fixture.h"

namespace csv2sql::testing {
namespace {

// The service start on the headless host, with a clock that runs 6000 times as fast from the
// test clock's time and a tick every millisecond: one scheduled minute passes in 10 ms.
class HeadlessServiceTest : public ::testing::Test {
 protected:
  HeadlessServiceTest() {
    std::filesystem::create_directories(source);
    std::filesystem::create_directories(archive);
    createDestination(database);
    session.clock = &fastClock;
  }
  void writeConfig(const std::string& dataSource) {
    writeFile(test.folder.path() / "config.ini",
              "CSVFOLDER=" + source.string() + "\r\nCNN_PROVIDER=SQLite\r\n" +
                  "CNN_DATASOURCE=" + dataSource + "\r\nAUTORUNEVERY=1\r\n" +
                  "ARCHIVEFILES=YES\r\nARCHIVEFOLDER=" + archive.string() + "\r\n");
  }
  // Every line of every run log, in the order of the files' names.
  std::string allLogText() const {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(test.folder.path() / "log")) {
      text += readFile(entry.path());
    }
    return text;
  }

  TestSession test;
  Session& session = test.session;
  FastClock fastClock{test.clock, 6000};
  const std::filesystem::path source = test.folder.path() / "in";
  const std::filesystem::path archive = test.folder.path() / "archive";
  const std::filesystem::path database = test.folder.path() / "dest.db";
  HeadlessHost host{1};
};

TEST_F(HeadlessServiceTest, EndsWithStatusOneWhenAFailedRunLeavesAutomaticRunsOff) {
  writeConfig("missing/dest.db");
  dropReadings(source, "a.csv", 2);
  EXPECT_EQ(runProgram(session, "NTSERVICE", host), 1);
  EXPECT_NE(allLogText().find(" : Error "), std::string::npos);
  EXPECT_NE(test.errors.str().find("automatic runs are off"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(source / "a.csv"));
}

TEST_F(HeadlessServiceTest, StopSignalDuringARunFinishesTheCurrentFileAndEndsWithStatusZero) {
  writeConfig("dest.db");
  dropReadings(source, "a.csv", 2);
  dropReadings(source, "b.csv", 3);
  // The signal arrives as the first scheduled run switches the timer off at its start.
  Timer& timer = session.frmMain.Timer1;
  bool wasEnabled = false;
  bool raised = false;
  timer.changed().connect([&] {
    if (wasEnabled && !timer.enabled() && !raised) {
      raised = true;
      std::raise(SIGTERM);
    }
    wasEnabled = timer.enabled();
  });
  EXPECT_EQ(runProgram(session, "NTSERVICE", host), 0);
  EXPECT_TRUE(raised);
  // One file was imported whole; the other waits for the next start.
  const bool aLeft = std::filesystem::exists(source / "a.csv");
  const bool bLeft = std::filesystem::exists(source / "b.csv");
  EXPECT_NE(aLeft, bLeft);
  EXPECT_EQ(countRows(database), aLeft ? 3 : 2);
  EXPECT_EQ(allLogText().find(" : Error "), std::string::npos);
}

TEST_F(HeadlessServiceTest, StopSignalDuringTheOneRunFinishesTheCurrentFile) {
  writeConfig("dest.db");
  dropReadings(source, "a.csv", 2);
  dropReadings(source, "b.csv", 3);
  // The signal arrives as the run disables "Load Data" at its start.
  bool raised = false;
  session.frmMain.btnTransferData.changed().connect([&] {
    if (!raised) {
      raised = true;
      std::raise(SIGINT);
    }
  });
  EXPECT_EQ(runProgram(session, "1", host), 0);
  EXPECT_TRUE(raised);
  const bool aLeft = std::filesystem::exists(source / "a.csv");
  const bool bLeft = std::filesystem::exists(source / "b.csv");
  EXPECT_NE(aLeft, bLeft);
  EXPECT_EQ(countRows(database), aLeft ? 3 : 2);
}

TEST_F(HeadlessServiceTest, OneRunsAndEndsWithoutTheLoop) {
  writeConfig("dest.db");
  dropReadings(source, "a.csv", 2);
  EXPECT_EQ(runProgram(session, "1", host), 0);
  EXPECT_EQ(countRows(database), 2);
}

TEST(HeadlessHost, MessageBoxWritesThePromptAndAnswersTheDefaultButtonAtOnce) {
  TestSession test;
  HeadlessHost host;
  host.installPorts(test.session);
  MessageBoxRequest request;
  request.prompt = "Replace the file?";
  request.buttons = mb::YesNo | mb::DefaultButton2;
  request.title = "Archive";
  EXPECT_EQ(test.session.messageBox->show(request), answer::No);
  EXPECT_NE(test.errors.str().find("Archive: Replace the file?"), std::string::npos);
  EXPECT_NE(test.errors.str().find("NO"), std::string::npos);

  request.title.reset();
  request.buttons = mb::OkOnly;
  EXPECT_EQ(test.session.messageBox->show(request), answer::Ok);
  EXPECT_NE(test.errors.str().find(std::string(kProgramTitle) + ": Replace the file?"),
            std::string::npos);
}

TEST(HeadlessHost, InstallsItsOwnPortsAndNoWindow) {
  TestSession test;
  HeadlessHost host;
  host.installPorts(test.session);
  EXPECT_NE(test.session.messageBox, &test.messageBox);
  EXPECT_NE(test.session.eventLoop, &test.eventLoop);
  EXPECT_NE(test.session.urlOpener, &test.urlOpener);
  EXPECT_FALSE(test.session.hasWindow);
  test.session.urlOpener->open("file:///opt/csv2sql/user-guide.html");
  EXPECT_NE(test.errors.str().find("file:///opt/csv2sql/user-guide.html"), std::string::npos);
}

void testHandler(int) {}

TEST(HeadlessHost, PutsBackTheSignalHandlersItReplaced) {
  const auto originalTerm = std::signal(SIGTERM, testHandler);
  const auto originalInt = std::signal(SIGINT, testHandler);
  {
    TestSession test;
    HeadlessHost host;
    host.installPorts(test.session);
    const auto during = std::signal(SIGTERM, SIG_IGN);
    EXPECT_NE(during, testHandler);
    std::signal(SIGTERM, during);
  }
  EXPECT_EQ(std::signal(SIGTERM, originalTerm), testHandler);
  EXPECT_EQ(std::signal(SIGINT, originalInt), testHandler);
}

}  // namespace
}  // namespace csv2sql::testing
