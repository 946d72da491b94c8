// The program's handlers: the automatic runs and the window's own behaviour.
#include <limits>

#include "app/file_url.h"
#include "app/tests/app_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

class SchedulerTest : public ProgramTest {
 protected:
  void startAt(DateTime now, const std::string& minutes) {
    test.clock.set(now);
    form.txtAutoRun.setText(minutes);
    form.btnStartAutoRun.click();
  }
  void tickAt(DateTime now) {
    test.clock.set(now);
    form.Timer1.tick();
  }
  std::string caption() { return form.lblNextRun.caption(); }
  Scheduler::State state() { return program.scheduler().state(); }
};

TEST_F(SchedulerTest, StartOutOfTheRangeOfDatesIsReportedAndLeavesThemOff) {
  startAt(at(10, 0, 0), "1e10");
  ASSERT_EQ(test.messageBox.shown.size(), 1u);
  EXPECT_EQ(test.messageBox.shown[0].prompt,
            "Error in Procedure btnStartAutoRun_Click\r\nError 6 - Overflow");
  EXPECT_FALSE(form.Timer1.enabled());
  EXPECT_TRUE(form.btnStartAutoRun.enabled());
  EXPECT_EQ(caption(), "Next Run:");
  EXPECT_EQ(state(), Scheduler::State::Off);
}

TEST_F(SchedulerTest, DueTickRunsAndCountsTheNextRunFromTheRunsEnd) {
  drop("a.csv");
  startAt(at(10, 0, 0), "2.5");
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 2, 30)));
  EXPECT_FALSE(form.btnStartAutoRun.enabled());
  form.txtAutoRun.setText("10");  // for the next run time after the run
  // The held time decides, not the caption: a caption in the past starts nothing.
  form.lblNextRun.setCaption("3/2/2026 9:00:00 AM");
  tickAt(at(10, 2, 30));  // equal to the next run time: not due
  EXPECT_EQ(rows(), 0);
  test.eventLoop.onYield = [&] {
    form.btnStopAutorun.click();  // finds the timer off: the run's end switches it on again
    test.clock.set(at(10, 7, 30));
  };
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_TRUE(form.Timer1.enabled());
  EXPECT_TRUE(form.btnStartAutoRun.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 17, 30)));
  EXPECT_EQ(state(), Scheduler::State::Waiting);
}

TEST_F(SchedulerTest, DueTimeIsComparedToTheSecondTheCaptionShows) {
  startAt(at(10, 0, 0).addMicroseconds(400000), "5");
  drop("a.csv");
  tickAt(at(10, 5, 0).addMicroseconds(400000));
  tickAt(at(10, 5, 0).addMicroseconds(999999));
  EXPECT_EQ(rows(), 0) << "10:05:00 to the second is not after the next run time";
  tickAt(at(10, 5, 1));
  EXPECT_EQ(rows(), 2);
}

struct StallCase {
  const char* name;
  const char* dataSource;
  const char* minutesDuringWait;  // the next run time after the run comes from these
  const char* error;              // in the run log
  long long rows;
};

class Stall : public SchedulerTest, public ::testing::WithParamInterface<StallCase> {};

TEST_P(Stall, LeavesAutomaticRunsOffWithTheLastNextRunTime) {
  const StallCase& c = GetParam();
  form.txtDataSource.setText(c.dataSource);
  startAt(at(10, 0, 0), "5");
  form.txtAutoRun.setText(c.minutesDuringWait);
  drop("a.csv");
  tickAt(at(10, 6, 0));
  EXPECT_NE(logText().find(c.error), std::string::npos) << logText();
  EXPECT_EQ(rows(), c.rows);
  EXPECT_FALSE(form.Timer1.enabled());
  EXPECT_FALSE(form.btnStartAutoRun.enabled());
  EXPECT_EQ(form.btnTransferData.enabled(), c.rows > 0);  // a run that fails keeps it off
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  EXPECT_EQ(state(), Scheduler::State::Stalled);
}

