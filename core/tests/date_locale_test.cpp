#include "core/date_locale.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::caseName;
using testing::PrintTo;

using Order = DateLocale::Order;

// A locale whose time facet writes what a national locale of the C library would: each test
// scripts "%x", "%X", "%p" and "%B" for the moment it is given.
using Script = std::function<std::string(const std::tm&, char)>;

class ScriptedTimePut : public std::time_put<char> {
 public:
  explicit ScriptedTimePut(Script script) : script_(std::move(script)) {}

 protected:
  iter_type do_put(iter_type out, std::ios_base&, char, const std::tm* when, char format,
                   char) const override {
    for (const char c : script_(*when, format)) *out++ = c;
    return out;
  }

 private:
  Script script_;
};

std::locale scripted(Script script) {
  return std::locale(std::locale::classic(), new ScriptedTimePut(std::move(script)));
}

std::string print(const char* format, int a, int b, int c) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

const std::array<std::string, 12> kEnglish = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
const std::array<std::string, 12> kGerman = {"Januar",    "Februar", "M\xC3\xA4rz", "April",
                                             "Mai",       "Juni",    "Juli",        "August",
                                             "September", "Oktober", "November",    "Dezember"};

// Builds a script from a short date, a long time and the designators.
Script script(std::function<std::string(const std::tm&)> shortDate,
              std::function<std::string(const std::tm&)> longTime, std::string am, std::string pm,
              const std::array<std::string, 12>& months = kEnglish) {
  return [=](const std::tm& when, char format) -> std::string {
    switch (format) {
      case 'x':
        return shortDate(when);
      case 'X':
        return longTime(when);
      case 'p':
        return when.tm_hour < 12 ? am : pm;
      case 'B':
        return months[when.tm_mon];
      default:
        return "?";
    }
  };
}

