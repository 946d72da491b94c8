#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "core/date_locale.h"
#include "core/datetime.h"
#include "core/datetime_text.h"
#include "core/error.h"

namespace csv2sql {

// Failure messages show a date-time as text rather than as bytes.
inline void PrintTo(const DateTime& value, std::ostream* out) {
  *out << formatDateTime(value, "yyyy-mm-dd hh:nn:ss", DateLocale::unitedStates()) << "."
       << value.microsecond();
}

namespace testing {

// A table row: the edge it tests, the input and the expected result.
template <typename In, typename Out>
struct Row {
  const char* name;
  In in;
  Out out;
};

// Checks every row of a table: check(in) gives out.
template <typename In, typename Out, std::size_t N, typename Check>
void expectRows(const Row<In, Out> (&rows)[N], Check check) {
  for (const auto& row : rows) EXPECT_EQ(check(row.in), row.out) << row.name;
}

// The number of the Error the action raises; 0 when it raises none.
inline int errorNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

inline DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                   int microsecond = 0) {
  return DateTime::fromParts(year, month, day, hour, minute, second, microsecond);
}

// Locales as their environments would give them: en_US, en_GB and sv_SE.
using Order = DateLocale::Order;
inline const DateLocale kUnitedStates = DateLocale::unitedStates();
inline const DateLocale kBritish{.order = Order::DayMonthYear,
                                 .twoDigitDayMonth = true,
                                 .twelveHourClock = false,
                                 .am = "am",
                                 .pm = "pm"};
inline const DateLocale kYearFirst{.order = Order::YearMonthDay,
                                   .separator = '-',
                                   .twoDigitDayMonth = true,
                                   .twelveHourClock = false};

}  // namespace testing
}  // namespace csv2sql
