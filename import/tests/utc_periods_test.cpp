#include "import/utc_periods.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace csv2sql::testing {
namespace {

DateTime at(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  return DateTime::fromParts(year, month, day, hour, minute, second);
}

struct ZoneCase {
  std::string name;
  std::string zone;
  int year;
  std::vector<UtcPeriod> periods;
};

class ZonePeriods : public ::testing::TestWithParam<ZoneCase> {};

// The change instants are the published ones, in UTC. The command's test prints New York's and
// the years of Kolkata joined into one period.
TEST_P(ZonePeriods, FollowTheZonesChangesThroughTheYear) {
  EXPECT_EQ(utcPeriodsOf(GetParam().zone, GetParam().year, GetParam().year), GetParam().periods);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ZonePeriods,
    ::testing::Values(ZoneCase{"berlin_summer_time",
                               "Europe/Berlin",
                               2024,
                               {{at(2024, 1, 1, 0), at(2024, 3, 31, 0, 59, 59), 1},
                                {at(2024, 3, 31, 1), at(2024, 10, 27, 0, 59, 59), 2},
                                {at(2024, 10, 27, 1), at(2024, 12, 31, 23, 59, 59), 1}}},
                      ZoneCase{"adelaide_half_hours_southern_summer",
                               "Australia/Adelaide",
                               2024,
                               {{at(2024, 1, 1, 0), at(2024, 4, 6, 16, 29, 59), 10.5},
                                {at(2024, 4, 6, 16, 30), at(2024, 10, 5, 16, 29, 59), 9.5},
                                {at(2024, 10, 5, 16, 30), at(2024, 12, 31, 23, 59, 59), 10.5}}},
                      ZoneCase{"kolkata_no_summer_time",
                               "Asia/Kolkata",
                               2024,
                               {{at(2024, 1, 1, 0), at(2024, 12, 31, 23, 59, 59), 5.5}}}),
    [](const auto& info) { return info.param.name; });

struct RefusedCase {
  std::string name;
  std::string zone;
  int first;
  int last;
};

class RefusedPeriods : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPeriods, AreError5) {
  try {
    utcPeriodsOf(GetParam().zone, GetParam().first, GetParam().last);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), err::InvalidProcedureCall);
  }
}

INSTANTIATE_TEST_SUITE_P(Arguments, RefusedPeriods,
                         ::testing::Values(RefusedCase{"years_reversed", "UTC", 2025, 2024},
                                           RefusedCase{"year_too_early", "UTC", 1899, 1900}),
                         [](const auto& info) { return info.param.name; });

TEST(UtcPeriods, RowsHoldTheTimesAndTheShortestOffsets) {
  const UtcRows rows = utcRowsOf(utcPeriodsOf("Australia/Adelaide", 2024, 2024));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], (UtcRow{"2024-04-06 16:30:00", "2024-10-05 16:29:59", "9.5"}));
  EXPECT_EQ(rows[2].offset, "10.5");
}

}  // namespace
}  // namespace csv2sql::testing
