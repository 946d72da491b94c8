#include "core/datetime.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::at;
using testing::errorNumber;

constexpr std::int64_t kDay = 86'400'000'000;

TEST(DateTime, CountsMicrosecondsFromTheFirstDay) {
  EXPECT_EQ(DateTime().microseconds(), 0);
  EXPECT_EQ(at(1970, 1, 1).microseconds(), 719'162 * kDay);
  EXPECT_EQ(at(1, 1, 1, 1, 2, 3, 4).microseconds(), 3'723'000'004);
}

TEST(DateTime, ReadsBackItsParts) {
  using ::testing::PrintToString;
  EXPECT_EQ(PrintToString(at(2024, 2, 29, 12, 34, 56, 789012)), "2024-02-29 12:34:56.789012");
  EXPECT_EQ(PrintToString(DateTime::fromMicroseconds(at(2000, 3, 1).microseconds() - 1)),
            "2000-02-29 23:59:59.999999");
}

TEST(DateTime, EveryDayFollowsTheDayBefore) {
  // Walks the whole calendar: each valid date is exactly one day after the one before it.
  std::int64_t expected = 0;
  for (int year = 1; year <= 9999; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; DateTime::valid(year, month, day); ++day, expected += kDay) {
        const auto value = at(year, month, day);
        ASSERT_EQ(value.microseconds(), expected) << year << "-" << month << "-" << day;
        ASSERT_EQ(value.year() * 10000 + value.month() * 100 + value.day(),
                  year * 10000 + month * 100 + day);
      }
    }
  }
  EXPECT_EQ(expected, 3'652'059 * kDay);
}

TEST(DateTime, ValidChecksEveryPart) {
  const struct {
    const char* name;
    int year, month, day, hour, minute, second, microsecond;
    bool valid;
  } cases[] = {
      {"leap_day", 2024, 2, 29, 0, 0, 0, 0, true},
      {"no_leap_day_in_ordinary_year", 2023, 2, 29, 0, 0, 0, 0, false},
      {"leap_day_every_400_years", 2000, 2, 29, 0, 0, 0, 0, true},
      {"no_leap_day_in_plain_century", 1900, 2, 29, 0, 0, 0, 0, false},
      {"april_31", 2024, 4, 31, 0, 0, 0, 0, false},
      {"month_13", 2024, 13, 1, 0, 0, 0, 0, false},
      {"month_0", 2024, 0, 1, 0, 0, 0, 0, false},
      {"day_0", 2024, 1, 0, 0, 0, 0, 0, false},
      {"year_0", 0, 1, 1, 0, 0, 0, 0, false},
      {"last_instant", 9999, 12, 31, 23, 59, 59, 999999, true},
      {"year_10000", 10000, 1, 1, 0, 0, 0, 0, false},
      {"hour_24", 2024, 1, 1, 24, 0, 0, 0, false},
      {"minute_60", 2024, 1, 1, 0, 60, 0, 0, false},
      {"second_60", 2024, 1, 1, 0, 0, 60, 0, false},
      {"microsecond_1000000", 2024, 1, 1, 0, 0, 0, 1000000, false},
      {"negative_hour", 2024, 1, 1, -1, 0, 0, 0, false},
      {"negative_microsecond", 2024, 1, 1, 0, 0, 0, -1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateTime::valid(c.year, c.month, c.day, c.hour, c.minute, c.second, c.microsecond),
              c.valid)
        << c.name;
  }
}

TEST(DateTime, DateDropsTheTimeOfDayAndOrderFollowsTime) {
  EXPECT_EQ(at(2024, 3, 7, 14, 5, 9, 500000).date(), at(2024, 3, 7));
  EXPECT_LT(at(2024, 3, 7, 14, 5, 9), at(2024, 3, 7, 14, 5, 9, 1));
  EXPECT_GT(at(2025, 1, 1), at(2024, 12, 31, 23, 59, 59));
}

using Shift = std::function<DateTime(DateTime)>;
const auto days = [](std::int64_t n) -> Shift { return [n](DateTime t) { return t.addDays(n); }; };
const auto micros = [](std::int64_t n) -> Shift {
  return [n](DateTime t) { return t.addMicroseconds(n); };
};
const auto minutes = [](double n) -> Shift { return [n](DateTime t) { return t.addMinutes(n); }; };
const auto hours = [](double n) -> Shift { return [n](DateTime t) { return t.addHours(n); }; };

TEST(DateTime, ShiftLandsOnTheExpectedInstant) {
  const struct {
    const char* name;
    DateTime start;
    Shift shift;
    DateTime expected;
  } cases[] = {
      {"day_back_onto_leap_day", at(2024, 3, 1, 8), days(-1), at(2024, 2, 29, 8)},
      {"minutes_into_next_year", at(2024, 12, 31, 23, 58), minutes(5), at(2025, 1, 1, 0, 3)},
      {"half_minute", at(2024, 3, 7, 10), minutes(2.5), at(2024, 3, 7, 10, 2, 30)},
      {"tenth_of_a_minute", at(2024, 3, 7, 10), minutes(0.1), at(2024, 3, 7, 10, 0, 6)},
      {"third_of_a_minute", at(2024, 3, 7, 10), minutes(1.0 / 3), at(2024, 3, 7, 10, 0, 20)},
      {"negative_minutes", at(2024, 3, 1, 0, 30), minutes(-90), at(2024, 2, 29, 23)},
      {"minute_fraction_to_the_microsecond", at(2024, 3, 7), minutes(1e-8),
       at(2024, 3, 7, 0, 0, 0, 1)},
      {"fractional_hours", at(2024, 3, 7, 10), hours(5.5), at(2024, 3, 7, 15, 30)},
      {"negative_hours", at(2024, 1, 1, 2), hours(-4), at(2023, 12, 31, 22)},
      {"microsecond_into_next_day", at(2024, 12, 31, 23, 59, 59, 999999), micros(1),
       at(2025, 1, 1)},
      {"exactly_the_last_instant", at(9999, 12, 31, 23, 59, 59), micros(999999),
       at(9999, 12, 31, 23, 59, 59, 999999)},
      {"back_to_the_first_instant", at(1, 1, 2), days(-1), at(1, 1, 1)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shift(c.start), c.expected) << c.name;
}

TEST(DateTime, ShiftOutOfTheYears1To9999IsErrorSix) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const struct {
    const char* name;
    DateTime start;
    Shift shift;
  } cases[] = {
      {"microsecond_past_year_9999", at(9999, 12, 31, 23, 59, 59, 999999), micros(1)},
      {"microsecond_before_year_1", at(1, 1, 1), micros(-1)},
      {"day_past_year_9999", at(9999, 12, 31), days(1)},
      {"day_before_year_1", at(1, 1, 1, 12), days(-1)},
      {"huge_minutes", at(2024, 3, 7), minutes(1e300)},
      {"huge_negative_hours", at(2024, 3, 7), hours(-1e300)},
      {"infinite_minutes", at(2024, 3, 7), minutes(kInfinity)},
      {"not_a_number_of_hours", at(2024, 3, 7), hours(kNaN)},
      {"largest_day_count", at(2024, 3, 7), days(kMax)},
      {"smallest_day_count", at(2024, 3, 7), days(kMin)},
      {"largest_microsecond_count", at(2024, 3, 7), micros(kMax)},
      {"smallest_microsecond_count", at(2024, 3, 7), micros(kMin)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorNumber([&] { c.shift(c.start); }), err::Overflow) << c.name;
  }
}

}  // namespace
}  // namespace csv2sql
