#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>

#include "core/date_locale.h"
#include "core/datetime.h"
#include "core/error.h"

namespace csv2sql {

// Failure messages show a date-time as text rather than as bytes.
inline void PrintTo(const DateTime& value, std::ostream* out) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06d", value.year(),
                value.month(), value.day(), value.hour(), value.minute(), value.second(),
                value.microsecond());
  *out << text;
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

// Hand-built locales as their environments would give them.
using Order = DateLocale::Order;
inline const DateLocale kUnitedStates = DateLocale::unitedStates();
// en_GB: day first, two digits, 24-hour clock, lower-case designators.
inline const DateLocale kBritish{.order = Order::DayMonthYear,
                                 .twoDigitDayMonth = true,
                                 .twelveHourClock = false,
                                 .am = "am",
                                 .pm = "pm"};
// de_DE: day first, ".", 24-hour clock, German month names, AM and PM kept.
inline const DateLocale kGerman{
    .order = Order::DayMonthYear,
    .separator = '.',
    .twoDigitDayMonth = true,
    .twelveHourClock = false,
    .monthNames = {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni", "Juli", "August",
                   "September", "Oktober", "November", "Dezember"}};
// Year first ("2024-03-07 14:05:09"), as sv_SE or a locale without a numeric date.
inline const DateLocale kYearFirst{.order = Order::YearMonthDay,
                                   .separator = '-',
                                   .twoDigitDayMonth = true,
                                   .twelveHourClock = false};
// Day first, "-", one digit, 12-hour clock with dotted designators ("a.m.").
inline const DateLocale kDayFirstTwelveHour{
    .order = Order::DayMonthYear, .separator = '-', .am = "a.m.", .pm = "p.m."};

}  // namespace testing
}  // namespace csv2sql
