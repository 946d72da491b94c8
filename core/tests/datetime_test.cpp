#include "core/datetime.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::at;
using testing::caseName;
using testing::errorNumber;
using testing::PrintTo;

constexpr std::int64_t kDay = 86'400'000'000;

void expectParts(DateTime value, int year, int month, int day, int hour = 0, int minute = 0,
                 int second = 0, int microsecond = 0) {
  EXPECT_EQ(value.year(), year);
  EXPECT_EQ(value.month(), month);
  EXPECT_EQ(value.day(), day);
  EXPECT_EQ(value.hour(), hour);
  EXPECT_EQ(value.minute(), minute);
  EXPECT_EQ(value.second(), second);
  EXPECT_EQ(value.microsecond(), microsecond);
}

TEST(DateTime, CountsMicrosecondsFromTheFirstDay) {
  EXPECT_EQ(DateTime().microseconds(), 0);
  EXPECT_EQ(DateTime::fromParts(1, 1, 1), DateTime());
  EXPECT_EQ(DateTime::fromParts(1, 1, 2).microseconds(), kDay);
  EXPECT_EQ(DateTime::fromParts(1970, 1, 1).microseconds(), 719'162 * kDay);
  EXPECT_EQ(DateTime::fromParts(1, 1, 1, 1, 2, 3, 4).microseconds(), 3'723'000'004);
}

TEST(DateTime, ReadsBackItsParts) {
  expectParts(DateTime::fromParts(2024, 2, 29, 12, 34, 56, 789012), 2024, 2, 29, 12, 34, 56,
              789012);
  expectParts(DateTime::fromParts(9999, 12, 31, 23, 59, 59, 999999), 9999, 12, 31, 23, 59, 59,
              999999);
  expectParts(DateTime::fromParts(1899, 12, 30), 1899, 12, 30);
  expectParts(DateTime::fromMicroseconds(DateTime::fromParts(2000, 3, 1).microseconds() - 1), 2000,
              2, 29, 23, 59, 59, 999999);
}

TEST(DateTime, EveryDayFollowsTheDayBefore) {
  // Walks the whole calendar: each valid date is exactly one day after the one before it.
  std::int64_t expected = 0;
  for (int year = 1; year <= 9999; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; DateTime::valid(year, month, day); ++day, expected += kDay) {
        const auto value = DateTime::fromParts(year, month, day);
        ASSERT_EQ(value.microseconds(), expected) << year << "-" << month << "-" << day;
        ASSERT_EQ(value.day(), day);
        ASSERT_EQ(value.month(), month);
        ASSERT_EQ(value.year(), year);
      }
    }
  }
  EXPECT_EQ(expected, 3'652'059 * kDay);
}

struct PartsCase {
  std::string name;
  int year, month, day, hour, minute, second, microsecond;
  bool valid;
};
class DateTimeValid : public ::testing::TestWithParam<PartsCase> {};

TEST_P(DateTimeValid, ChecksEveryPart) {
  const auto& c = GetParam();
  EXPECT_EQ(DateTime::valid(c.year, c.month, c.day, c.hour, c.minute, c.second, c.microsecond),
            c.valid);
}

INSTANTIATE_TEST_SUITE_P(
    DateTime, DateTimeValid,
    ::testing::Values(PartsCase{"LeapDay", 2024, 2, 29, 0, 0, 0, 0, true},
                      PartsCase{"NoLeapDayInOrdinaryYear", 2023, 2, 29, 0, 0, 0, 0, false},
                      PartsCase{"LeapDayEveryFourHundredYears", 2000, 2, 29, 0, 0, 0, 0, true},
                      PartsCase{"NoLeapDayInPlainCentury", 1900, 2, 29, 0, 0, 0, 0, false},
                      PartsCase{"February30", 2024, 2, 30, 0, 0, 0, 0, false},
                      PartsCase{"April31", 2024, 4, 31, 0, 0, 0, 0, false},
                      PartsCase{"December31", 2024, 12, 31, 0, 0, 0, 0, true},
                      PartsCase{"Month13", 2024, 13, 1, 0, 0, 0, 0, false},
                      PartsCase{"Month0", 2024, 0, 1, 0, 0, 0, 0, false},
                      PartsCase{"Day0", 2024, 1, 0, 0, 0, 0, 0, false},
                      PartsCase{"Year0", 0, 1, 1, 0, 0, 0, 0, false},
                      PartsCase{"Year1", 1, 1, 1, 0, 0, 0, 0, true},
                      PartsCase{"Year9999", 9999, 12, 31, 23, 59, 59, 999999, true},
                      PartsCase{"Year10000", 10000, 1, 1, 0, 0, 0, 0, false},
                      PartsCase{"Hour24", 2024, 1, 1, 24, 0, 0, 0, false},
                      PartsCase{"Minute60", 2024, 1, 1, 0, 60, 0, 0, false},
                      PartsCase{"Second60", 2024, 1, 1, 0, 0, 60, 0, false},
                      PartsCase{"Microsecond1000000", 2024, 1, 1, 0, 0, 0, 1000000, false},
                      PartsCase{"NegativeHour", 2024, 1, 1, -1, 0, 0, 0, false},
                      PartsCase{"NegativeMicrosecond", 2024, 1, 1, 0, 0, 0, -1, false}),
    caseName<PartsCase>);

TEST(DateTime, DateDropsTheTimeOfDay) {
  EXPECT_EQ(DateTime::fromParts(2024, 3, 7, 14, 5, 9, 500000).date(),
            DateTime::fromParts(2024, 3, 7));
  EXPECT_EQ(DateTime::fromParts(2024, 3, 7).date(), DateTime::fromParts(2024, 3, 7));
}

