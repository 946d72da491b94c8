#include <optional>

#include "app/tests/app_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

class SchedulerTest : public ProgramTest {
 protected:
  void startAt(DateTime now, const std::string& minutes) {
    test.clock.set(now);
    form().txtAutoRun.setText(minutes);
    form().btnStartAutoRun.click();
  }
  void tickAt(DateTime now) {
    test.clock.set(now);
    form().Timer1.tick();
  }
  std::string caption() { return form().lblNextRun.caption(); }
  Scheduler::State state() { return program.scheduler().state(); }
};

struct StartCase {
  const char* name;
  const char* minutes;
  std::optional<DateTime> next;  // none: out of the range of dates
};

class StartAutoRun : public SchedulerTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartAutoRun, SetsTheNextRunTimeAndRunsNothingOrReportsATimeOutOfRange) {
  drop("a.csv");
  startAt(at(10, 0, 0), GetParam().minutes);
  const std::optional<DateTime> next = GetParam().next;
  EXPECT_EQ(form().Timer1.enabled(), next.has_value());
  EXPECT_EQ(form().btnStartAutoRun.enabled(), !next);
  EXPECT_EQ(rows(), 0);
  EXPECT_TRUE(form().lstLog.items().empty());
  EXPECT_EQ(caption(), next ? formatGeneralDate(*next) : "Next Run:");
  EXPECT_EQ(state(), next ? Scheduler::State::Waiting : Scheduler::State::Off);
  if (!next) {
    ASSERT_EQ(test.messageBox.shown.size(), 1u);
    EXPECT_EQ(test.messageBox.shown[0].prompt,
              "Error in Procedure btnStartAutoRun_Click\r\nError 6 - Overflow");
  }
}

INSTANTIATE_TEST_SUITE_P(Minutes, StartAutoRun,
                         ::testing::Values(StartCase{"empty", "", at(10, 0, 0)},
                                           StartCase{"fraction", "2.5", at(10, 2, 30)},
                                           StartCase{"out_of_range", "1e10", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SchedulerTest, DueTickRunsWithTheTimerOffAndCountsTheNextRunFromTheRunsEnd) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  form().txtAutoRun.setText("10");  // for the next run time after the run
  // The held time decides, not the caption: a caption in the past starts nothing.
  form().lblNextRun.setCaption("3/2/2026 9:00:00 AM");
  tickAt(at(10, 5, 0));  // equal to the next run time: not due
  EXPECT_EQ(rows(), 0);
  bool timerDuringRun = true;
  test.eventLoop.onYield = [&] {
    timerDuringRun = form().Timer1.enabled();
    form().btnStopAutorun.click();  // finds the timer off: the run's end switches it on again
    test.clock.set(at(10, 7, 30));
  };
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_FALSE(timerDuringRun);
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_TRUE(form().btnStartAutoRun.enabled());
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

TEST_P(Stall, LeavesAutomaticRunsOffUntilStopAndStart) {
  const StallCase& c = GetParam();
  form().txtDataSource.setText(c.dataSource);
  startAt(at(10, 0, 0), "5");
  form().txtAutoRun.setText(c.minutesDuringWait);
  drop("a.csv");
  tickAt(at(10, 6, 0));
  EXPECT_NE(logText().find(c.error), std::string::npos) << logText();
  EXPECT_EQ(rows(), c.rows);
  EXPECT_FALSE(form().Timer1.enabled());
  EXPECT_FALSE(form().btnStartAutoRun.enabled());
  EXPECT_EQ(form().btnTransferData.enabled(), c.rows > 0);  // a failed import keeps it off
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  EXPECT_EQ(state(), Scheduler::State::Stalled);

  form().btnStopAutorun.click();  // keeps the caption
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  form().txtDataSource.setText("dest.db");
  startAt(at(10, 10, 0), "5");
  drop("b.csv");
  tickAt(at(10, 16, 0));
  EXPECT_EQ(rows(), 4);
  EXPECT_TRUE(form().btnTransferData.enabled());
}

INSTANTIATE_TEST_SUITE_P(Ends, Stall,
                         ::testing::Values(StallCase{"failed_run", "missing/dest.db", "5",
                                                     " : Error ", 0},
                                           StallCase{"next_time_out_of_range", "dest.db", "1e13",
                                                     " : Error 6 - Overflow", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SchedulerTest, NeitherATickNorAClickStartsARunInsideARun) {
  drop("a.csv");
  form().txtAutoRun.setText("0");
  test.eventLoop.onYield = [this] {
    // "Start Autorun" during a manual run switches the timer on at once; its ticks and the
    // "Load Data" button must wait for this run's end.
    form().btnStartAutoRun.click();
    tickAt(at(10, 5, 0));
    form().btnTransferData.click();
  };
  test.clock.set(at(10, 0, 0));
  form().btnTransferData.click();
  EXPECT_EQ(test.eventLoop.yields, 1);
  EXPECT_EQ(rows(), 2);
  // One run's log: the manual run began with the timer off, so it closed it at its end.
  EXPECT_EQ(logText().find("Woke up"), std::string::npos) << logText();
  EXPECT_TRUE(program.runLog().LogFileName().empty());
  // The schedule goes on from the click.
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 0, 0)));
  EXPECT_TRUE(form().Timer1.enabled());
}

}  // namespace
}  // namespace csv2sql::testing
