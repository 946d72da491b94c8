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
class HeadlessServiceTest : public AppTest {
 protected:
  HeadlessServiceTest() {
    session.clock = &fastClock;
    writeConfig("AUTORUNEVERY=1\r\n");
  }

  FastClock fastClock{test.clock, 6000};
  HeadlessHost host{1};
};

TEST_F(HeadlessServiceTest, EndsWithStatusOneWhenAFailedRunLeavesAutomaticRunsOff) {
  writeConfig("AUTORUNEVERY=1\r\nCNN_DATASOURCE=missing/dest.db\r\n");
  drop("a.csv");
  EXPECT_EQ(runProgram(session, "NTSERVICE", host), 1);
  EXPECT_NE(logText().find(" : Error "), std::string::npos);
  EXPECT_NE(test.errors.str().find("automatic runs are off"), std::string::npos);
  EXPECT_TRUE(inSource("a.csv"));
}

TEST_F(HeadlessServiceTest, StopSignalDuringARunFinishesTheCurrentFileAndEndsWithStatusZero) {
  drop("a.csv", 2);
  drop("b.csv", 3);
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
  EXPECT_NE(inSource("a.csv"), inSource("b.csv"));
  EXPECT_EQ(rows(), inSource("a.csv") ? 3 : 2);
  EXPECT_EQ(logText().find(" : Error "), std::string::npos);
}

TEST(HeadlessHost, WritesBoxesAndAddressesToStandardErrorAndAnswersTheDefaultButton) {
  TestSession test;
  HeadlessHost host;
  host.installPorts(test.session);
  EXPECT_EQ(test.session.messageBox->show({"Replace?", mb::YesNo | mb::DefaultButton2, "Archive"}),
            answer::No);
  EXPECT_EQ(test.session.messageBox->show({"Stop?", mb::OkOnly, std::nullopt}), answer::Ok);
  test.session.urlOpener->open("file:///opt/user-guide.html");
  const std::string text = test.errors.str();
  for (const std::string& part : std::vector<std::string>{"Archive: Replace?", "button NO is taken",
                                                          std::string(kProgramTitle) + ": Stop?",
                                                          "file:///opt/user-guide.html"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  }
}

}  // namespace
}  // namespace csv2sql::testing
