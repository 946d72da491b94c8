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
  *p++ = ':';
  p = writeDigits(p, parts.second, 2);
  if (int micros = parts.microsecond; micros != 0) {
    *p++ = '.';
    int digits = 6;
    while (micros % 10 == 0) {
      micros /= 10;
      --digits;
    }
    p = writeDigits(p, micros, digits);
  }
  return static_cast<std::size_t>(p - out);
}

Error parameterCountError(std::size_t markers, std::size_t values) {
  return Error::withDetail(err::InvalidArgument, "The statement has " + std::to_string(markers) +
                                                     " parameter markers but " +
                                                     std::to_string(values) +
                                                     " values were given.");
}

}  // namespace csv2sql::db
