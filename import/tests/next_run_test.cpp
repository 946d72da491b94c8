#include <gtest/gtest.h>

#include "core/datetime_text.h"
#include "import/import_run.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

struct MinutesCase {
  std::string name;
  std::string text;
  DateTime next;
};

class NextRunTime : public ::testing::TestWithParam<MinutesCase> {};

TEST_P(NextRunTime, IsNowPlusTheLeadingMinutes) {
  TestSession test;
  test.clock.set(DateTime::fromParts(2024, 3, 7, 10, 7, 30));
  test.session.frmMain.txtAutoRun.setText(GetParam().text);
  setNextRunTime(test.session);
  EXPECT_EQ(test.session.frmMain.lblNextRun.caption(), formatGeneralDate(GetParam().next));
}

INSTANTIATE_TEST_SUITE_P(
    Minutes, NextRunTime,
    ::testing::Values(MinutesCase{"five", "5", DateTime::fromParts(2024, 3, 7, 10, 12, 30)},
                      MinutesCase{"fraction", "2.5", DateTime::fromParts(2024, 3, 7, 10, 10, 0)},
                      MinutesCase{"followed_by_a_word", "5 minutes",
                                  DateTime::fromParts(2024, 3, 7, 10, 12, 30)},
                      MinutesCase{"empty", "", DateTime::fromParts(2024, 3, 7, 10, 7, 30)},
                      MinutesCase{"letters", "abc", DateTime::fromParts(2024, 3, 7, 10, 7, 30)},
                      MinutesCase{"negative", "-10", DateTime::fromParts(2024, 3, 7, 9, 57, 30)}),
    [](const auto& info) { return info.param.name; });

TEST(NextRunTimeRange, OutOfRangeIsAnOverflowAndLeavesTheCaption) {
  TestSession test;
  test.session.frmMain.txtAutoRun.setText("1e13");
  try {
    setNextRunTime(test.session);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 6);
  }
  EXPECT_EQ(test.session.frmMain.lblNextRun.caption(), "Next Run:");
}

}  // namespace
}  // namespace csv2sql::testing