TEST(DateTime, OrdersByTime) {
  EXPECT_LT(DateTime::fromParts(2024, 3, 7, 14, 5, 9),
            DateTime::fromParts(2024, 3, 7, 14, 5, 9, 1));
  EXPECT_GT(DateTime::fromParts(2025, 1, 1), DateTime::fromParts(2024, 12, 31, 23, 59, 59));
}

struct ShiftCase {
  std::string name;
  DateTime start;
  std::function<DateTime(DateTime)> shift;
  DateTime expected;
};
class DateTimeShift : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(DateTimeShift, LandsOnTheExpectedInstant) {
  EXPECT_EQ(GetParam().shift(GetParam().start), GetParam().expected);
}

auto days(std::int64_t n) {
  return [n](DateTime t) { return t.addDays(n); };
}
auto minutes(double n) {
  return [n](DateTime t) { return t.addMinutes(n); };
}
auto hours(double n) {
  return [n](DateTime t) { return t.addHours(n); };
}
auto micros(std::int64_t n) {
  return [n](DateTime t) { return t.addMicroseconds(n); };
}

INSTANTIATE_TEST_SUITE_P(
    DateTime, DateTimeShift,
    ::testing::Values(
        ShiftCase{"DayIntoNextMonth", at(2024, 1, 31, 8), days(1), at(2024, 2, 1, 8)},
        ShiftCase{"DayOntoLeapDay", at(2024, 2, 28), days(1), at(2024, 2, 29)},
        ShiftCase{"DayPastFebruaryInOrdinaryYear", at(2023, 2, 28), days(1), at(2023, 3, 1)},
        ShiftCase{"DayIntoNextYear", at(2024, 12, 31, 23), days(1), at(2025, 1, 1, 23)},
        ShiftCase{"DayBackOntoLeapDay", at(2024, 3, 1), days(-1), at(2024, 2, 29)},
        ShiftCase{"LeapYearHas366Days", at(2024, 1, 1), days(366), at(2025, 1, 1)},
        ShiftCase{"MinutesIntoNextYear", at(2024, 12, 31, 23, 58), minutes(5),
                  at(2025, 1, 1, 0, 3)},
        ShiftCase{"HalfMinute", at(2024, 3, 7, 10), minutes(2.5), at(2024, 3, 7, 10, 2, 30)},
        ShiftCase{"TenthOfAMinute", at(2024, 3, 7, 10), minutes(0.1), at(2024, 3, 7, 10, 0, 6)},
        ShiftCase{"ThirdOfAMinute", at(2024, 3, 7, 10), minutes(1.0 / 3),
                  at(2024, 3, 7, 10, 0, 20)},
        ShiftCase{"NegativeMinutesIntoDayBefore", at(2024, 3, 1, 0, 30), minutes(-90),
                  at(2024, 2, 29, 23)},
        ShiftCase{"MinuteFractionToTheMicrosecond", at(2024, 3, 7), minutes(1e-8),
                  at(2024, 3, 7, 0, 0, 0, 1)},
        ShiftCase{"FractionalHours", at(2024, 3, 7, 10), hours(5.5), at(2024, 3, 7, 15, 30)},
        ShiftCase{"NegativeHoursIntoDayBefore", at(2024, 1, 1, 2), hours(-4), at(2023, 12, 31, 22)},
        ShiftCase{"MicrosecondIntoNextDay", at(2024, 12, 31, 23, 59, 59, 999999), micros(1),
                  at(2025, 1, 1)},
        ShiftCase{"ExactlyTheLastInstant", at(9999, 12, 31, 23, 59, 59), micros(999999),
                  at(9999, 12, 31, 23, 59, 59, 999999)},
        ShiftCase{"BackToTheFirstInstant", at(1, 1, 2), days(-1), at(1, 1, 1)}),
    caseName<ShiftCase>);

struct LimitCase {
  std::string name;
  DateTime start;
  std::function<DateTime(DateTime)> shift;
};
class DateTimeShiftLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(DateTimeShiftLimit, IsErrorSix) {
  EXPECT_EQ(errorNumber([this] { GetParam().shift(GetParam().start); }), err::Overflow);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    DateTime, DateTimeShiftLimit,
    ::testing::Values(LimitCase{"MicrosecondPastYear9999", at(9999, 12, 31, 23, 59, 59, 999999),
                                micros(1)},
                      LimitCase{"MicrosecondBeforeYear1", at(1, 1, 1), micros(-1)},
                      LimitCase{"DayPastYear9999", at(9999, 12, 31), days(1)},
                      LimitCase{"DayBeforeYear1", at(1, 1, 1, 12), days(-1)},
                      LimitCase{"MinutePastYear9999", at(9999, 12, 31, 23, 59, 30), minutes(1)},
                      LimitCase{"HourBeforeYear1", at(1, 1, 1), hours(-1)},
                      LimitCase{"HugeMinutes", at(2024, 3, 7), minutes(1e300)},
                      LimitCase{"HugeNegativeHours", at(2024, 3, 7), hours(-1e300)},
                      LimitCase{"InfiniteMinutes", at(2024, 3, 7), minutes(kInfinity)},
                      LimitCase{"NotANumberOfHours", at(2024, 3, 7), hours(kNaN)},
                      LimitCase{"LargestDayCount", at(2024, 3, 7), days(kMax)},
                      LimitCase{"SmallestDayCount", at(2024, 3, 7), days(kMin)},
                      LimitCase{"LargestMicrosecondCount", at(2024, 3, 7), micros(kMax)},
                      LimitCase{"SmallestMicrosecondCount", at(2024, 3, 7), micros(kMin)}),
    caseName<LimitCase>);

}  // namespace
}  // namespace csv2sql
