#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/datetime_text.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::at;
using testing::british;
using testing::caseName;
using testing::dayFirstTwelveHour;
using testing::german;
using testing::isoOrder;
using testing::PrintTo;

// ---- patterns

struct PatternCase {
  std::string name;
  DateTime value;
  std::string pattern, expected;
};
class Pattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(Pattern, Renders) {
  const auto& c = GetParam();
  EXPECT_EQ(formatDateTime(c.value, c.pattern, DateLocale::unitedStates()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Format, Pattern,
    ::testing::Values(
        PatternCase{"LogFileName", at(2026, 12, 5, 8, 15, 41), "_____mm_dd_yyyy__hh_nn",
                    "_____12_05_2026__08_15"},
        PatternCase{"LogFileNameAfternoonIs24Hour", at(2026, 12, 5, 20, 15, 41),
                    "_____mm_dd_yyyy__hh_nn", "_____12_05_2026__20_15"},
        PatternCase{"LogLineMorning", at(2026, 12, 5, 8, 15, 41), "hh:mm:ss AMPM", "08:15:41 AM"},
        PatternCase{"LogLineAfternoon", at(2026, 12, 5, 15, 4, 5), "hh:mm:ss AMPM", "03:04:05 PM"},
        PatternCase{"LogLineMidnight", at(2026, 12, 5), "hh:mm:ss AMPM", "12:00:00 AM"},
        PatternCase{"LogLineNoon", at(2026, 12, 5, 12), "hh:mm:ss AMPM", "12:00:00 PM"},
        PatternCase{"LogLineLastSecond", at(2026, 12, 5, 23, 59, 59), "hh:mm:ss AMPM",
                    "11:59:59 PM"},
        PatternCase{"ArchiveStampMinuteFollowsHour", at(2024, 3, 7, 14, 5, 9), "__yymmdd_hhmmss",
                    "__240307_140509"},
        PatternCase{"SqlMidnightKeepsTheTime", at(2024, 3, 1), "yyyy-mm-dd hh:mm:ss",
                    "2024-03-01 00:00:00"},
        PatternCase{"SqlAfternoonIs24Hour", at(2024, 3, 1, 15), "yyyy-mm-dd hh:mm:ss",
                    "2024-03-01 15:00:00"},
        PatternCase{"SqlExample", at(2026, 12, 5, 14, 7, 9), "yyyy-mm-dd hh:mm:ss",
                    "2026-12-05 14:07:09"},
        PatternCase{"FractionNotWritten", at(2024, 3, 7, 14, 5, 9, 999999), "hh:nn:ss", "14:05:09"},
        PatternCase{"TwoDigitYear2000", at(2000, 1, 2), "yy", "00"},
        PatternCase{"FirstYearInFourDigits", at(1, 1, 1), "yyyy", "0001"},
        PatternCase{"MonthWhenNoHourBefore", at(2024, 3, 7, 14, 5), "mm hh", "03 14"},
        PatternCase{"MinuteAfterHourAndLiterals", at(2024, 3, 7, 14, 5), "hh_ mm", "14_ 05"},
        PatternCase{"MonthAfterDayAfterHour", at(2024, 3, 7, 14, 5), "hh dd mm", "14 07 03"},
        PatternCase{"OtherCharactersAsTheyStand", at(2024, 3, 7), "dd/mm/yyyy x.", "07/03/2024 x."},
        PatternCase{"EmptyPattern", at(2024, 3, 7), "", ""}),
    caseName<PatternCase>);

TEST(Pattern, DesignatorComesFromTheLocale) {
  EXPECT_EQ(formatDateTime(at(2026, 12, 5, 8, 15, 41), "hh:mm:ss AMPM", british()), "08:15:41 am");
  EXPECT_EQ(formatDateTime(at(2026, 12, 5, 18, 15, 41), "hh:mm:ss AMPM", dayFirstTwelveHour()),
            "06:15:41 p.m.");
}

// ---- the general date

struct GeneralCase {
  std::string name;
  DateLocale locale;
  DateTime value;
  std::string expected;
};
class GeneralDate : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(GeneralDate, Renders) {
  EXPECT_EQ(formatGeneralDate(GetParam().value, GetParam().locale), GetParam().expected);
}

const DateLocale kUnitedStates = DateLocale::unitedStates();

INSTANTIATE_TEST_SUITE_P(
    Format, GeneralDate,
    ::testing::Values(
        GeneralCase{"UnitedStates", kUnitedStates, at(2024, 3, 7, 14, 5, 9), "3/7/2024 2:05:09 PM"},
        GeneralCase{"UnitedStatesMidnightLeavesOutTheTime", kUnitedStates, at(2024, 3, 7),
                    "3/7/2024"},
        GeneralCase{"UnitedStatesSecondAfterMidnight", kUnitedStates, at(2024, 3, 7, 0, 0, 1),
                    "3/7/2024 12:00:01 AM"},
        GeneralCase{"UnitedStatesFractionAfterMidnightKeepsTheTime", kUnitedStates,
                    at(2024, 3, 7, 0, 0, 0, 500000), "3/7/2024 12:00:00 AM"},
        GeneralCase{"UnitedStatesNoon", kUnitedStates, at(2024, 12, 25, 12),
                    "12/25/2024 12:00:00 PM"},
        GeneralCase{"British", british(), at(2024, 3, 7, 14, 5, 9), "07/03/2024 14:05:09"},
        GeneralCase{"BritishMorningHasTwoDigits", british(), at(2024, 3, 7, 8, 5, 9),
                    "07/03/2024 08:05:09"},
        GeneralCase{"German", german(), at(2024, 3, 7, 9, 5, 9), "07.03.2024 09:05:09"},
        GeneralCase{"YearFirst", isoOrder(), at(2024, 3, 7, 14, 5, 9), "2024-03-07 14:05:09"},
        GeneralCase{"DayFirstTwelveHour", dayFirstTwelveHour(), at(2024, 3, 7, 14, 5, 9),
                    "7-3-2024 2:05:09 p.m."},
        GeneralCase{"YearAlwaysFourDigits", kUnitedStates, at(1, 1, 1, 1), "1/1/0001 1:00:00 AM"}),
    caseName<GeneralCase>);

// ---- the general date reads back to the second in every locale

struct LocaleCase {
  std::string name;
  DateLocale locale;
};
class GeneralDateReadBack : public ::testing::TestWithParam<LocaleCase> {};

DateTime toTheSecond(DateTime value) {
  return value.addMicroseconds(-value.microsecond());
}

TEST_P(GeneralDateReadBack, EdgesOfTheDayAndTheCalendar) {
  const std::vector<DateTime> values = {at(2024, 3, 7),
                                        at(2024, 3, 7, 0, 0, 1),
                                        at(2024, 3, 7, 0, 59, 59),
                                        at(2024, 3, 7, 11, 59, 59),
                                        at(2024, 3, 7, 12),
                                        at(2024, 3, 7, 12, 30),
                                        at(2024, 3, 7, 13),
                                        at(2024, 3, 7, 23, 59, 59, 999999),
                                        at(2024, 2, 29, 6, 7, 8),
                                        at(1999, 12, 31, 23, 59, 59),
                                        at(2000, 1, 1),
                                        at(1, 1, 1, 0, 0, 1),
                                        at(9999, 12, 31, 23, 59, 59),
                                        at(2024, 3, 7, 0, 0, 0, 1)};
  for (const auto value : values) {
    const auto text = formatGeneralDate(value, GetParam().locale);
    EXPECT_EQ(parseDateTime(text, GetParam().locale), toTheSecond(value)) << text;
  }
}

TEST_P(GeneralDateReadBack, ThroughTwoYearsInOddSteps) {
  int checked = 0;
  for (auto value = at(2023, 1, 1); value < at(2025, 1, 1);
       value = value.addMicroseconds(7'919'000'001)) {
    const auto text = formatGeneralDate(value, GetParam().locale);
    ASSERT_EQ(parseDateTime(text, GetParam().locale), toTheSecond(value)) << text;
    ++checked;
  }
  EXPECT_GT(checked, 7000);
}

INSTANTIATE_TEST_SUITE_P(Format, GeneralDateReadBack,
                         ::testing::Values(LocaleCase{"UnitedStates", kUnitedStates},
                                           LocaleCase{"British", british()},
                                           LocaleCase{"German", german()},
                                           LocaleCase{"YearFirst", isoOrder()},
                                           LocaleCase{"DayFirstTwelveHour", dayFirstTwelveHour()}),
                         caseName<LocaleCase>);

}  // namespace
}  // namespace csv2sql
