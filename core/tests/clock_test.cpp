#include "core/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "core/tests/core_test_support.h"

namespace csv2sql::testing {
namespace {

std::int64_t secondsBetween(DateTime a, DateTime b) {
  return (b.microseconds() - a.microseconds()) / 1'000'000;
}

// A file's time of change reads as the system clock's local time of that moment, so the two can
// be compared: now, and a time 40 days (and a change of daylight saving time, perhaps) ago.
TEST(LocalWriteTime, IsTheLocalTimeTheSystemClockShowedThen) {
  const auto fileNow = std::filesystem::file_time_type::clock::now();
  const DateTime clockNow = SystemClock().now();
  for (const int days : {0, 40}) {
    const auto written = localWriteTime(fileNow - std::chrono::hours(24 * days));
    ASSERT_TRUE(written.has_value()) << days;
    // The same moment in local time: days apart, give or take the hour daylight saving moves
    // it and the moments between the two readings above.
    const std::int64_t seconds = secondsBetween(*written, clockNow.addDays(-days));
    EXPECT_LE(std::abs(seconds), days == 0 ? 1 : 3601) << days;
  }
}

}  // namespace
}  // namespace csv2sql::testing
