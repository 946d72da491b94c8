#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/datetime.h"

namespace csv2sql {

// Times the program writes into the names of its own files, read back.

// '#' in a shape stands for a digit, every other character for itself.
inline bool hasShape(std::string_view text, std::string_view shape) {
  return text.size() == shape.size() &&
         std::equal(text.begin(), text.end(), shape.begin(),
                    [](char c, char s) { return s == '#' ? c >= '0' && c <= '9' : c == s; });
}

// The number the `count` digits at `at` spell (their shape checked).
inline int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (const char c : text.substr(at, count)) value = value * 10 + (c - '0');
  return value;
}

inline std::optional<DateTime> dateTimeOf(int year, int month, int day, int hour, int minute,
                                          int second) {
  if (!DateTime::valid(year, month, day, hour, minute, second)) return std::nullopt;
  return DateTime::fromParts(year, month, day, hour, minute, second);
}

}  // namespace csv2sql
