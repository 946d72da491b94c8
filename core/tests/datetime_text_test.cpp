#include "core/datetime_text.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using namespace testing;

TEST(FormatDateTime, RendersEachField) {
  using Value = std::pair<DateTime, const char*>;  // the value and the pattern
  const Row<Value, std::string> rows[] = {
      {"log_file_name",
       {at(2026, 12, 5, 8, 15, 41), "_____mm_dd_yyyy__hh_nn"},
       "_____12_05_2026__08_15"},
      {"afternoon_is_24_hour_without_ampm",
       {at(2024, 3, 1, 15), "yyyy-mm-dd hh:mm:ss"},
       "2024-03-01 15:00:00"},
      {"log_line_morning", {at(2026, 12, 5, 8, 15, 41), "hh:mm:ss AMPM"}, "08:15:41 AM"},
      {"log_line_afternoon", {at(2026, 12, 5, 15, 4, 5), "hh:mm:ss AMPM"}, "03:04:05 PM"},
      {"log_line_midnight", {at(2026, 12, 5), "hh:mm:ss AMPM"}, "12:00:00 AM"},
      {"log_line_noon", {at(2026, 12, 5, 12), "hh:mm:ss AMPM"}, "12:00:00 PM"},
      {"archive_stamp_minute_follows_hour",
       {at(2024, 3, 7, 14, 5, 9), "__yymmdd_hhmmss"},
       "__240307_140509"},
      {"fraction_not_written", {at(2024, 3, 7, 14, 5, 9, 999999), "hh:nn:ss"}, "14:05:09"},
      {"two_digit_year_2000", {at(2000, 1, 2), "yy"}, "00"},
      {"first_year_in_four_digits", {at(1, 1, 1), "yyyy"}, "0001"},
      {"month_when_no_hour_before", {at(2024, 3, 7, 14, 5), "mm hh"}, "03 14"},
      {"minute_after_hour_and_literals", {at(2024, 3, 7, 14, 5), "hh_ mm"}, "14_ 05"},
      {"month_after_day_after_hour", {at(2024, 3, 7, 14, 5), "hh dd mm"}, "14 07 03"},
      {"other_characters_as_they_stand", {at(2024, 3, 7), "dd/mm/yyyy x."}, "07/03/2024 x."},
      {"empty_pattern", {at(2024, 3, 7), ""}, ""},
  };
  expectRows(rows, [](Value v) { return formatDateTime(v.first, v.second, kUnitedStates); });
  // The designator comes from the locale.
  EXPECT_EQ(formatDateTime(at(2026, 12, 5, 8), "hh AMPM", kBritish), "08 am");
  EXPECT_EQ(formatDateTime(at(2026, 12, 5, 18), "hh AMPM", kDayFirstTwelveHour), "06 p.m.");
}

TEST(FormatGeneralDate, FollowsTheLocale) {
  const struct {
    const char* name;
    const DateLocale& locale;
    DateTime value;
    const char* expected;
  } cases[] = {
      {"united_states", kUnitedStates, at(2024, 3, 7, 14, 5, 9), "3/7/2024 2:05:09 PM"},
      {"midnight_leaves_out_the_time", kUnitedStates, at(2024, 3, 7), "3/7/2024"},
      {"second_after_midnight", kUnitedStates, at(2024, 3, 7, 0, 0, 1), "3/7/2024 12:00:01 AM"},
      {"fraction_after_midnight_keeps_the_time", kUnitedStates, at(2024, 3, 7, 0, 0, 0, 500000),
       "3/7/2024 12:00:00 AM"},
      {"noon", kUnitedStates, at(2024, 12, 25, 12), "12/25/2024 12:00:00 PM"},
      {"year_always_four_digits", kUnitedStates, at(1, 1, 1, 1), "1/1/0001 1:00:00 AM"},
      {"british_two_digit_hour", kBritish, at(2024, 3, 7, 8, 5, 9), "07/03/2024 08:05:09"},
      {"german", kGerman, at(2024, 3, 7, 14, 5, 9), "07.03.2024 14:05:09"},
      {"year_first", kYearFirst, at(2024, 3, 7, 14, 5, 9), "2024-03-07 14:05:09"},
      {"day_first_twelve_hour", kDayFirstTwelveHour, at(2024, 3, 7, 14, 5, 9),
       "7-3-2024 2:05:09 p.m."},
  };
  for (const auto& c : cases) EXPECT_EQ(formatGeneralDate(c.value, c.locale), c.expected) << c.name;
}

