#include "core/datetime.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::at;

// The scheduler's and the UTC offsets' tests shift by minutes and hours.
TEST(DateTime, ShiftLandsOnTheInstantOrIsErrorSix) {
  const struct {
    const char* name;
    DateTime start;
    std::int64_t days, micros;
    std::optional<DateTime> expected = {};  // none: error 6
  } cases[] = {
      {"day_back_onto_leap_day", at(2024, 3, 1, 8), -1, 0, at(2024, 2, 29, 8)},
      {"to_the_last_instant", at(9999, 12, 31, 23, 59, 59), 0, 999999,
       at(9999, 12, 31, 23, 59, 59, 999999)},
      {"before_year_1", at(1, 1, 1), 0, -1},
      {"past_year_9999", at(9999, 12, 31), 1, 0},
      {"huge_day_count", at(2024, 3, 7), std::numeric_limits<std::int64_t>::max(), 0},
  };
  for (const auto& c : cases) {
    const auto shift = [&] { return c.start.addDays(c.days).addMicroseconds(c.micros); };
    if (c.expected) {
      EXPECT_EQ(shift(), *c.expected) << c.name;
    } else {
      EXPECT_EQ(testing::errorNumber([&] { shift(); }), err::Overflow) << c.name;
    }
  }
}

}  // namespace
}  // namespace csv2sql