std::string hour24(const std::tm& t) {
  return print("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
}
std::string hour12(const std::tm& t) {
  return print("%02d:%02d:%02d", t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, t.tm_min, t.tm_sec) +
         (t.tm_hour < 12 ? " AM" : " PM");
}

TEST(DateLocale, UnitedStatesIsMonthFirstWithTwelveHours) {
  const auto us = DateLocale::unitedStates();
  EXPECT_EQ(us.order, Order::MonthDayYear);
  EXPECT_EQ(us.separator, '/');
  EXPECT_FALSE(us.twoDigitDayMonth);
  EXPECT_TRUE(us.twelveHourClock);
  EXPECT_EQ(us.am, "AM");
  EXPECT_EQ(us.pm, "PM");
  EXPECT_EQ(us.monthNames, kEnglish);
}

TEST(DateLocale, TheCAndPosixLocalesGiveUnitedStates) {
  EXPECT_EQ(DateLocale::fromLocale(std::locale::classic()), DateLocale::unitedStates());
  EXPECT_EQ(DateLocale::fromLocale(std::locale("POSIX")), DateLocale::unitedStates());
}

TEST(DateLocale, SystemIsWorkedOutOnceFromTheEnvironment) {
  DateLocale expected;
  try {
    expected = DateLocale::fromLocale(std::locale(""));
  } catch (const std::exception&) {
    expected = DateLocale::unitedStates();
  }
  EXPECT_EQ(DateLocale::system(), expected);
  EXPECT_EQ(&DateLocale::system(), &DateLocale::system());
}

TEST(DateLocale, UnitedStatesOfTheCLibrary) {
  const auto us = DateLocale::fromLocale(scripted(script(
      [](const std::tm& t) {
        return print("%02d/%02d/%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
      },
      hour12, "AM", "PM")));
  EXPECT_EQ(us.order, Order::MonthDayYear);
  EXPECT_EQ(us.separator, '/');
  EXPECT_TRUE(us.twoDigitDayMonth);
  EXPECT_TRUE(us.twelveHourClock);
  EXPECT_EQ(us.am, "AM");
  EXPECT_EQ(us.pm, "PM");
  EXPECT_EQ(us.monthNames, kEnglish);
}

TEST(DateLocale, OneDigitDayAndMonth) {
  const auto locale = DateLocale::fromLocale(scripted(script(
      [](const std::tm& t) {
        return print("%d/%d/%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
      },
      hour12, "AM", "PM")));
  EXPECT_EQ(locale.order, Order::MonthDayYear);
  EXPECT_FALSE(locale.twoDigitDayMonth);
}

TEST(DateLocale, BritishWithTwoDigitYearAndLowerCaseDesignators) {
  const auto gb = DateLocale::fromLocale(scripted(script(
      [](const std::tm& t) {
        return print("%02d/%02d/%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100);
      },
      hour24, "am", "pm")));
  EXPECT_EQ(gb.order, Order::DayMonthYear);
  EXPECT_EQ(gb.separator, '/');
  EXPECT_TRUE(gb.twoDigitDayMonth);
  EXPECT_FALSE(gb.twelveHourClock);
  EXPECT_EQ(gb.am, "am");
  EXPECT_EQ(gb.pm, "pm");
}

TEST(DateLocale, GermanWithoutDesignatorsKeepsAmAndPm) {
  const auto de = DateLocale::fromLocale(scripted(script(
      [](const std::tm& t) {
        return print("%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
      },
      hour24, "", "", kGerman)));
  EXPECT_EQ(de.order, Order::DayMonthYear);
  EXPECT_EQ(de.separator, '.');
  EXPECT_FALSE(de.twelveHourClock);
  EXPECT_EQ(de.am, "AM");
  EXPECT_EQ(de.pm, "PM");
  EXPECT_EQ(de.monthNames, kGerman);
}

TEST(DateLocale, YearFirst) {
  const auto sv = DateLocale::fromLocale(scripted(script(
      [](const std::tm& t) {
        return print("%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
      },
      hour24, "fm", "em")));
  EXPECT_EQ(sv.order, Order::YearMonthDay);
  EXPECT_EQ(sv.separator, '-');
  EXPECT_TRUE(sv.twoDigitDayMonth);
}

struct UnreadableCase {
  std::string name;
  std::function<std::string(const std::tm&)> shortDate;
};
class UnreadableShortDate : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableShortDate, FallsBackToTheIsoOrder) {
  const auto locale =
      DateLocale::fromLocale(scripted(script(GetParam().shortDate, hour24, "AM", "PM")));
  EXPECT_EQ(locale.order, Order::YearMonthDay);
  EXPECT_EQ(locale.separator, '-');
  EXPECT_TRUE(locale.twoDigitDayMonth);
}

INSTANTIATE_TEST_SUITE_P(
    DateLocale, UnreadableShortDate,
    ::testing::Values(
        UnreadableCase{"UnitsAfterNumbers",  // ja_JP
                       [](const std::tm& t) {
                         return print("%04d\xE5\xB9\xB4%02d\xE6\x9C\x88%02d\xE6\x97\xA5",
                                      t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
                       }},
        UnreadableCase{"SeparatorWithBlank",  // hu_HU of some libraries
                       [](const std::tm& t) {
                         return print("%04d. %02d. %02d.", t.tm_year + 1900, t.tm_mon + 1,
                                      t.tm_mday);
                       }},
        UnreadableCase{"TrailingSeparator",
                       [](const std::tm& t) {
                         return print("%02d.%02d.%04d.", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
                       }},
        UnreadableCase{"TwoSeparators",
                       [](const std::tm& t) {
                         return print("%02d/%02d-%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
                       }},
        UnreadableCase{"YearDayMonth",
                       [](const std::tm& t) {
                         return print("%04d/%02d/%02d", t.tm_year + 1900, t.tm_mday, t.tm_mon + 1);
                       }},
        UnreadableCase{"MonthName",
                       [](const std::tm& t) {
                         return std::to_string(t.tm_mday) + "-Nov-" +
                                std::to_string(t.tm_year + 1900);
                       }},
        UnreadableCase{"Empty", [](const std::tm&) { return std::string(); }}),
    caseName<UnreadableCase>);

}  // namespace
}  // namespace csv2sql