TEST(FormatGeneralDate, ReadsBackToTheSecondInEveryLocale) {
  for (const DateLocale* locale :
       {&kUnitedStates, &kBritish, &kGerman, &kYearFirst, &kDayFirstTwelveHour}) {
    int checked = 0;
    // Odd steps through two years meet every hour, minute and second of the day.
    for (auto value = at(2023, 1, 1); value < at(2025, 1, 1);
         value = value.addMicroseconds(7'919'000'001), ++checked) {
      const auto text = formatGeneralDate(value, *locale);
      ASSERT_EQ(parseDateTime(text, *locale), value.addMicroseconds(-value.microsecond())) << text;
    }
    EXPECT_GT(checked, 7000);
    for (const auto value : {at(1, 1, 1, 0, 0, 1), at(9999, 12, 31, 23, 59, 59)}) {
      EXPECT_EQ(parseDateTime(formatGeneralDate(value, *locale), *locale), value);
    }
  }
}

// A time without a date falls on the zero date.
DateTime timeOnly(int hour, int minute, int second = 0, int microsecond = 0) {
  return at(1899, 12, 30, hour, minute, second, microsecond);
}

TEST(ParseDateTime, ReadsTheFormsOfTheUnitedStatesAndNothingElse) {
  const Row<const char*, std::optional<DateTime>> rows[] = {
      {"iso_date", "2024-03-07", at(2024, 3, 7)},
      {"iso_minutes", "2024-03-07 14:05", at(2024, 3, 7, 14, 5)},
      {"iso_seconds", "2024-03-07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"one_fraction_digit", "2024-03-07 14:05:09.5", at(2024, 3, 7, 14, 5, 9, 500000)},
      {"nine_fraction_digits_cut", "2024-03-07 14:05:09.123456789",
       at(2024, 3, 7, 14, 5, 9, 123456)},
      {"iso_slashes", "2024/03/07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"iso_one_digit_month_and_day", "2024-3-7", at(2024, 3, 7)},
      {"blanks_around", "  2024-03-07 14:05:09  ", at(2024, 3, 7, 14, 5, 9)},
      {"several_blanks_between", "2024-03-07   14:05", at(2024, 3, 7, 14, 5)},
      {"iso_with_designator", "2024-03-07 2:05:09 PM", at(2024, 3, 7, 14, 5, 9)},
      {"iso_month_name", "2024-Mar-07", at(2024, 3, 7)},
      {"short_date_one_digits", "3/7/2024", at(2024, 3, 7)},
      {"short_date_two_digits", "03/07/2024", at(2024, 3, 7)},
      {"short_date_twelve_hour_time", "3/7/2024 2:05:09 PM", at(2024, 3, 7, 14, 5, 9)},
      {"short_date_fraction", "3/7/2024 14:05:09.25", at(2024, 3, 7, 14, 5, 9, 250000)},
      {"two_digit_year_29", "3/7/29", at(2029, 3, 7)},
      {"two_digit_year_30", "3/7/30", at(1930, 3, 7)},
      {"time_fraction", "14:05:09.5", timeOnly(14, 5, 9, 500000)},
      {"time_midnight", "0:00", timeOnly(0, 0)},
      {"pm_without_blank", "2:05PM", timeOnly(14, 5)},
      {"lower_case_designator", "2:05 pm", timeOnly(14, 5)},
      {"midnight_is_12_am", "12:00:00 AM", timeOnly(0, 0)},
      {"noon_is_12_pm", "12:00:00 PM", timeOnly(12, 0)},
      {"one_am", "1:00 AM", timeOnly(1, 0)},
      {"fraction_then_designator", "2:05:09.25 PM", timeOnly(14, 5, 9, 250000)},
      {"name_day_comma_year", "March 7, 2024", at(2024, 3, 7)},
      {"name_day_year", "March 7 2024", at(2024, 3, 7)},
      {"abbreviation_comma_without_blank", "Mar 7,2024", at(2024, 3, 7)},
      {"day_name_year", "7 March 2024", at(2024, 3, 7)},
      {"day_abbreviation_year_time", "7 Mar 2024 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"dashed_name", "7-Mar-2024", at(2024, 3, 7)},
      {"name_upper_case", "MARCH 7, 2024", at(2024, 3, 7)},
      {"name_with_twelve_hour_time", "March 7, 2024 2:05 PM", at(2024, 3, 7, 14, 5)},
      {"short_name_in_full", "May 1 2024", at(2024, 5, 1)},
      // Everything else is no date-time.
      {"empty", "", std::nullopt},
      {"blanks", "   ", std::nullopt},
      {"word", "bad", std::nullopt},
      {"number", "12", std::nullopt},
      {"february_30", "2024-02-30", std::nullopt},
      {"hour_24", "24:00:00", std::nullopt},
      {"one_digit_minute", "10:5", std::nullopt},
      {"three_digit_hour", "100:00", std::nullopt},
      {"letter_t", "2024-03-07T14:05:09", std::nullopt},
      {"zone_z", "2024-03-07 14:05:09Z", std::nullopt},
      {"fraction_and_z", "2024-03-07 14:05:09.123Z", std::nullopt},
      {"trailing_word", "2024-03-07 x", std::nullopt},
      {"no_blank_before_time", "2024-03-0714:05", std::nullopt},
      {"tab_before_time", "2024-03-07\t14:05", std::nullopt},
      {"time_before_date", "14:05 2024-03-07", std::nullopt},
      {"mixed_iso_separators", "2024-03/07", std::nullopt},
      {"five_digit_year", "20240-03-07", std::nullopt},
      {"three_digit_month", "2024-003-07", std::nullopt},
      {"empty_fraction", "2024-03-07 14:05:09.", std::nullopt},
      {"ten_fraction_digits", "2024-03-07 14:05:09.1234567890", std::nullopt},
      {"fraction_without_seconds", "14:05.5", std::nullopt},
      {"day_first_never_swapped", "13/1/2024", std::nullopt},
      {"dashed_numbers", "3-7-2024", std::nullopt},
      {"three_digit_year", "3/7/202", std::nullopt},
      {"one_digit_year", "3/7/4", std::nullopt},
      {"two_fields", "3/7", std::nullopt},
      {"hour_0_with_designator", "0:30 AM", std::nullopt},
      {"hour_13_with_designator", "13:00 PM", std::nullopt},
      {"designator_twice", "2:05 PM PM", std::nullopt},
      {"designator_then_letters", "2:05 AMX", std::nullopt},
      {"designator_after_date", "2024-03-07 PM", std::nullopt},
      {"name_without_year", "March 7", std::nullopt},
      {"name_without_day", "March 2024", std::nullopt},
      {"name_and_day_glued", "Mar7 2024", std::nullopt},
      {"unknown_name", "Mrz 7 2024", std::nullopt},
      {"word_before_day_first_date", "Foo7 Mar 2024", std::nullopt},
      {"longer_word_than_name", "Marx 7 2024", std::nullopt},
      {"word_before_numeric_date", "x3/7/2024", std::nullopt},
      {"name_with_point", "Mar. 7, 2024", std::nullopt},
      {"high_bytes", "\xff\xfe", std::nullopt},
  };
  expectRows(rows, [](const char* text) { return parseDateTime(text, kUnitedStates); });
  EXPECT_EQ(parseDateTime(std::string_view("2024-03-07\0", 11), kUnitedStates),
            std::nullopt);  // NUL inside
}

TEST(ParseDateTime, OtherLocalesDecideTheOrderAndNothingIsSwapped) {
  const DateLocale french{.monthNames = {"janvier", "f\xC3\xA9vrier", "mars", "avril", "mai",
                                         "juin", "juillet", "ao\xC3\xBBt", "septembre", "octobre",
                                         "novembre",
                                         "d\xC3\xA9"
                                         "cembre"}};
  const struct {
    const char* name;
    const DateLocale& locale;
    const char* text;
    std::optional<DateTime> expected;
  } cases[] = {
      {"british_day_first", kBritish, "13/1/2024 14:05:09", at(2024, 1, 13, 14, 5, 9)},
      {"british_never_swaps_month_first", kBritish, "3/13/2024", std::nullopt},
      {"british_lower_case_designator", kBritish, "7/3/24 2:05 pm", at(2024, 3, 7, 14, 5)},
      {"british_keeps_iso", kBritish, "2024-03-07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"german_dots", kGerman, "07.03.2024 14:05:09", at(2024, 3, 7, 14, 5, 9)},
      {"german_slashes_are_not_its_form", kGerman, "07/03/2024", std::nullopt},
      {"german_month_name_upper_case", kGerman, "7 M\xC3\xA4RZ 2024", at(2024, 3, 7)},
      {"german_abbreviation", kGerman, "7-M\xC3\xA4r-2024", at(2024, 3, 7)},
      {"german_has_no_english_names", kGerman, "March 7, 2024", std::nullopt},
      {"german_date_twelve_hour_time", kGerman, "07.03.2024 2:05 PM", at(2024, 3, 7, 14, 5)},
      {"year_first", kYearFirst, "2024-3-7", at(2024, 3, 7)},
      {"year_first_two_digit_year", kYearFirst, "24-03-07", at(2024, 3, 7)},
      {"year_first_rejects_day_first", kYearFirst, "07-03-2024", std::nullopt},
      {"dashed_day_first", kDayFirstTwelveHour, "7-3-2024 2:05:09 p.m.", at(2024, 3, 7, 14, 5, 9)},
      {"dotted_designator_without_blank", kDayFirstTwelveHour, "7-3-2024 12:05a.m.",
       at(2024, 3, 7, 0, 5)},
      {"designator_of_another_locale", kDayFirstTwelveHour, "7-3-2024 2:05 PM", std::nullopt},
      {"dashed_numbers_before_dashed_name", kDayFirstTwelveHour, "7-Mar-2024", at(2024, 3, 7)},
      // "jui" abbreviates both juin and juillet, so it names neither.
      {"abbreviation_of_two_months", french, "7 jui 2024", std::nullopt},
      {"full_name_shorter_than_another", french, "7 juin 2024", at(2024, 6, 7)},
  };
  for (const auto& c : cases) EXPECT_EQ(parseDateTime(c.text, c.locale), c.expected) << c.name;
}

}  // namespace
}  // namespace csv2sql
