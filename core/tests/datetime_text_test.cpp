#include "core/datetime_text.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using namespace testing;

TEST(FormatGeneralDate, FollowsTheLocaleAndReadsBackToTheSecond) {
  const Row<const DateLocale*, const char*> rows[] = {
      {"united_states", &kUnitedStates, "3/7/2024 2:05:09 PM"},
      {"british", &kBritish, "07/03/2024 14:05:09"},
      {"year_first", &kYearFirst, "2024-03-07 14:05:09"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(formatGeneralDate(at(2024, 3, 7, 14, 5, 9), *row.in), row.out) << row.name;
    // Odd steps through two years meet every hour, minute and second of the day.
    for (auto value = at(2023, 1, 1); value < at(2025, 1, 1);
         value = value.addMicroseconds(7'919'000'001)) {
      const auto text = formatGeneralDate(value, *row.in);
      ASSERT_EQ(parseDateTime(text, *row.in), value.addMicroseconds(-value.microsecond())) << text;
    }
  }
  EXPECT_EQ(formatGeneralDate(at(2024, 3, 7), kUnitedStates), "3/7/2024");  // midnight
}

// One row per rule of docs/datetime-forms.md; a time without a date falls on the zero date. The
// reader of many texts, given them in this order, keeps the day of one plain text for the next.
TEST(ParseDateTime, ReadsTheFormsOfTheUnitedStatesAndNothingElse) {
  const Row<const char*, std::optional<DateTime>> rows[] = {
      {"plain", "2024-03-07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"plain_same_day_fraction", "2024-03-07 14:05:09.25", at(2024, 3, 7, 14, 5, 9, 250000)},
      {"plain_same_day_hour_24", "2024-03-07 24:00:00", std::nullopt},
      {"plain_same_day_minute_60", "2024-03-07 10:60:00", std::nullopt},
      {"plain_same_day_second_60", "2024-03-07 10:59:60", std::nullopt},
      {"same_day_12_hour_time", "2024-03-07 2:05 PM", at(2024, 3, 7, 14, 5)},
      {"plain_next_day", "2024-03-08 00:00:00", at(2024, 3, 8)},
      {"iso_slashes_one_digit", "2024/3/7 14:05", at(2024, 3, 7, 14, 5)},
      {"blanks_around_and_between", "  2024-03-07   14:05  ", at(2024, 3, 7, 14, 5)},
      {"iso_month_name", "2024-Mar-07", at(2024, 3, 7)},
      {"short_date_12_am", "03/07/2024 12:05:09.5 AM", at(2024, 3, 7, 0, 5, 9, 500000)},
      {"fraction_never_moves_the_day", "3/7/2024 23:59:59.9999999",
       at(2024, 3, 7, 23, 59, 59, 999999)},
      {"two_digit_year_29", "3/7/29", at(2029, 3, 7)},
      {"two_digit_year_30", "3/7/30", at(1930, 3, 7)},
      {"pm_any_case_without_blank", "2:05pM", at(1899, 12, 30, 14, 5)},
      {"name_day_comma_year", "MARCH 7, 2024", at(2024, 3, 7)},
      {"dashed_name", "7-March-24", at(2024, 3, 7)},
      {"no_such_date", "2024-02-30 10:00:00", std::nullopt},
      {"hour_24", "24:00:00", std::nullopt},
      {"one_digit_minute", "10:5", std::nullopt},
      {"zone_letter", "2024-03-07 14:05:09.123Z", std::nullopt},
      {"tab_before_time", "2024-03-07\t14:05", std::nullopt},
      {"mixed_iso_separators", "2024-03/07", std::nullopt},
      {"ten_fraction_digits", "3/7/2024 14:05:09.1234567890", std::nullopt},
      {"fraction_without_seconds", "14:05.5", std::nullopt},
      {"day_first_never_swapped", "13/1/2024", std::nullopt},
      {"not_the_separator", "3-7-2024", std::nullopt},
      {"three_digit_year", "3/7/202", std::nullopt},
      {"hour_13_with_designator", "13:00 PM", std::nullopt},
      {"name_without_year", "March 7", std::nullopt},
      {"unknown_name", "Mrz 7 2024", std::nullopt},
  };
  expectRows(rows, [](const char* text) { return parseDateTime(text, kUnitedStates); });
  DateTimeReader reader(kUnitedStates);
  expectRows(rows, [&reader](const char* text) { return reader.read(text); });
}

TEST(ParseDateTime, OtherLocalesDecideTheOrderAndNothingIsSwapped) {
  DateLocale french;  // the names that matter here
  french.monthNames[1] = "f\xC3\xA9vrier", french.monthNames[5] = "juin";
  french.monthNames[6] = "juillet";
  using Text = std::pair<const DateLocale*, const char*>;
  const Row<Text, std::optional<DateTime>> rows[] = {
      {"british_day_first", {&kBritish, "13/1/2024 2:05 pm"}, at(2024, 1, 13, 14, 5)},
      {"ascii_letters_in_any_case", {&french, "7 F\xC3\xA9VRIER 2024"}, at(2024, 2, 7)},
      // "jui" abbreviates both juin and juillet, so it names neither.
      {"abbreviation_of_two_months", {&french, "7 jui 2024"}, std::nullopt},
      {"full_name_shorter_than_another", {&french, "7 juin 2024"}, at(2024, 6, 7)},
  };
  expectRows(rows, [](Text t) { return parseDateTime(t.second, *t.first); });
}

}  // namespace
}  // namespace csv2sql
