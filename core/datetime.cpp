#include "core/datetime.h"

#include <cmath>

#include "core/error.h"

namespace csv2sql {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerMinute = 60 * kMicrosPerSecond;
constexpr std::int64_t kMicrosPerHour = 60 * kMicrosPerMinute;
constexpr std::int64_t kMicrosPerDay = 24 * kMicrosPerHour;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
constexpr std::int64_t daysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct Civil {
  int year, month, day;
};

// The inverse of daysFromCivil (Howard Hinnant's civil_from_days).
constexpr Civil civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

constexpr std::int64_t kFirstDay = daysFromCivil(1, 1, 1);
constexpr std::int64_t kLastMicros =
    (daysFromCivil(9999, 12, 31) - kFirstDay + 1) * kMicrosPerDay - 1;

constexpr bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Floor division, so that a value before the first day still maps to a proper day and time.
constexpr std::int64_t dayIndex(std::int64_t micros) {
  return micros >= 0 ? micros / kMicrosPerDay : -((-micros - 1) / kMicrosPerDay) - 1;
}

constexpr std::int64_t timeOfDay(std::int64_t micros) {
  return micros - dayIndex(micros) * kMicrosPerDay;
}

// A count of hours or minutes as whole microseconds; error 6 when no date could hold it.
std::int64_t toMicros(double amount, std::int64_t microsPerUnit) {
  const double micros = std::round(amount * static_cast<double>(microsPerUnit));
  if (!(std::fabs(micros) <= static_cast<double>(kLastMicros))) throw Error(err::Overflow);
  return static_cast<std::int64_t>(micros);
}

}  // namespace

bool DateTime::valid(int year, int month, int day, int hour, int minute, int second,
                     int microsecond) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
         minute <= 59 && second >= 0 && second <= 59 && microsecond >= 0 && microsecond <= 999'999;
}

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                             int microsecond) {
  const std::int64_t days = daysFromCivil(year, month, day) - kFirstDay;
  return DateTime(days * kMicrosPerDay + hour * kMicrosPerHour + minute * kMicrosPerMinute +
                  second * kMicrosPerSecond + microsecond);
}

DateTime::Parts DateTime::parts() const {
  const Civil civil = civilFromDays(dayIndex(micros_) + kFirstDay);
  const std::int64_t time = timeOfDay(micros_);
  return {civil.year,
          civil.month,
          civil.day,
          static_cast<int>(time / kMicrosPerHour),
          static_cast<int>(time % kMicrosPerHour / kMicrosPerMinute),
          static_cast<int>(time % kMicrosPerMinute / kMicrosPerSecond),
          static_cast<int>(time % kMicrosPerSecond)};
}

int DateTime::year() const {
  return civilFromDays(dayIndex(micros_) + kFirstDay).year;
}
int DateTime::month() const {
  return civilFromDays(dayIndex(micros_) + kFirstDay).month;
}
int DateTime::day() const {
  return civilFromDays(dayIndex(micros_) + kFirstDay).day;
}
int DateTime::hour() const {
  return static_cast<int>(timeOfDay(micros_) / kMicrosPerHour);
}
int DateTime::minute() const {
  return static_cast<int>(timeOfDay(micros_) % kMicrosPerHour / kMicrosPerMinute);
}
int DateTime::second() const {
  return static_cast<int>(timeOfDay(micros_) % kMicrosPerMinute / kMicrosPerSecond);
}
int DateTime::microsecond() const {
  return static_cast<int>(timeOfDay(micros_) % kMicrosPerSecond);
}

DateTime DateTime::date() const {
  return DateTime(dayIndex(micros_) * kMicrosPerDay);
}

DateTime DateTime::addMicroseconds(std::int64_t micros) const {
  // Compared before adding, so that no sum can overflow.
  if (micros > kLastMicros - micros_ || micros < -micros_) throw Error(err::Overflow);
  return DateTime(micros_ + micros);
}

DateTime DateTime::addDays(std::int64_t days) const {
  if (days > kLastMicros / kMicrosPerDay || days < -kLastMicros / kMicrosPerDay) {
    throw Error(err::Overflow);
  }
  return addMicroseconds(days * kMicrosPerDay);
}

DateTime DateTime::addMinutes(double minutes) const {
  return addMicroseconds(toMicros(minutes, kMicrosPerMinute));
}

DateTime DateTime::addHours(double hours) const {
  return addMicroseconds(toMicros(hours, kMicrosPerHour));
}

}  // namespace csv2sql
