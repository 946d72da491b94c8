#include "dbaccess/sql_text.h"

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

// ":ss", then the fraction of a second when there is one.
char* writeSeconds(char* p, std::int64_t microsOfMinute) {
  *p++ = ':';
  p = writeDigits(p, static_cast<int>(microsOfMinute / 1'000'000), 2);
  if (auto fraction = static_cast<int>(microsOfMinute % 1'000'000); fraction != 0) {
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

constexpr std::int64_t kMicrosPerMinute = std::int64_t{60} * 1'000'000;

}  // namespace

std::size_t formatTimestamp(DateTime value, char* out) {
  const DateTime::Parts parts = value.parts();
  char* p = writeDigits(out, parts.year, 4);
  *p++ = '-';
  p = writeDigits(p, parts.month, 2);
  *p++ = '-';
  p = writeDigits(p, parts.day, 2);
  *p++ = ' ';
  p = writeDigits(p, parts.hour, 2);
  *p++ = ':';
  p = writeDigits(p, parts.minute, 2);
  p = writeSeconds(p, value.microseconds() % kMicrosPerMinute);
  return static_cast<std::size_t>(p - out);
}

std::size_t TimestampWriter::write(DateTime value, char* out) {
  const std::int64_t minute = value.microseconds() / kMicrosPerMinute;
  if (minute != minute_) {
    minute_ = minute;
    formatTimestamp(value, minuteText_.data());
  }
  std::copy(minuteText_.begin(), minuteText_.begin() + kMinuteTextLength, out);
  char* p = writeSeconds(out + kMinuteTextLength, value.microseconds() % kMicrosPerMinute);
  return static_cast<std::size_t>(p - out);
}

Error parameterCountError(std::size_t markers, std::size_t values) {
  return Error::withDetail(err::InvalidArgument, "The statement has " + std::to_string(markers) +
                                                     " parameter markers but " +
                                                     std::to_string(values) +
                                                     " values were given.");
}

std::string columnProbeSql(std::string_view tableSql) {
  return "SELECT * FROM " + std::string(tableSql) + " WHERE 1 = 0";
}

}  // namespace csv2sql::db
