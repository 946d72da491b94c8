#pragma once

#include <array>
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
  std::array<std::string, 12> monthNames = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};

  // United States English: M/d/yyyy h:mm:ss AM.
  static DateLocale unitedStates();
  // The locale of the process environment (LC_TIME / LANG); the C and POSIX locales, which
  // say nothing useful, give unitedStates().
  static const DateLocale& system();
};

}  // namespace csv2sql
