#include "dbaccess/sql_text.h"

#include <gtest/gtest.h>

#include <string>

namespace csv2sql::db {
namespace {

std::string formatted(DateTime value) {
  char text[kTimestampTextMax];
  return std::string(text, formatTimestamp(value, text));
}

// The writer keeps the last minute's text: within a minute, across minutes and days, back again
// and with fractions it must write what formatTimestamp writes.
TEST(TimestampWriter, WritesWhatFormatTimestampWrites) {
  EXPECT_EQ(formatted(DateTime::fromParts(2024, 3, 7, 14, 5, 9, 250000)), "2024-03-07 14:05:09.25");
  EXPECT_EQ(formatted(DateTime::fromParts(1, 1, 1)), "0001-01-01 00:00:00");
  TimestampWriter writer;
  const auto written = [&writer](DateTime value) {
    char text[kTimestampTextMax];
    return std::string(text, writer.write(value, text));
  };
  const DateTime first = DateTime::fromParts(2023, 12, 31, 23, 59, 59, 999999);
  // Seconds apart: most times share the minute before them.
  for (DateTime value = first; value < first.addDays(1); value = value.addMicroseconds(7'000'001)) {
    ASSERT_EQ(written(value), formatted(value));
  }
  for (DateTime value = first; value < DateTime::fromParts(2024, 3, 1);
       value = value.addMicroseconds(3'999'000'001)) {
    ASSERT_EQ(written(value), formatted(value));
    ASSERT_EQ(written(first), formatted(first));
  }
}

}  // namespace
}  // namespace csv2sql::db
