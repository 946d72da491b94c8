#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/date_locale.h"
#include "core/datetime.h"

namespace csv2sql {

// The general date-time recognition: the forms listed in docs/datetime-forms.md (ISO dates
// and times with fractions of a second, the locale's numeric short date with and without a
// time, 12-hour times with AM/PM, month names). Allocates nothing.
std::optional<DateTime> parseDateTime(std::string_view text,
                                      const DateLocale& locale = DateLocale::system());

// Reads the date-times of many texts in turn, as parseDateTime does, with less work for a run of
// "yyyy-mm-dd hh:mm:ss" texts of the same day (the rows of a file of readings): the day of the
// last one is kept, so that only the time of the next is converted.
class DateTimeReader {
 public:
  explicit DateTimeReader(const DateLocale& locale = DateLocale::system()) : locale_(locale) {}
  std::optional<DateTime> read(std::string_view text);

 private:
  const DateLocale& locale_;
  std::array<char, 10> day_{};
  std::int64_t dayStart_ = -1;  // microseconds at the start of day_; none before the first
};

// Renders a date-time with a pattern: "yyyy" year, "yy" two-digit year, "mm" month (minute when
// the field before it is "hh", as in "hh:mm" and "hhmmss"), "dd" day, "hh" hour (12-hour clock
// when "AMPM" is present, else 24-hour), "nn" minute, "ss" second, "AMPM" the locale's
// designator; every other character ("_", "-", ":", blanks) stands for itself.
std::string formatDateTime(DateTime value, std::string_view pattern,
                           const DateLocale& locale = DateLocale::system());

// The locale's general date form: short date, a blank, long time; the time is left out at
// exactly midnight. parseDateTime reads it back to the second.
std::string formatGeneralDate(DateTime value, const DateLocale& locale = DateLocale::system());

}  // namespace csv2sql
