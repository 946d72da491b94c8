#pragma once

#include <array>
#include <locale>
#include <string>

namespace csv2sql {

// What the system locale says about dates and times: the order and separator of the numeric
// short date, whether day and month are written with two digits, the clock of the long time,
// the AM/PM designators and the month names.
struct DateLocale {
  enum class Order { MonthDayYear, DayMonthYear, YearMonthDay };

  Order order = Order::MonthDayYear;
  char separator = '/';
  bool twoDigitDayMonth = false;
  bool twelveHourClock = true;
  std::string am = "AM";
  std::string pm = "PM";
  std::array<std::string, 12> monthNames = {"January",   "February", "March",    "April",
                                            "May",       "June",     "July",     "August",
                                            "September", "October",  "November", "December"};

  // United States English: M/d/yyyy h:mm:ss AM.
  static DateLocale unitedStates();
  // The locale of the process environment (LC_TIME / LANG), worked out once; the C and POSIX
  // locales, which say nothing useful, and a locale that cannot be loaded give unitedStates().
  static const DateLocale& system();
  // What a C++ locale's time facet writes: "%x" gives order, separator and digits (a short date
  // that is not three numbers with one separator gives year-month-day with "-"), "%X" the
  // clock, "%p" the designators (AM and PM where the locale has none), "%B" the month names.
  // The C and POSIX locales give unitedStates().
  static DateLocale fromLocale(const std::locale& locale);

  friend bool operator==(const DateLocale&, const DateLocale&) = default;
};

}  // namespace csv2sql
