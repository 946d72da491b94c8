#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/datetime.h"
#include "core/error.h"

namespace csv2sql::db {

// The longest text formatTimestamp writes: "yyyy-mm-dd hh:mm:ss.ffffff".
constexpr std::size_t kTimestampTextMax = 26;

// Writes "yyyy-mm-dd hh:mm:ss", then "." and the fraction of a second (trailing zeros dropped)
// only when there is one, so that text order is time order. Returns the length written.
std::size_t formatTimestamp(DateTime value, char* out);

// Writes as formatTimestamp does, with less work for a run of times of the same minute (the rows
// of a file of readings): the date, hour and minute of the last one are kept, so only the seconds
// of the next are written.
class TimestampWriter {
 public:
  std::size_t write(DateTime value, char* out);

 private:
  static constexpr std::size_t kMinuteTextLength = 16;  // "yyyy-mm-dd hh:mm"
  std::int64_t minute_ = -1;
  std::array<char, kTimestampTextMax> minuteText_{};
};

// Error 3001 for a statement whose parameter markers do not match the values given.
Error parameterCountError(std::size_t markers, std::size_t values);

// The query a table's columns are learnt from: all of them and none of its rows, so that a
// driver that must run it to describe it reads nothing. It names no column: their spelling is
// what it learns.
std::string columnProbeSql(std::string_view tableSql);

}  // namespace csv2sql::db
