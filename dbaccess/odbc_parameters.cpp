#include "dbaccess/odbc_parameters.h"

#include "dbaccess/odbc_api.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <type_traits>

#include "dbaccess/odbc_error.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db::odbc {
namespace {

constexpr std::size_t kNull = 0;
constexpr std::size_t kDateTime = 1;
constexpr std::size_t kDouble = 2;
constexpr std::size_t kText = 3;
static_assert(std::is_same_v<std::variant_alternative_t<kText, Value>, WideText>);

// Above this many characters SQL Server wants a long text type.
constexpr std::size_t kLongText = 4000;
// The longest shortest exact form of a double: "-2.2250738585072014e-308".
constexpr std::size_t kNumberTextMax = 24;

SQL_TIMESTAMP_STRUCT timestamp(DateTime value) {
  SQL_TIMESTAMP_STRUCT out{};
  out.year = static_cast<SQLSMALLINT>(value.year());
  out.month = static_cast<SQLUSMALLINT>(value.month());
  out.day = static_cast<SQLUSMALLINT>(value.day());
  out.hour = static_cast<SQLUSMALLINT>(value.hour());
  out.minute = static_cast<SQLUSMALLINT>(value.minute());
  out.second = static_cast<SQLUSMALLINT>(value.second());
  out.fraction = static_cast<SQLUINTEGER>(value.microsecond()) * 1000;  // nanoseconds
  return out;
}

}  // namespace

Value ownedValue(const FieldValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    // Drivers read a text parameter up to its first NUL (psqlODBC stores "a\0b" as "a"): a
    // reading would be stored wrong without a word.
    if (text->find('\0') != std::string_view::npos) {
      throw DatabaseError(0, "22021",
                          "A text value holds a NUL character, which the ODBC driver would cut "
                          "short.");
    }
    return toWide(*text, "a text value");
  }
  if (const auto* time = std::get_if<DateTime>(&value)) return *time;
  if (const auto* number = std::get_if<double>(&value)) return *number;
  return std::monostate{};
}

bool ParameterRows::fits(std::span<const Value> row) const {
  if (row.size() != columns_) return false;
  for (std::size_t c = 0; c < columns_; ++c) {
    const std::size_t kind = row[c].index();
    if (kind != kNull && kinds_[c] != kNull && kind != kinds_[c]) return false;
  }
  return true;
}

void ParameterRows::add(std::span<Value> row) {
  for (std::size_t c = 0; c < columns_; ++c) {
    if (row[c].index() != kNull) kinds_[c] = row[c].index();
    values_.push_back(std::move(row[c]));
  }
  ++rows_;
}

struct ParameterRows::Binding {
  SQLSMALLINT cType = SQL_C_CHAR;
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN size = 1;
  SQLSMALLINT digits = 0;
  std::size_t width = 1;
};

void ParameterRows::bind(SQLHSTMT statement, const ParameterSlice& slice) {
  // Resized, not made anew: each buffer keeps its memory from one execution to the next.
  buffers_.resize(columns_ * slice.rowsPerSet);
  for (std::size_t c = 0; c < columns_; ++c) {
    const Binding kind = binding(c, slice);
    for (std::size_t row = 0; row < slice.rowsPerSet; ++row) {
      const std::size_t marker = row * columns_ + c;
      bindMarker(statement, marker, c, row, slice, kind, buffers_[marker]);
    }
  }
}

ParameterRows::Binding ParameterRows::binding(std::size_t column,
                                              const ParameterSlice& slice) const {
  const bool text = form_ == ValueForm::Text;
  if (kinds_[column] == kDateTime) {
    // Text of no declared type, which the server reads as the column's type: psqlODBC would
    // parse text declared a timestamp and print it again.
    if (text) return {SQL_C_CHAR, SQL_VARCHAR, 26, 0, kTimestampTextMax};
    // yyyy-mm-dd hh:mm:ss.ffffff: microseconds kept
    return {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 26, 6, sizeof(SQL_TIMESTAMP_STRUCT)};
  }
  if (kinds_[column] == kDouble) {
    if (text) return {SQL_C_CHAR, SQL_DOUBLE, 15, 0, kNumberTextMax};
    return {SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, sizeof(double)};
  }
  if (kinds_[column] != kText) return {};
  std::size_t longest = 0;
  const std::size_t end = slice.first + slice.sets * slice.rowsPerSet;
  for (std::size_t r = slice.first; r < end; ++r) {
    if (const auto* text = std::get_if<kText>(&value(r, column))) {
      longest = std::max(longest, text->size());
    }
  }
  const SQLSMALLINT sqlType = longest > kLongText ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
  return {SQL_C_WCHAR, sqlType, std::max<std::size_t>(longest, 1), 0,
          (longest + 1) * sizeof(SQLWCHAR)};
}

void ParameterRows::bindMarker(SQLHSTMT statement, std::size_t marker, std::size_t column,
                               std::size_t row, const ParameterSlice& slice, const Binding& binding,
                               Buffer& buffer) {
  const std::size_t width = binding.width;
  buffer.lengths.assign(slice.sets, SQL_NULL_DATA);
  buffer.data.assign(slice.sets * width, 0);
  const bool asText = binding.cType == SQL_C_CHAR;
  for (std::size_t set = 0; set < slice.sets; ++set) {
    unsigned char* target = buffer.data.data() + set * width;
    const Value& given = value(slice.first + set * slice.rowsPerSet + row, column);
    auto* chars = reinterpret_cast<char*>(target);
    if (const auto* time = std::get_if<kDateTime>(&given)) {
      if (asText) {
        buffer.lengths[set] = static_cast<SQLLEN>(formatTimestamp(*time, chars));
      } else {
        const SQL_TIMESTAMP_STRUCT stamp = timestamp(*time);
        std::memcpy(target, &stamp, sizeof stamp);
        buffer.lengths[set] = sizeof stamp;
      }
    } else if (const auto* number = std::get_if<kDouble>(&given)) {
      if (asText) {
        buffer.lengths[set] = std::to_chars(chars, chars + width, *number).ptr - chars;
      } else {
        std::memcpy(target, number, sizeof *number);
        buffer.lengths[set] = sizeof *number;
      }
    } else if (const auto* text = std::get_if<kText>(&given)) {
      // An empty text has no buffer to copy from.
      if (!text->empty()) std::memcpy(target, text->data(), text->size() * sizeof(SQLWCHAR));
      buffer.lengths[set] = static_cast<SQLLEN>(text->size() * sizeof(SQLWCHAR));
    }
  }
  const SQLRETURN rc =
      SQLBindParameter(statement, static_cast<SQLUSMALLINT>(marker + 1), SQL_PARAM_INPUT,
                       binding.cType, binding.sqlType, binding.size, binding.digits,
                       buffer.data.data(), static_cast<SQLLEN>(width), buffer.lengths.data());
  check(rc, SQL_HANDLE_STMT, statement, "SQLBindParameter");
}

}  // namespace csv2sql::db::odbc