INSTANTIATE_TEST_SUITE_P(Ends, Stall,
                         ::testing::Values(StallCase{"failed_run", "missing/dest.db", "5",
                                                     " : Error ", 0},
                                           StallCase{"next_time_out_of_range", "dest.db", "1e13",
                                                     " : Error 6 - Overflow", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SchedulerTest, NeitherATickNorAClickStartsARunInsideARun) {
  drop("a.csv");
  form.txtAutoRun.setText("0");
  test.eventLoop.onYield = [this] {
    // "Start Autorun" during a manual run switches the timer on at once: its ticks wait too.
    form.btnStartAutoRun.click();
    tickAt(at(10, 5, 0));
    form.btnTransferData.click();
  };
  test.clock.set(at(10, 0, 0));
  form.btnTransferData.click();
  EXPECT_EQ(test.eventLoop.yields, 1);
  EXPECT_EQ(rows(), 2);
  // One run's log: the manual run began with the timer off, so it closed it at its end.
  EXPECT_EQ(logText().find("Woke up"), std::string::npos) << logText();
  EXPECT_TRUE(program.runLog().LogFileName().empty());
  // The schedule goes on from the click.
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 0, 0)));
  EXPECT_TRUE(form.Timer1.enabled());
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ResizeCase {
  const char* name;
  WindowMetrics metrics;
  int width;  // of lstLog afterwards
  int height;
};

class Resize : public ProgramTest, public ::testing::WithParamInterface<ResizeCase> {};

// From a window with borders of 60 twips and a title bar of 345, where the list is 14010 x 2385.
TEST_P(Resize, ListReachesTheClientAreasBottomAndStops120TwipsShortOfItsRightEdge) {
  program.Form_Resize({14250, 8670, 14130, 8265});
  program.Form_Resize(GetParam().metrics);
  const Geometry list = form.lstLog.geometry();
  EXPECT_EQ(list.width, GetParam().width);
  EXPECT_EQ(list.height, GetParam().height);
}

// A step that fails leaves what it would set as it was.
INSTANTIATE_TEST_SUITE_P(
    Metrics, Resize,
    ::testing::Values(ResizeCase{"odd_frame_halved_down", {10121, 8670, 10000, 8265}, 9881, 2385},
                      ResizeCase{"shorter_than_top", {14250, 5820, 14130, 5415}, 14010, 2385},
                      ResizeCase{"narrower_than_the_borders", {200, 7670, 80, 7265}, 14010, 1385},
                      ResizeCase{"out_of_range", {1e12, 1e12, 0, 0}, 14010, 2385},
                      ResizeCase{"not_a_number", {14250, kNaN, 14130, 8265}, 14010, 2385}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, DaysBoxIsEnabledOnlyWhileItsBoxIsCheckedAndKeepsItsText) {
  form.txtDeleteDays.setText("30");
  for (const int value : {1, 0, 1, 2}) {  // 2: grayed counts as not checked
    form.chkDelOldRecs.setValue(value);
    EXPECT_EQ(form.txtDeleteDays.enabled(), value == 1) << value;
  }
  EXPECT_EQ(form.txtDeleteDays.text(), "30");
}

TEST_F(ProgramTest, HelpOpensTheUserGuideBesideTheProgram) {
  form.btnHelp.click();
  EXPECT_EQ(test.urlOpener.opened,
            std::vector<std::string>{fileUrl(test.folder.path() / "user-guide.html")});
}

TEST(FileUrl, EncodesWhatAnAddressCannotHoldAndMakesRelativePathsAbsolute) {
#ifdef _WIN32
  const std::u8string root = u8"C:";
  const std::string url = "file:///C:";
#else
  const std::u8string root;
  const std::string url = "file://";
#endif
  const auto at = [&root](std::u8string_view rest) {
    return std::filesystem::path(root + std::u8string(rest));
  };
  EXPECT_EQ(fileUrl(at(u8"/a-b_c.d~e/f.html")), url + "/a-b_c.d~e/f.html");
  EXPECT_EQ(fileUrl(at(u8"/x/#1 100%/M\u00FChle.html")), url + "/x/%231%20100%25/M%C3%BChle.html");
  EXPECT_EQ(fileUrl("a.html"), fileUrl(std::filesystem::current_path() / "a.html"));
}

}  // namespace
}  // namespace csv2sql::testing
