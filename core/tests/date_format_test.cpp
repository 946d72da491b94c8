#include "core/date_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using namespace testing;

// Patterns that no stamp can be read by: each fails the run before any file is touched.
TEST(DateFormat, PatternsThatCannotBeUnderstood) {
  for (const char* pattern :
       {"dd.MM.yyyy", "dd.mm", "mm.yyyy", "dd.mm.yy.yyyy", "dd.mm.yyyy AMPM",
        "dd.mm.yyyy hh:nn:ss.ffffffffff", "dd.mm.yyyy q", "iso", "d.m.yyyy"}) {
    EXPECT_FALSE(DateFormat::read(pattern).has_value()) << pattern;
  }
}

// "pattern|text" and the stamp it reads, or none.
TEST(DateFormat, ReadsTheStampsOfItsForm) {
  const auto at = [](int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int us = 0) {
    return std::optional<DateTime>(DateTime::fromParts(y, mo, d, h, mi, s, us));
  };
  const Row<std::pair<const char*, const char*>, std::optional<DateTime>> rows[] = {
      {"one_digit_day_and_month", {"dd.mm.yyyy hh:nn:ss", "7.3.2024 10:00:00"}, at(2024, 3, 7, 10)},
      {"minute_after_hour", {"dd/mm/yy hh:mm", " 07/03/24 10:05 "}, at(2024, 3, 7, 10, 5)},
      {"compact", {"yyyymmddhhnnss", "20240307100509"}, at(2024, 3, 7, 10, 5, 9)},
      {"afternoon", {"mm/dd/yyyy hh:nn AMPM", "03/07/2024 02:30 pm"}, at(2024, 3, 7, 14, 30)},
      {"twelve_midnight", {"mm/dd/yyyy hh:nn AMPM", "03/07/2024 12:30 AM"}, at(2024, 3, 7, 0, 30)},
      {"fraction_of_three",
       {"yyyy-mm-dd hh:nn:ss.fff", "2024-03-07 10:00:00.123"},
       at(2024, 3, 7, 10, 0, 0, 123000)},
      {"fraction_too_short", {"yyyy-mm-dd hh:nn:ss.fff", "2024-03-07 10:00:00.12"}, std::nullopt},
      {"literal_differs", {"dd.mm.yyyy", "07/03/2024"}, std::nullopt},
      {"text_left_over", {"dd.mm.yyyy", "07.03.2024 10:00"}, std::nullopt},
      {"no_such_day", {"dd.mm.yyyy", "30.02.2024"}, std::nullopt},
      {"iso_plus_hhmm", {"ISO", "2024-03-07T12:30:00+0230"}, at(2024, 3, 7, 10)},
      {"iso_date_only", {"ISO", "2024-03-07"}, at(2024, 3, 7)},
      {"iso_zone_past_the_calendar", {"ISO", "0001-01-01T00:00:00+01:00"}, std::nullopt},
      {"unix_negative", {"UNIX", "-86400"}, at(1969, 12, 31)},
      {"unix_past_the_calendar", {"UNIX", "1e300"}, std::nullopt},
      {"excel_rounded_to_the_millisecond",
       {"EXCEL", "1.0000000115741"},
       at(1899, 12, 31, 0, 0, 0, 1000)},
  };
  expectRows(rows, [](std::pair<const char*, const char*> in) {
    return DateFormat::read(in.first)->parse(in.second, '.', DateLocale::unitedStates());
  });
}

TEST(DateFormat, NumbersWithADecimalComma) {
  EXPECT_EQ(parseNumberWithMark("12,5", ','), 12.5);
  EXPECT_EQ(parseNumberWithMark("1,5E3", ','), 1500);
  EXPECT_EQ(parseNumberWithMark("1.234,5", ','), std::nullopt);
  EXPECT_EQ(DateFormat::read("UNIX")->parse("1709805600,5", ','),
            DateTime::fromParts(2024, 3, 7, 10, 0, 0, 500000));
}

}  // namespace
}  // namespace csv2sql
