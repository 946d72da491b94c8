// The service start after failed runs: with RETRYMINUTES it tries again, soon at first and then
// less often, and goes on; without it, it ends for its service manager to start it again.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/tests/installation.h"
#include "core/datetime_text.h"
#include "core/text.h"

namespace csv2sql::testing {
namespace {

constexpr const char* kNextTry = " : Next try at ";
constexpr const char* kAfterFailure = " after the failed run";

int secondOfDay(DateTime time) {
  const DateTime::Parts parts = time.parts();
  return (parts.hour * 60 + parts.minute) * 60 + parts.second;
}

// For each "Next try at <time> after the failed run" line of the log, the minutes from the
// line's own time stamp to the try.
std::vector<int> retryDelays(const std::string& log) {
  std::vector<int> minutes;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line, '\n');) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto at = line.find(kNextTry);
    const auto end = line.rfind(kAfterFailure);
    if (at == std::string::npos || end == std::string::npos) continue;
    const auto stamp = parseDateTime(line.substr(0, at));
    const auto from = at + std::strlen(kNextTry);
    const auto next = parseDateTime(line.substr(from, end - from));
    if (!stamp || !next) {
      ADD_FAILURE() << "unreadable times: " << line;
      continue;
    }
    const int seconds = (secondOfDay(*next) - secondOfDay(*stamp) + 86400) % 86400;
    minutes.push_back(static_cast<int>(std::lround(seconds / 60.0)));
  }
  return minutes;
}

// The window start "2" at 10:00 on the test clock, automatic runs on from config.ini.
class RetryTest : public AppTest {
 protected:
  void startAt10(const std::string& every, const std::string& retry) {
    writeConfig("AUTORUNEVERY=" + every + "\r\nRETRYMINUTES=" + retry + "\r\n");
    test.clock.set(at(10, 0, 0));
    program.Form_Load("2");
    next = at(10, 0, 0).addMinutes(leadingNumber(every));
  }
  // A tick a second after the next run time, the destination there or not.
  void runAfterNextRunTime(bool destinationThere) {
    form.txtDataSource.setText(destinationThere ? "dest.db" : "missing/dest.db");
    test.clock.set(next.addMicroseconds(1'000'000));
    form.Timer1.tick();
  }
  std::string caption() { return form.lblNextRun.caption(); }
  // The lines of the window's log list.
  std::string shown() const {
    std::string text;
    for (const std::string& line : form.lstLog.items()) text += line + "\n";
    return text;
  }

  Program program{session, form};
  DateTime next;
};

// One run of the automatic runs: the destination there or not, and the minutes to the next run.
struct RunStep {
  bool destinationThere;
  double minutesToNext;
};

struct RetryCase {
  const char* name;
  const char* every;  // AUTORUNEVERY
  const char* retry;  // RETRYMINUTES
  std::vector<RunStep> steps;
};

