#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/schedule_seam.h"

namespace csv2sql::testing {
namespace {

struct SeamCase {
  const char* name;
  const char* value;  // nullptr: the variable is not set
  std::optional<std::int32_t> interval;
};

class TimerIntervalSeam : public ::testing::TestWithParam<SeamCase> {
 protected:
  ~TimerIntervalSeam() override { ::unsetenv("CSV2SQL_TIMER_INTERVAL_MS"); }
};

TEST_P(TimerIntervalSeam, AcceptsOnlyAWholeNumberOfMillisecondsUpToAMinute) {
  if (GetParam().value != nullptr) {
    ::setenv("CSV2SQL_TIMER_INTERVAL_MS", GetParam().value, 1);
  } else {
    ::unsetenv("CSV2SQL_TIMER_INTERVAL_MS");
  }
  EXPECT_EQ(timerIntervalSeam(), GetParam().interval);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TimerIntervalSeam,
    ::testing::Values(SeamCase{"unset", nullptr, std::nullopt}, SeamCase{"two_hundred", "200", 200},
                      SeamCase{"one", "1", 1}, SeamCase{"a_minute", "60000", 60000},
                      SeamCase{"over_a_minute", "60001", std::nullopt},
                      SeamCase{"zero", "0", std::nullopt}, SeamCase{"negative", "-5", std::nullopt},
                      SeamCase{"empty", "", std::nullopt},
                      SeamCase{"with_unit", "200ms", std::nullopt},
                      SeamCase{"fraction", "2.5", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
