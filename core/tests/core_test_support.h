#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

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

// Data-driven cases carry a name that says which edge they test; it names the test too.
template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}
template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
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

// en_GB: day first, "/", two digits, 24-hour clock, lower-case designators.
inline DateLocale british() {
  DateLocale locale;
  locale.order = DateLocale::Order::DayMonthYear;
  locale.twoDigitDayMonth = true;
  locale.twelveHourClock = false;
  locale.am = "am";
  locale.pm = "pm";
  return locale;
}

// de_DE: day first, ".", two digits, 24-hour clock, German month names, AM and PM kept.
inline DateLocale german() {
  DateLocale locale;
  locale.order = DateLocale::Order::DayMonthYear;
  locale.separator = '.';
  locale.twoDigitDayMonth = true;
  locale.twelveHourClock = false;
  locale.monthNames = {"Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
                       "Juli",   "August",  "September",   "Oktober", "November", "Dezember"};
  return locale;
}

// The year-first order ("2024-03-07 14:05:09"), as sv_SE or a locale without a numeric date.
inline DateLocale isoOrder() {
  DateLocale locale;
  locale.order = DateLocale::Order::YearMonthDay;
  locale.separator = '-';
  locale.twoDigitDayMonth = true;
  locale.twelveHourClock = false;
  return locale;
}

// Day first, "-", one digit, 12-hour clock with dotted designators ("a.m.").
inline DateLocale dayFirstTwelveHour() {
  DateLocale locale;
  locale.order = DateLocale::Order::DayMonthYear;
  locale.separator = '-';
  locale.am = "a.m.";
  locale.pm = "p.m.";
  return locale;
}

}  // namespace testing
}  // namespace csv2sql
