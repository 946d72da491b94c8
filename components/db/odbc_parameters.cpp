#include "components/db/odbc_parameters.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "components/db/odbc_error.h"

namespace csv2sql::db::odbc {
namespace {

constexpr std::size_t kNull = 0;
constexpr std::size_t kDateTime = 1;
constexpr std::size_t kDouble = 2;
constexpr std::size_t kText = 3;
static_assert(std::is_same_v<std::variant_alternative_t<kText, Value>, WideText>);

// Above this many characters SQL Server wants a long text type.
constexpr std::size_t kLongText = 4000;

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

bool ParameterRows::fits(const std::vector<Value>& row) const {
  if (row.size() != columns_) return false;
  for (std::size_t c = 0; c < columns_; ++c) {
    const std::size_t kind = row[c].index();
    if (kind != kNull && kinds_[c] != kNull && kind != kinds_[c]) return false;
  }
  return true;
}

void ParameterRows::add(std::vector<Value> row) {
  for (std::size_t c = 0; c < columns_; ++c) {
    if (row[c].index() != kNull) kinds_[c] = row[c].index();
  }
  rows_.push_back(std::move(row));
}

void ParameterRows::bind(SQLHSTMT statement) {
  buffers_.assign(columns_, Buffer{});
  for (std::size_t c = 0; c < columns_; ++c) bindColumn(statement, c, buffers_[c]);
}

void ParameterRows::bindColumn(SQLHSTMT statement, std::size_t column, Buffer& buffer) {
  const std::size_t count = rows_.size();
  buffer.lengths.assign(count, SQL_NULL_DATA);
  SQLSMALLINT cType = SQL_C_CHAR;
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN size = 1;
  SQLSMALLINT digits = 0;
  std::size_t width = 1;  // bytes per row
  if (kinds_[column] == kDateTime) {
    cType = SQL_C_TYPE_TIMESTAMP, sqlType = SQL_TYPE_TIMESTAMP;
    size = 26, digits = 6;  // yyyy-mm-dd hh:mm:ss.ffffff: microseconds kept
    width = sizeof(SQL_TIMESTAMP_STRUCT);
  } else if (kinds_[column] == kDouble) {
    cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, size = 15, width = sizeof(double);
  } else if (kinds_[column] == kText) {
    std::size_t longest = 0;
    for (const auto& row : rows_) {
      if (const auto* text = std::get_if<kText>(&row[column])) {
        longest = std::max(longest, text->size());
      }
    }
    cType = SQL_C_WCHAR, sqlType = longest > kLongText ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
    size = std::max<std::size_t>(longest, 1);
    width = (longest + 1) * sizeof(SQLWCHAR);
  }
  buffer.data.assign(count * width, 0);
  for (std::size_t r = 0; r < count; ++r) {
    unsigned char* target = buffer.data.data() + r * width;
    const Value& value = rows_[r][column];
    if (const auto* time = std::get_if<kDateTime>(&value)) {
      const SQL_TIMESTAMP_STRUCT stamp = timestamp(*time);
      std::memcpy(target, &stamp, sizeof stamp);
      buffer.lengths[r] = sizeof stamp;
    } else if (const auto* number = std::get_if<kDouble>(&value)) {
      std::memcpy(target, number, sizeof *number);
      buffer.lengths[r] = sizeof *number;
    } else if (const auto* text = std::get_if<kText>(&value)) {
      // An empty text has no buffer to copy from.
      if (!text->empty()) std::memcpy(target, text->data(), text->size() * sizeof(SQLWCHAR));
      buffer.lengths[r] = static_cast<SQLLEN>(text->size() * sizeof(SQLWCHAR));
    }
  }
  const SQLRETURN rc = SQLBindParameter(
      statement, static_cast<SQLUSMALLINT>(column + 1), SQL_PARAM_INPUT, cType, sqlType, size,
      digits, buffer.data.data(), static_cast<SQLLEN>(width), buffer.lengths.data());
  check(rc, SQL_HANDLE_STMT, statement, "SQLBindParameter");
}

}  // namespace csv2sql::db::odbc
