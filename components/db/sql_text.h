#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace csv2sql::db {

// The longest text formatTimestamp writes: "yyyy-mm-dd hh:mm:ss.ffffff".
constexpr std::size_t kTimestampTextMax = 26;

// Writes "yyyy-mm-dd hh:mm:ss", then "." and the fraction of a second (trailing zeros dropped)
// only when there is one, so that text order is time order. Returns the length written.
std::size_t formatTimestamp(DateTime value, char* out);

// ASCII letters compared without regard to case; database column names are matched so.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The name between double quotes, each double quote inside doubled.
std::string quoteIdentifier(std::string_view name);

}  // namespace csv2sql::db
