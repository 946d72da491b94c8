#include <gtest/gtest.h>

#include <string>

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

// A time without a date falls on the zero date.
DateTime timeOnly(int hour, int minute, int second = 0, int microsecond = 0) {
  return at(1899, 12, 30, hour, minute, second, microsecond);
}

struct Accepted {
  std::string name, text;
  DateTime expected;
};
struct Rejected {
  std::string name, text;
};

// ---- United States (month first, "/", 12-hour clock)

class UnitedStatesAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(UnitedStatesAccepts, Form) {
  EXPECT_EQ(parseDateTime(GetParam().text, DateLocale::unitedStates()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Iso, UnitedStatesAccepts,
    ::testing::Values(
        Accepted{"Date", "2024-03-07", at(2024, 3, 7)},
        Accepted{"DateAndMinutes", "2024-03-07 14:05", at(2024, 3, 7, 14, 5)},
        Accepted{"DateAndSeconds", "2024-03-07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"SixFractionDigits", "2024-03-07 14:05:09.123456",
                 at(2024, 3, 7, 14, 5, 9, 123456)},
        Accepted{"OneFractionDigit", "2024-03-07 14:05:09.5", at(2024, 3, 7, 14, 5, 9, 500000)},
        Accepted{"NineFractionDigitsCutToMicroseconds", "2024-03-07 14:05:09.123456789",
                 at(2024, 3, 7, 14, 5, 9, 123456)},
        Accepted{"FractionCutNeverReachesNextDay", "2024-12-31 23:59:59.9999999",
                 at(2024, 12, 31, 23, 59, 59, 999999)},
        Accepted{"SlashSeparator", "2024/03/07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"OneDigitMonthAndDay", "2024-3-7", at(2024, 3, 7)},
        Accepted{"BlanksAround", "  2024-03-07 14:05:09  ", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"SeveralBlanksBetween", "2024-03-07   14:05", at(2024, 3, 7, 14, 5)},
        Accepted{"TimeWithDesignator", "2024-03-07 2:05:09 PM", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"AbbreviatedMonth", "2024-Mar-07", at(2024, 3, 7)},
        Accepted{"LeapDay", "2024-02-29", at(2024, 2, 29)},
        Accepted{"LeapDayOfFourHundredYears", "2000-02-29 12:00", at(2000, 2, 29, 12)},
        Accepted{"FirstDay", "0001-01-01", at(1, 1, 1)},
        Accepted{"LastInstant", "9999-12-31 23:59:59.999999",
                 at(9999, 12, 31, 23, 59, 59, 999999)}),
    caseName<Accepted>);

INSTANTIATE_TEST_SUITE_P(
    ShortDate, UnitedStatesAccepts,
    ::testing::Values(
        Accepted{"OneDigits", "3/7/2024", at(2024, 3, 7)},
        Accepted{"TwoDigits", "03/07/2024", at(2024, 3, 7)},
        Accepted{"WithTwelveHourTime", "3/7/2024 2:05:09 PM", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"With24HourTime", "3/7/2024 14:05", at(2024, 3, 7, 14, 5)},
        Accepted{"WithFraction", "3/7/2024 14:05:09.25", at(2024, 3, 7, 14, 5, 9, 250000)},
        Accepted{"LastDayOfYear", "12/31/2024", at(2024, 12, 31)},
        Accepted{"TwoDigitYear", "3/7/24", at(2024, 3, 7)},
        Accepted{"TwoDigitYear00", "1/1/00", at(2000, 1, 1)},
        Accepted{"TwoDigitYear29", "3/7/29", at(2029, 3, 7)},
        Accepted{"TwoDigitYear30", "3/7/30", at(1930, 3, 7)},
        Accepted{"TwoDigitYear99", "12/31/99", at(1999, 12, 31)}),
    caseName<Accepted>);

INSTANTIATE_TEST_SUITE_P(
    Time, UnitedStatesAccepts,
    ::testing::Values(Accepted{"Seconds", "14:05:09", timeOnly(14, 5, 9)},
                      Accepted{"Minutes", "9:05", timeOnly(9, 5)},
                      Accepted{"Fraction", "14:05:09.5", timeOnly(14, 5, 9, 500000)},
                      Accepted{"Midnight", "0:00", timeOnly(0, 0)},
                      Accepted{"PmWithoutBlank", "2:05PM", timeOnly(14, 5)},
                      Accepted{"LowerCaseDesignator", "2:05 pm", timeOnly(14, 5)},
                      Accepted{"MixedCaseDesignator", "2:05 Am", timeOnly(2, 5)},
                      Accepted{"MidnightIs12Am", "12:00:00 AM", timeOnly(0, 0)},
                      Accepted{"NoonIs12Pm", "12:00:00 PM", timeOnly(12, 0)},
                      Accepted{"OneAm", "1:00 AM", timeOnly(1, 0)},
                      Accepted{"LastSecondPm", "11:59:59 PM", timeOnly(23, 59, 59)},
                      Accepted{"FractionThenDesignator", "2:05:09.25 PM",
                               timeOnly(14, 5, 9, 250000)}),
    caseName<Accepted>);

INSTANTIATE_TEST_SUITE_P(
    MonthName, UnitedStatesAccepts,
    ::testing::Values(
        Accepted{"NameDayCommaYear", "March 7, 2024", at(2024, 3, 7)},
        Accepted{"NameDayYear", "March 7 2024", at(2024, 3, 7)},
        Accepted{"AbbreviationDayYear", "Mar 7 2024", at(2024, 3, 7)},
        Accepted{"CommaWithoutBlank", "Mar 7,2024", at(2024, 3, 7)},
        Accepted{"DayNameYear", "7 March 2024", at(2024, 3, 7)},
        Accepted{"DayAbbreviationYearTime", "7 Mar 2024 14:05:09", at(2024, 3, 7, 14, 5, 9)},
        Accepted{"Dashed", "7-Mar-2024", at(2024, 3, 7)},
        Accepted{"DashedTwoDigitYear", "07-Mar-24", at(2024, 3, 7)},
        Accepted{"UpperCase", "MARCH 7, 2024", at(2024, 3, 7)},
        Accepted{"LowerCase", "7-mar-2024", at(2024, 3, 7)},
        Accepted{"WithTwelveHourTime", "March 7, 2024 2:05 PM", at(2024, 3, 7, 14, 5)},
        Accepted{"ShortNameInFull", "May 1 2024", at(2024, 5, 1)},
        Accepted{"SeptemberAbbreviated", "Sep 30 2024", at(2024, 9, 30)}),
    caseName<Accepted>);

class UnitedStatesRejects : public ::testing::TestWithParam<Rejected> {};

TEST_P(UnitedStatesRejects, Text) {
  EXPECT_EQ(parseDateTime(GetParam().text, DateLocale::unitedStates()), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Parse, UnitedStatesRejects,
    ::testing::Values(
        Rejected{"Empty", ""}, Rejected{"Blanks", "   "}, Rejected{"Word", "bad"},
        Rejected{"Header", "Total"}, Rejected{"CleanedHeader", " otal"}, Rejected{"Number", "12"},
        Rejected{"NegativeNumber", "-1"}, Rejected{"Month13", "2024-13-01"},
        Rejected{"February30", "2024-02-30"}, Rejected{"LeapDayOfOrdinaryYear", "2023-02-29"},
        Rejected{"LeapDayOfPlainCentury", "1900-02-29"}, Rejected{"Year0", "0000-01-01"},
        Rejected{"Hour24", "24:00:00"}, Rejected{"Minute60", "10:60"},
        Rejected{"Second60", "10:00:60"}, Rejected{"OneDigitMinute", "10:5"},
        Rejected{"ThreeDigitHour", "100:00"}, Rejected{"HourOnly", "14"},
        Rejected{"LetterT", "2024-03-07T14:05:09"}, Rejected{"LowerCaseT", "2024-03-07t14:05:09"},
        Rejected{"ZoneZ", "2024-03-07 14:05:09Z"}, Rejected{"LowerCaseZ", "2024-03-07 14:05:09z"},
        Rejected{"FractionAndZ", "2024-03-07 14:05:09.123Z"},
        Rejected{"ZoneOffset", "2024-03-07 14:05:09+01:00"},
        Rejected{"ZoneOffsetAfterBlank", "2024-03-07 14:05:09 +01:00"},
        Rejected{"TrailingWord", "2024-03-07 x"}, Rejected{"TrailingComma", "2024-03-07,"},
        Rejected{"NoBlankBeforeTime", "2024-03-0714:05"},
        Rejected{"TabBeforeTime", "2024-03-07\t14:05"},
        Rejected{"TimeBeforeDate", "14:05 2024-03-07"},
        Rejected{"MixedIsoSeparators", "2024-03/07"}, Rejected{"FiveDigitYear", "20240-03-07"},
        Rejected{"ThreeDigitMonth", "2024-003-07"},
        Rejected{"EmptyFraction", "2024-03-07 14:05:09."},
        Rejected{"TenFractionDigits", "2024-03-07 14:05:09.1234567890"},
        Rejected{"FractionWithoutSeconds", "14:05.5"},
        Rejected{"DayFirstDateNeverSwapped", "13/1/2024"},
        Rejected{"ChristmasDayFirst", "25/12/2024"}, Rejected{"OtherSeparator", "3.7.2024"},
        Rejected{"DashedNumbers", "3-7-2024"}, Rejected{"ThreeDigitYear", "3/7/202"},
        Rejected{"OneDigitYear", "3/7/4"}, Rejected{"TwoFields", "3/7"},
        Rejected{"Hour0WithDesignator", "0:30 AM"}, Rejected{"Hour13WithDesignator", "13:00 PM"},
        Rejected{"DesignatorAlone", "PM"}, Rejected{"DesignatorTwice", "2:05 PM PM"},
        Rejected{"DesignatorThenLetters", "2:05 AMX"},
        Rejected{"DesignatorAfterDate", "2024-03-07 PM"}, Rejected{"NameWithoutYear", "March 7"},
        Rejected{"NameWithoutDay", "March 2024"}, Rejected{"NameAndDayGlued", "Mar7 2024"},
        Rejected{"UnknownName", "Mrz 7 2024"}, Rejected{"TwoLetterName", "Ma 7 2024"},
        Rejected{"WordBeforeDayFirstDate", "Foo7 Mar 2024"},
        Rejected{"LongerWordThanName", "Marx 7 2024"},
        Rejected{"WordBeforeNumericDate", "x3/7/2024"}, Rejected{"NameWithPoint", "Mar. 7, 2024"},
        Rejected{"ThirtyFirstOfApril", "April 31, 2024"},
        Rejected{"NulInside", std::string("2024-03-07\0", 11)}, Rejected{"HighBytes", "\xff\xfe"}),
    caseName<Rejected>);

// ---- other orders: the locale decides, nothing is swapped

struct LocaleCase {
  std::string name;
  DateLocale locale;
  std::string text;
  std::optional<DateTime> expected;
};
class OtherLocales : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(OtherLocales, ReadByTheLocale) {
  EXPECT_EQ(parseDateTime(GetParam().text, GetParam().locale), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parse, OtherLocales,
    ::testing::Values(
        LocaleCase{"BritishDayFirst", british(), "07/03/2024", at(2024, 3, 7)},
        LocaleCase{"BritishThirteenthOfJanuary", british(), "13/1/2024 14:05:09",
                   at(2024, 1, 13, 14, 5, 9)},
        LocaleCase{"BritishNeverSwapsMonthFirst", british(), "3/13/2024", std::nullopt},
        LocaleCase{"BritishLowerCaseDesignator", british(), "7/3/24 2:05 pm",
                   at(2024, 3, 7, 14, 5)},
        LocaleCase{"BritishKeepsIso", british(), "2024-03-07 14:05:09", at(2024, 3, 7, 14, 5, 9)},
        LocaleCase{"GermanDots", german(), "07.03.2024 14:05:09", at(2024, 3, 7, 14, 5, 9)},
        LocaleCase{"GermanSlashesAreNotItsForm", german(), "07/03/2024", std::nullopt},
        LocaleCase{"GermanMonthName", german(), "7 M\xC3\xA4rz 2024", at(2024, 3, 7)},
        LocaleCase{"GermanMonthNameUpperCase", german(), "7 M\xC3\xA4RZ 2024", at(2024, 3, 7)},
        LocaleCase{"GermanAbbreviation", german(), "7-M\xC3\xA4r-2024", at(2024, 3, 7)},
        LocaleCase{"GermanHasNoEnglishNames", german(), "March 7, 2024", std::nullopt},
        LocaleCase{"GermanOktober", german(), "Okt 3 2024", at(2024, 10, 3)},
        LocaleCase{"GermanDateWithTwelveHourTime", german(), "07.03.2024 2:05 PM",
                   at(2024, 3, 7, 14, 5)},
        LocaleCase{"YearFirstLocale", isoOrder(), "2024-3-7", at(2024, 3, 7)},
        LocaleCase{"YearFirstTwoDigitYear", isoOrder(), "24-03-07", at(2024, 3, 7)},
        LocaleCase{"YearFirstRejectsDayFirst", isoOrder(), "07-03-2024", std::nullopt},
        LocaleCase{"DashedDayFirst", dayFirstTwelveHour(), "7-3-2024 2:05:09 p.m.",
                   at(2024, 3, 7, 14, 5, 9)},
        LocaleCase{"DottedDesignatorWithoutBlank", dayFirstTwelveHour(), "7-3-2024 12:05a.m.",
                   at(2024, 3, 7, 0, 5)},
        LocaleCase{"DesignatorOfAnotherLocale", dayFirstTwelveHour(), "7-3-2024 2:05 PM",
                   std::nullopt},
        LocaleCase{"DashedNumbersBeforeDashedName", dayFirstTwelveHour(), "7-Mar-2024",
                   at(2024, 3, 7)}),
    caseName<LocaleCase>);

TEST(MonthNames, AnAbbreviationOfTwoMonthsNamesNeither) {
  DateLocale french = DateLocale::unitedStates();
  french.monthNames = {"janvier",
                       "f\xC3\xA9vrier",
                       "mars",
                       "avril",
                       "mai",
                       "juin",
                       "juillet",
                       "ao\xC3\xBBt",
                       "septembre",
                       "octobre",
                       "novembre",
                       "d\xC3\xA9"
                       "cembre"};
  EXPECT_EQ(parseDateTime("7 jui 2024", french), std::nullopt);
  EXPECT_EQ(parseDateTime("7 juin 2024", french), at(2024, 6, 7));
  EXPECT_EQ(parseDateTime("7 juillet 2024", french), at(2024, 7, 7));
  EXPECT_EQ(parseDateTime("7 f\xC3\xA9v 2024", french), at(2024, 2, 7));
  EXPECT_EQ(parseDateTime("7 mai 2024", french), at(2024, 5, 7));
}

}  // namespace
}  // namespace csv2sql
