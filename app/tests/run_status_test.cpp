// The status a run leaves for monitoring, and the check a monitoring system makes of it.
#include "app/run_status.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/status_check.h"
#include "core/error.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

DateTime on8th(int hour, int minute, int second = 0) {
  return DateTime::fromParts(2026, 12, 8, hour, minute, second);
}

RunReport report(RunEnd end, std::vector<std::string> setAside = {}, std::string error = "") {
  RunReport report;
  report.started = on8th(4, 5).addMinutes(0.5 / 60);  // half a second past
  report.ended = on8th(4, 5, 3);
  report.end = end;
  report.files = 3;
  report.counts = {120, 4, 0};
  report.setAside = std::move(setAside);
  report.errorLine = std::move(error);
  return report;
}

const std::string kLeft = "Left b.csv in place: 4 of 5 rows skipped, over the reject limit 2";

TEST(RunStatus, TextHoldsEveryFieldOnALineOfItsOwnAndReadsBack) {
  const RunStatus status =
      statusOf(report(RunEnd::Normal, {kLeft, "Passed over c.csv: it cannot be read (x)"}),
               std::nullopt, "12/8/2026 4:10:00 AM");
  const std::string text = statusText(status);
  EXPECT_EQ(text,
            "result=normal with files left\nstarted=2026-12-08 04:05:00\n"
            "ended=2026-12-08 04:05:03\nfiles=3\nreadings_stored=120\nrows_skipped=4\n"
            "set_aside=" +
                kLeft +
                "\nset_aside=Passed over c.csv: it cannot be read (x)\n"
                "last_normal_end=2026-12-08 04:05:03\nnext_run=12/8/2026 4:10:00 AM\n");
  const std::optional<RunStatus> read = parseStatus(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(statusText(*read), text);
}

TEST(RunStatus, FailedRunKeepsTheLastNormalEndBeforeItAndItsErrorOnOneLine) {
  const RunStatus before = statusOf(report(RunEnd::Normal), std::nullopt, "");
  const RunStatus failed =
      statusOf(report(RunEnd::Failed, {}, "Error 3 - first\nsecond\r\nthird"), before, "");
  EXPECT_EQ(failed.result, RunStatus::Result::Failed);
  EXPECT_EQ(failed.lastNormalEnd, on8th(4, 5, 3));
  const std::string text = statusText(failed);
  EXPECT_NE(text.find("\nerror=Error 3 - first second  third\n"), std::string::npos) << text;
  EXPECT_EQ(statusOf(report(RunEnd::Failed), std::nullopt, "").lastNormalEnd, std::nullopt);
}

TEST(RunStatus, TextWithoutResultStartOrEndOrWithAnUnreadableValueIsNoStatus) {
  const std::string whole =
      "result=normal\nstarted=2026-12-08 04:05:00\nended=2026-12-08 04:05:03\n";
  EXPECT_TRUE(parseStatus(whole + "some_later_key=x\nno equals sign\n"));
  const std::vector<std::string> broken = {std::string(),
                                           whole.substr(whole.find('\n') + 1),
                                           whole.substr(0, whole.rfind("ended=")),
                                           whole + "files=-1\n",
                                           whole + "rows_skipped=x\n",
                                           "result=fine\n" + whole.substr(14),
                                           whole + "last_normal_end=yesterday\n"};
  for (const std::string& text : broken) {
    EXPECT_FALSE(parseStatus(text)) << text;
  }
}

TEST(RunStatus, FileIsNothingBeforeTheFirstRunAndErrorSeventyFiveWhenItHoldsNoStatus) {
  TempDir folder;
  const std::filesystem::path file = statusFile(folder.path());
  EXPECT_EQ(file, folder.path() / "log" / "csv2sql.status");
  EXPECT_EQ(readRunStatus(file), std::nullopt);
  const RunStatus status = statusOf(report(RunEnd::Normal), std::nullopt, "");
  writeRunStatus(file, status);  // makes the log folder
  EXPECT_EQ(statusText(readRunStatus(file).value()), statusText(status));
  writeFile(file, "garbage");
  try {
    readRunStatus(file);
    ADD_FAILURE() << "garbage was read";
  } catch (const Error& error) {
    EXPECT_EQ(error.numberAndDescription(),
              "75 - Path/File access error: " + file.string() + " holds no run status");
  }
}

// The check of a status at 04:35:03, thirty minutes after the run ended.
struct CheckCase {
  const char* name;
  std::optional<RunStatus> status;
  std::optional<std::int32_t> minutes;
  int exitStatus;
  std::string line;
};

RunStatus made(RunEnd end, std::vector<std::string> setAside = {}, std::string error = "",
               std::string nextRun = "") {
  const RunStatus before = statusOf(report(RunEnd::Normal), std::nullopt, "");
  RunStatus status =
      statusOf(report(end, std::move(setAside), std::move(error)), before, std::move(nextRun));
  return status;
}

const std::string kFigures =
    "last run 2026-12-08 04:05:00: 3 files, 120 readings stored, 4 rows skipped";

class Check : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Check, GivesTheLineAndExitStatusOfTheConvention) {
  const CheckCase& c = GetParam();
  const StatusCheck check = checkStatus(c.status, on8th(4, 35, 3), c.minutes);
  EXPECT_EQ(check.exitStatus, c.exitStatus);
  EXPECT_EQ(check.line, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    States, Check,
    ::testing::Values(
        CheckCase{"unknown", std::nullopt, std::nullopt, 3,
                  "csv2sql UNKNOWN - no run has left its status yet"},
        CheckCase{"unknown_with_minutes", std::nullopt, 30, 3,
                  "csv2sql UNKNOWN - no run has left its status yet"},
        CheckCase{"ok", made(RunEnd::Normal), std::nullopt, 0, "csv2sql OK - " + kFigures},
        CheckCase{"ok_within_minutes", made(RunEnd::Normal, {}, "", "12/8/2026 4:40:00 AM"), 30, 0,
                  "csv2sql OK - " + kFigures + "; next run 12/8/2026 4:40:00 AM"},
        CheckCase{"warning",
                  made(RunEnd::Normal, {kLeft, "Passed over c.csv: it cannot be read (x)"}),
                  std::nullopt, 1,
                  "csv2sql WARNING - " + kFigures + "; " + kLeft +
                      "; Passed over c.csv: it cannot be read (x)"},
        CheckCase{"critical_failed", made(RunEnd::Failed, {}, "Error 76 - Path not found: x"),
                  std::nullopt, 2,
                  "csv2sql CRITICAL - last run 2026-12-08 04:05:00 failed: Error 76 - Path not "
                  "found: x"},
        CheckCase{"critical_no_normal_end_within_minutes", made(RunEnd::Normal), 29, 2,
                  "csv2sql CRITICAL - no run ended normally in the last 29 minutes (last run "
                  "2026-12-08 04:05:00)"},
        CheckCase{"warning_within_minutes", made(RunEnd::Normal, {kLeft}), 30, 1,
                  "csv2sql WARNING - " + kFigures + "; " + kLeft}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
