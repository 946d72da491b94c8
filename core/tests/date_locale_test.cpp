#include "core/date_locale.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using namespace testing;

// What a national locale of the C library would write for "%x", "%X", "%p" and "%B". The short
// date follows a pattern: Y year, y two-digit year, M and D month and day, m and d the same
// with two digits; any other byte stands for itself.
struct Script {
  std::string date;
  bool twelveHour;
  std::string am, pm;
  std::array<std::string, 12> months = DateLocale().monthNames;
};

class ScriptedTimePut : public std::time_put<char> {
 public:
  explicit ScriptedTimePut(Script script) : script_(std::move(script)) {}

 protected:
  iter_type do_put(iter_type out, std::ios_base&, char, const std::tm* t, char format,
                   char) const override {
    std::string text;
    const auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    const int hour = script_.twelveHour ? (t->tm_hour + 11) % 12 + 1 : t->tm_hour;
    if (format == 'X') text = two(hour) + ":" + two(t->tm_min) + ":" + two(t->tm_sec);
    if (format == 'p') text = t->tm_hour < 12 ? script_.am : script_.pm;
    if (format == 'B') text = script_.months[t->tm_mon];
    for (const char c : format == 'x' ? script_.date : "") {
      const int year = t->tm_year + 1900, month = t->tm_mon + 1;
      text += c == 'Y'   ? std::to_string(year)
              : c == 'y' ? two(year % 100)
              : c == 'M' ? std::to_string(month)
              : c == 'm' ? two(month)
              : c == 'D' ? std::to_string(t->tm_mday)
              : c == 'd' ? two(t->tm_mday)
                         : std::string(1, c);
    }
    for (const char c : text) *out++ = c;
    return out;
  }

 private:
  Script script_;
};

DateLocale fromScript(Script script) {
  return DateLocale::fromLocale(
      std::locale(std::locale::classic(), new ScriptedTimePut(std::move(script))));
}

TEST(DateLocale, TheCAndPosixLocalesGiveUnitedStates) {
  EXPECT_EQ(DateLocale::fromLocale(std::locale::classic()), kUnitedStates);
  EXPECT_EQ(DateLocale::fromLocale(std::locale("POSIX")), kUnitedStates);
}

TEST(DateLocale, SystemIsWorkedOutOnceFromTheEnvironment) {
  DateLocale environment = kUnitedStates;
  try {
    environment = DateLocale::fromLocale(std::locale(""));
  } catch (const std::exception&) {
  }
  EXPECT_EQ(DateLocale::system(), environment);
  EXPECT_EQ(&DateLocale::system(), &DateLocale::system());
}

TEST(DateLocale, ReadsWhatTheTimeFacetWrites) {
  const DateLocale isoOrder{.order = Order::YearMonthDay,
                            .separator = '-',
                            .twoDigitDayMonth = true,
                            .twelveHourClock = false};
  const struct {
    const char* name;
    Script script;
    DateLocale expected;
  } cases[] = {
      {"one_digit_day_and_month", {"M/D/Y", true, "AM", "PM"}, kUnitedStates},
      {"two_digit_day_and_month", {"m/d/Y", true, "AM", "PM"}, {.twoDigitDayMonth = true}},
      {"british_two_digit_year", {"d/m/y", false, "am", "pm"}, kBritish},
      {"german_without_designators_keeps_am_pm",
       {"d.m.Y", false, "", "", kGerman.monthNames},
       kGerman},
      {"year_first",
       {"Y-m-d", false, "fm", "em"},
       {.order = Order::YearMonthDay,
        .separator = '-',
        .twoDigitDayMonth = true,
        .twelveHourClock = false,
        .am = "fm",
        .pm = "em"}},
      // A short date that is not three numbers with one separator gives the ISO order.
      {"units_after_numbers",
       {"Y\xE5\xB9\xB4m\xE6\x9C\x88"
        "d\xE6\x97\xA5",
        false, "", ""},
       isoOrder},
      {"separator_with_blank", {"Y. m. d.", false, "", ""}, isoOrder},
      {"trailing_separator", {"d.m.Y.", false, "", ""}, isoOrder},
      {"two_separators", {"d/m-Y", false, "", ""}, isoOrder},
      {"year_day_month", {"Y/d/m", false, "", ""}, isoOrder},
      {"month_name", {"D-Nov-Y", false, "", ""}, isoOrder},
      {"empty", {"", false, "", ""}, isoOrder},
  };
  for (const auto& c : cases) EXPECT_EQ(fromScript(c.script), c.expected) << c.name;
}

}  // namespace
}  // namespace csv2sql
