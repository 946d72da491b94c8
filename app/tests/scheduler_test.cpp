#include <algorithm>
#include <string>

#include "app/tests/app_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

class SchedulerTest : public ProgramTest {
 protected:
  // Starts automatic runs at the given time with the given minutes text.
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
  long long countLog(const std::string& text) {
    const auto texts = logTexts(session);
    return std::count(texts.begin(), texts.end(), text);
  }
};

TEST_F(SchedulerTest, StartShowsTheNextRunTimeInTheGeneralFormatAndRunsNothing) {
  drop("a.csv");
  startAt(at(10, 0, 0), "5");
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_EQ(form().Timer1.interval(), 60000);
  EXPECT_FALSE(form().btnStartAutoRun.enabled());
  EXPECT_TRUE(form().btnStopAutorun.enabled());
  EXPECT_EQ(rows(), 0);
  EXPECT_TRUE(form().lstLog.items().empty());
}

TEST_F(SchedulerTest, TickAtTheNextRunTimeToTheSecondDoesNotRunTheNextTickDoes) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  tickAt(at(10, 5, 0));
  EXPECT_EQ(rows(), 0);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 11, 0)));
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_FALSE(form().btnStartAutoRun.enabled());
}

TEST_F(SchedulerTest, NextRunCountsFromTheEndOfTheRun) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  test.eventLoop.onYield = [this] { test.clock.set(at(10, 7, 30)); };
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 12, 30)));
}

TEST_F(SchedulerTest, MinutesChangedWhileWaitingCountFromTheEndOfTheNextRun) {
  startAt(at(10, 0, 0), "5");
  form().txtAutoRun.setText("10");
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  tickAt(at(10, 6, 0));
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 16, 0)));
}

struct MinutesCase {
  const char* name;
  const char* text;
  int seconds;  // from the start to the next run time
};

class MinutesText : public SchedulerTest, public ::testing::WithParamInterface<MinutesCase> {};

TEST_P(MinutesText, SetsTheNextRunTime) {
  startAt(at(10, 0, 0), GetParam().text);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 0, 0).addMicroseconds(
                           static_cast<std::int64_t>(GetParam().seconds) * 1000000)));
  EXPECT_TRUE(form().Timer1.enabled());
}

INSTANTIATE_TEST_SUITE_P(Edges, MinutesText,
                         ::testing::Values(MinutesCase{"zero", "0", 0}, MinutesCase{"empty", "", 0},
                                           MinutesCase{"letters", "abc", 0},
                                           MinutesCase{"exact_fraction", "2.5", 150},
                                           MinutesCase{"number_then_word", "5 minutes", 300},
                                           MinutesCase{"blanks_inside", " 1 0", 600},
                                           MinutesCase{"negative", "-1", -60}),
                         [](const auto& info) { return std::string(info.param.name); });

class NoMinutes : public SchedulerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoMinutes, RunsAtEveryTickAMinuteAfterThePreviousRunEnded) {
  startAt(at(10, 0, 0), GetParam());
  drop("a.csv");
  tickAt(at(10, 0, 0));  // equal to the next run time: not due
  EXPECT_EQ(rows(), 0);
  tickAt(at(10, 1, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 1, 0)));
  drop("b.csv", 3);
  tickAt(at(10, 2, 0));
  EXPECT_EQ(rows(), 5);
  EXPECT_EQ(countLog("Trans Data Start"), 1);
  EXPECT_EQ(countLog("Woke up, checking for files"), 1);
}

INSTANTIATE_TEST_SUITE_P(Edges, NoMinutes, ::testing::Values("0", "", "abc"), [](const auto& info) {
  const std::string text = info.param;
  return text.empty() ? std::string("empty") : "text_" + text;
});

TEST_F(SchedulerTest, MinutesOutsideTheRangeOfDatesAreReportedAndLeaveAutomaticRunsOff) {
  for (const char* minutes : {"1e10", "-1e10", "1e999"}) {
    SCOPED_TRACE(minutes);
    test.messageBox.shown.clear();
    startAt(at(10, 0, 0), minutes);
    ASSERT_EQ(test.messageBox.shown.size(), 1u);
    EXPECT_EQ(test.messageBox.shown[0].prompt,
              "Error in Procedure btnStartAutoRun_Click\r\nError 6 - Overflow");
    EXPECT_FALSE(form().Timer1.enabled());
    EXPECT_TRUE(form().btnStartAutoRun.enabled());
    EXPECT_EQ(caption(), "Next Run:");
  }
}

TEST_F(SchedulerTest, StopWhileOffChangesNothing) {
  form().btnStopAutorun.click();
  EXPECT_TRUE(form().btnStartAutoRun.enabled());
  EXPECT_FALSE(form().Timer1.enabled());
  EXPECT_EQ(caption(), "Next Run:");
}

