#include "core/date_locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using namespace testing;

// What a national locale's time facet writes: "%x" of 23 November and of 7 March 2024, the hour
// that "%X" starts with on a 12- or 24-hour clock, the designators of "%p".
struct Script {
  std::string november23, march7;
  bool twelveHour;
  std::string am, pm;
};

class ScriptedTimePut : public std::time_put<char> {
 public:
  explicit ScriptedTimePut(Script script) : script_(std::move(script)) {}

 protected:
  iter_type do_put(iter_type out, std::ios_base&, char, const std::tm* t, char format,
                   char) const override {
    const std::string text =
        format == 'x'   ? (t->tm_mon == 10 ? script_.november23 : script_.march7)
        : format == 'X' ? std::to_string(t->tm_hour % (script_.twelveHour ? 12 : 24)) + ":04"
        : format == 'p' ? (t->tm_hour < 12 ? script_.am : script_.pm)
                        : DateLocale().monthNames[t->tm_mon];
    return std::copy(text.begin(), text.end(), out);
  }

 private:
  Script script_;
};

TEST(DateLocale, ReadsWhatTheTimeFacetWrites) {
  const Row<Script, DateLocale> rows[] = {
      {"one_digit_day_and_month", {"11/23/2024", "3/7/2024", true, "AM", "PM"}, kUnitedStates},
      {"british_two_digit_year", {"23/11/24", "07/03/24", false, "am", "pm"}, kBritish},
      {"year_first_without_designators", {"2024-11-23", "2024-03-07", false, "", ""}, kYearFirst},
      // A short date that is not three numbers with one separator gives the ISO order.
      {"trailing_separator", {"23.11.2024.", "7.3.2024.", false, "", ""}, kYearFirst},
      {"two_separators", {"23/11-2024", "7/3-2024", false, "", ""}, kYearFirst},
  };
  // The C and POSIX locales say nothing of dates.
  EXPECT_EQ(DateLocale::fromLocale(std::locale("POSIX")), kUnitedStates);
  expectRows(rows, [](Script script) {
    return DateLocale::fromLocale(
        std::locale(std::locale::classic(), new ScriptedTimePut(std::move(script))));
  });
}

}  // namespace
}  // namespace csv2sql
