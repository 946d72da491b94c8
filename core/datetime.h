#pragma once

#include <compare>
#include <cstdint>

namespace csv2sql {

// A local calendar date and time of day with microsecond resolution, years 1 to 9999.
// Stored as microseconds since 0001-01-01 00:00:00; no time zone.
class DateTime {
 public:
  constexpr DateTime() = default;

  // True when the parts name a real date and time (month 1-12, day within the month,
  // hour 0-23, minute and second 0-59, microsecond 0-999999, year 1-9999).
  static bool valid(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int microsecond = 0);
  // Builds the value; the parts must be valid (checked by the caller with valid()).
  static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0, int microsecond = 0);
  static constexpr DateTime fromMicroseconds(std::int64_t micros) { return DateTime(micros); }

  // All parts at once: one calendar conversion instead of one per part.
  struct Parts {
    int year, month, day, hour, minute, second, microsecond;
  };
  Parts parts() const;

  int year() const;
  int month() const;
  int day() const;
  int hour() const;
  int minute() const;
  int second() const;
  int microsecond() const;

  DateTime date() const;  // the same day at 00:00:00
  // The fraction of a second dropped, as the general date form shows the time.
  constexpr DateTime wholeSeconds() const { return DateTime(micros_ - micros_ % 1'000'000); }
  constexpr std::int64_t microseconds() const { return micros_; }

  // Shifts; error 6 when the result leaves the years 1 to 9999.
  DateTime addMicroseconds(std::int64_t micros) const;
  DateTime addDays(std::int64_t days) const;
  DateTime addMinutes(double minutes) const;  // exact fraction, to the microsecond
  DateTime addHours(double hours) const;      // exact fraction, to the microsecond

  friend constexpr auto operator<=>(DateTime, DateTime) = default;

 private:
  constexpr explicit DateTime(std::int64_t micros) : micros_(micros) {}
  std::int64_t micros_ = 0;
};

}  // namespace csv2sql
