#include "components/db/sql_text.h"

#include <algorithm>

namespace csv2sql::db {

namespace {

char* writeDigits(char* out, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + width;
}

// "hh:mm:ss", then the fraction of a second when there is one.
char* writeTimeOfDay(char* p, std::int64_t micros) {
  const auto seconds = static_cast<int>(micros / 1'000'000);
  p = writeDigits(p, seconds / 3600, 2);
  *p++ = ':';
  p = writeDigits(p, seconds / 60 % 60, 2);
  *p++ = ':';
  p = writeDigits(p, seconds % 60, 2);
  if (auto fraction = static_cast<int>(micros % 1'000'000); fraction != 0) {
    *p++ = '.';
    int digits = 6;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    p = writeDigits(p, fraction, digits);
  }
  return p;
}

constexpr std::int64_t kMicrosPerDay = std::int64_t{86'400} * 1'000'000;

}  // namespace

std::size_t formatTimestamp(DateTime value, char* out) {
  const DateTime::Parts parts = value.parts();
  char* p = writeDigits(out, parts.year, 4);
  *p++ = '-';
  p = writeDigits(p, parts.month, 2);
  *p++ = '-';
  p = writeDigits(p, parts.day, 2);
  *p++ = ' ';
  p = writeTimeOfDay(p, value.microseconds() % kMicrosPerDay);
  return static_cast<std::size_t>(p - out);
}

std::size_t TimestampWriter::write(DateTime value, char* out) {
  const std::int64_t day = value.microseconds() / kMicrosPerDay;
  if (day != day_) {
    day_ = day;
    formatTimestamp(value, dayText_.data());
  }
  std::copy(dayText_.begin(), dayText_.begin() + kDayTextLength, out);
  char* p = writeTimeOfDay(out + kDayTextLength, value.microseconds() % kMicrosPerDay);
  return static_cast<std::size_t>(p - out);
}

Error parameterCountError(std::size_t markers, std::size_t values) {
  return Error::withDetail(err::InvalidArgument, "The statement has " + std::to_string(markers) +
                                                     " parameter markers but " +
                                                     std::to_string(values) +
                                                     " values were given.");
}

}  // namespace csv2sql::db
