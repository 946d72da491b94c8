#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/date_locale.h"
#include "core/datetime.h"

namespace csv2sql {

// A date-time form that a file's stamps are read by instead of the general recognition:
// "ISO" (ISO 8601 with "T" or a blank, and "Z", "+hh:mm" or "+hhmm": the UTC instant),
// "UNIX" / "UNIXMS" (seconds / milliseconds since 1970-01-01 UTC, a fraction allowed), "EXCEL"
// (days since 1899-12-30, the fraction the time of day, to the millisecond), or a pattern of the
// program's letters: "yyyy" "yy" "mm" (the minute after "hh") "dd" "hh" "nn" "ss" "AMPM", and
// "f" for each digit of a fraction of a second; every other character but a letter stands for
// itself. The day, month, hour, minute and second take one or two digits.
class DateFormat {
 public:
  // Nothing when the text is none of the named forms and no pattern that can be read: a letter
  // that is none of the program's, a field twice, no day, month or year, AM/PM without an hour.
  static std::optional<DateFormat> read(std::string_view text);

  // The stamp a text stands for; nothing when it does not match, or names no real date.
  // decimalMark: of the numbers of "UNIX", "UNIXMS" and "EXCEL".
  std::optional<DateTime> parse(std::string_view text, char decimalMark = '.',
                                const DateLocale& locale = DateLocale::system()) const;

 private:
  enum class Kind { Pattern, Iso, Unix, UnixMs, Excel };
  enum class Field { Year4, Year2, Month, Day, Hour, Minute, Second, Fraction, AmPm, Literal };
  struct Step {
    Field field;
    char literal = 0;
    int digits = 0;  // of a fraction
  };
  explicit DateFormat(Kind kind) : kind_(kind) {}
  std::optional<DateTime> parsePattern(std::string_view text, const DateLocale& locale) const;

  Kind kind_;
  std::vector<Step> steps_;
  bool twelveHourClock_ = false;
};

// A number with the given decimal mark ("12,5", "1,5E3" with ","): a text that holds the other
// mark is none. Allocates nothing.
std::optional<double> parseNumberWithMark(std::string_view text, char decimalMark);

}  // namespace csv2sql