TEST_F(SchedulerTest, StopWhileWaitingKeepsTheLastNextRunTime) {
  startAt(at(10, 0, 0), "5");
  form().btnStopAutorun.click();
  EXPECT_TRUE(form().btnStartAutoRun.enabled());
  EXPECT_FALSE(form().Timer1.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
}

TEST_F(SchedulerTest, StopDuringAScheduledRunDoesNotStopTheSchedule) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  test.eventLoop.onYield = [this] { form().btnStopAutorun.click(); };
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
  // The run switched the timer off at its start, so the stop found it off; the run's end
  // switched it on again.
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_TRUE(form().btnStartAutoRun.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 11, 0)));
}

TEST_F(SchedulerTest, DueTimeIsComparedToTheSecondTheCaptionShows) {
  const auto withMicros = [](DateTime time, int micros) { return time.addMicroseconds(micros); };
  startAt(withMicros(at(10, 0, 0), 400000), "5");
  drop("a.csv");
  tickAt(withMicros(at(10, 5, 0), 400000));
  tickAt(withMicros(at(10, 5, 0), 999999));
  EXPECT_EQ(rows(), 0) << "10:05:00 to the second is not after the next run time";
  tickAt(at(10, 5, 1));
  EXPECT_EQ(rows(), 2);
}

TEST_F(SchedulerTest, CaptionIsOnlyTheDisplayOfTheNextRunTime) {
  startAt(at(10, 0, 0), "5");
  form().lblNextRun.setCaption("3/2/2026 9:00:00 AM");
  drop("a.csv");
  tickAt(at(10, 1, 0));
  EXPECT_EQ(rows(), 0);
  tickAt(at(10, 6, 0));
  EXPECT_EQ(rows(), 2);
}

TEST_F(SchedulerTest, TimerIsOffWhileAScheduledRunWorks) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  bool timerDuringRun = true;
  test.eventLoop.onYield = [&] { timerDuringRun = form().Timer1.enabled(); };
  tickAt(at(10, 6, 0));
  EXPECT_FALSE(timerDuringRun);
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Waiting);
}

TEST_F(SchedulerTest, NextRunTimeOutOfRangeAfterARunStalls) {
  startAt(at(10, 0, 0), "5");
  form().txtAutoRun.setText("1e13");
  tickAt(at(10, 6, 0));
  EXPECT_EQ(logTexts(session).back(), "Error 6 - Overflow");
  EXPECT_FALSE(form().Timer1.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Stalled);
}

TEST_F(SchedulerTest, FailedScheduledRunStallsUntilStopAndStart) {
  form().txtDataSource.setText((test.folder.path() / "missing" / "dest.db").string());
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  tickAt(at(10, 6, 0));
  const auto texts = logTexts(session);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().rfind("Error ", 0), 0u) << texts.back();
  EXPECT_FALSE(form().Timer1.enabled());
  EXPECT_FALSE(form().btnStartAutoRun.enabled());
  EXPECT_FALSE(form().btnTransferData.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 5, 0)));
  EXPECT_TRUE(inSource("a.csv"));
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Stalled);

  form().btnStopAutorun.click();
  EXPECT_TRUE(form().btnStartAutoRun.enabled());
  EXPECT_FALSE(form().Timer1.enabled());

  form().txtDataSource.setText("dest.db");
  startAt(at(10, 10, 0), "5");
  tickAt(at(10, 16, 0));
  EXPECT_EQ(rows(), 2);
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_TRUE(form().btnTransferData.enabled());
}

TEST_F(SchedulerTest, NeitherATickNorAClickStartsARunInsideARun) {
  drop("a.csv");
  form().txtAutoRun.setText("0");
  int yields = 0;
  test.eventLoop.onYield = [this, &yields] {
    ++yields;
    // "Start Autorun" during a manual run switches the timer on at once; its ticks and the
    // "Load Data" button must wait for this run's end.
    form().btnStartAutoRun.click();
    test.clock.set(at(10, 5, 0));
    form().Timer1.tick();
    form().btnTransferData.click();
  };
  test.clock.set(at(10, 0, 0));
  form().btnTransferData.click();
  EXPECT_EQ(yields, 1);
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(countLog("Trans Data Start"), 1);
  EXPECT_EQ(countLog("Woke up, checking for files"), 0);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 0, 0)));
  // The run began with the timer off, so it closed its log; the schedule goes on from the click.
  EXPECT_TRUE(program.runLog().LogFileName().empty());
  EXPECT_TRUE(form().Timer1.enabled());
}

TEST_F(SchedulerTest, LoadDataWhileWaitingRestartsTheScheduleFromItsEnd) {
  startAt(at(10, 0, 0), "5");
  drop("a.csv");
  test.clock.set(at(10, 2, 0));
  form().btnTransferData.click();
  EXPECT_EQ(rows(), 2);
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 7, 0)));
  EXPECT_TRUE(form().Timer1.enabled());
  EXPECT_FALSE(program.runLog().LogFileName().empty());
}

}  // namespace
}  // namespace csv2sql::testing