class Retry : public RetryTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(Retry, NextTryAfterAFailedRunDoublesUpToTheRunIntervalAndANormalRunResetsIt) {
  const RetryCase& c = GetParam();
  startAt10(c.every, c.retry);
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const RunStep& step = c.steps[i];
    runAfterNextRunTime(step.destinationThere);
    const DateTime ranAt = test.clock.now();
    next = ranAt.addMinutes(step.minutesToNext);
    EXPECT_EQ(caption(), formatGeneralDate(next)) << "run " << i + 1;
    EXPECT_EQ(program.scheduler().state(), Scheduler::State::Waiting) << "run " << i + 1;
    EXPECT_TRUE(form.Timer1.enabled()) << "run " << i + 1;
    const std::string retryLine = formatDateTime(ranAt, "hh:mm:ss AMPM") + " : Next try at " +
                                  caption() + " after the failed run\r\n";
    EXPECT_EQ(logText().find(retryLine) != std::string::npos, !step.destinationThere)
        << "run " << i + 1 << "\n"
        << logText();
  }
  EXPECT_TRUE(test.messageBox.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Delays, Retry,
    ::testing::Values(
        RetryCase{"doubling_up_to_the_interval",
                  "10",
                  "3",
                  {{false, 3},
                   {false, 6},
                   {false, 10},
                   {false, 10},
                   {true, 10},
                   {false, 3},
                   {false, 6},
                   {true, 10},
                   {true, 10}}},
        RetryCase{"first_delay_beyond_the_interval", "5", "7", {{false, 5}, {true, 5}}},
        RetryCase{
            "fraction_of_a_minute_interval", "2.5", "1", {{false, 1}, {false, 2}, {false, 2.5}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A retry delay that is no whole number of minutes, 1 or more: reported at the start and at the
// failed run, which then stalls the automatic runs as an empty one does.
class BadRetry : public RetryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadRetry, IsReportedAndAFailedRunStallsTheAutomaticRuns) {
  startAt10("10", GetParam());
  const std::string report = std::string("Error 5 - Invalid procedure call or argument: ") +
                             "RETRYMINUTES (Retry After (minutes)) is " + GetParam() +
                             ", it must be a whole number, 1 or more";
  // No run log is open at the start: the window's list shows the report.
  EXPECT_NE(shown().find("PROMPT= Error in Procedure btnStartAutoRun_Click\r\n" + report),
            std::string::npos)
      << shown();
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Waiting);
  runAfterNextRunTime(false);
  EXPECT_NE(logText().find("PROMPT= Error in Procedure Timer1_Timer\r\n" + report),
            std::string::npos)
      << logText();
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Stalled);
  EXPECT_FALSE(form.Timer1.enabled());
  EXPECT_EQ(caption(), formatGeneralDate(at(10, 10, 0)));
  EXPECT_EQ(logText().find("Next try"), std::string::npos) << logText();
}

INSTANTIATE_TEST_SUITE_P(Texts, BadRetry, ::testing::Values("abc", "0", "-3", "1.5", "1e10"));

TEST_F(RetryTest, StopPressedDuringAFailedRunStaysPressed) {
  execSql(database,
          "CREATE TRIGGER short_tags BEFORE INSERT ON CSVDATA WHEN length(NEW.Tag) > 8 "
          "BEGIN SELECT RAISE(ABORT, 'tag longer than 8'); END");
  startAt10("10", "1");
  drop("a.csv");
  drop("b.csv", 2, "LONGER_THAN_8");
  test.eventLoop.onYield = [this] { form.btnStopAutorun.click(); };
  runAfterNextRunTime(true);
  EXPECT_EQ(rows(), 2);
  EXPECT_TRUE(inSource("b.csv"));
  EXPECT_EQ(program.scheduler().state(), Scheduler::State::Stalled);
  EXPECT_FALSE(form.Timer1.enabled());
  EXPECT_EQ(logText().find("Next try"), std::string::npos) << logText();
}

class ServiceAfterAFailedRun : public Installation {
 protected:
  // The destination's file is away until put back: each run fails to connect.
  ServiceAfterAFailedRun() { std::filesystem::rename(database, away); }
  void putDatabaseBack() { std::filesystem::rename(away, database); }

  const std::filesystem::path away = folder / "dest.db.away";
};

// A scheduled minute lasts 250 ms under the test seam; runs every 4 minutes.
TEST_F(ServiceAfterAFailedRun, WithRetryMinutesTriesAgainAfterDoublingDelaysAndGoesOn) {
  writeConfig("AUTORUNEVERY=4\r\nRETRYMINUTES=1\r\n");
  drop("a.csv", 3);
  start("NTSERVICE", "CSV2SQL_TIMER_INTERVAL_MS=250");
  eventually([&] { return retryDelays(logText()).size() >= 5 || statusNow().has_value(); });
  ASSERT_FALSE(statusNow().has_value()) << logText() << output();
  putDatabaseBack();
  EXPECT_TRUE(eventually([&] { return !inSource("a.csv") && rows() == 3; })) << logText();
  EXPECT_FALSE(statusNow().has_value()) << output();
  askToStop();
  EXPECT_EQ(waitForEnd(), 0) << output();

  const std::string log = logText();
  const std::vector<int> delays = retryDelays(log);
  ASSERT_GE(delays.size(), 5u) << log;
  for (std::size_t i = 0; i < delays.size(); ++i) {
    EXPECT_EQ(delays[i], std::min(1 << i, 4)) << "try " << i + 1 << "\n" << log;
  }
  // The run that imported the file came after the last retry line.
  const auto done = log.find(" : Run done: 1 files, 3 readings stored");
  ASSERT_NE(done, std::string::npos) << log;
  EXPECT_GT(done, log.rfind(kNextTry)) << log;
}

TEST_F(ServiceAfterAFailedRun, WithoutRetryMinutesEndsWithStatusOneForItsManager) {
  writeConfig("AUTORUNEVERY=1\r\n");
  drop("a.csv", 3);
  start("NTSERVICE", "CSV2SQL_TIMER_INTERVAL_MS=100");
  EXPECT_EQ(waitForEnd(), 1) << output();
  EXPECT_NE(output().find("automatic runs are off"), std::string::npos) << output();
  EXPECT_TRUE(retryDelays(logText()).empty()) << logText();
  EXPECT_TRUE(inSource("a.csv"));
}

}  // namespace
}  // namespace csv2sql::testing
