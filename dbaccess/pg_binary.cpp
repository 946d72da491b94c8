#include "dbaccess/pg_binary.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>

#include "dbaccess/pg_library.h"
#include "dbaccess/pg_text.h"

namespace csv2sql::db::pg {

namespace {

// The type numbers of pg_type, fixed since the first releases.
constexpr Oid kText = 25, kFloat4 = 700, kFloat8 = 701, kBpchar = 1042, kVarchar = 1043,
              kTimestamp = 1114, kTimestampTz = 1184, kInt2 = 21, kInt4 = 23, kInt8 = 20;

template <typename T>
void appendBigEndian(std::string& out, T value) {
  using Unsigned = std::make_unsigned_t<T>;
  const auto bits = static_cast<Unsigned>(value);
  for (int shift = static_cast<int>(sizeof(T) * 8) - 8; shift >= 0; shift -= 8) {
    out += static_cast<char>((bits >> shift) & 0xFF);
  }
}

void appendLength(std::string& out, std::size_t length) {
  appendBigEndian(out, static_cast<std::int32_t>(length));
}

// The number as the server would read it from the text the text COPY sends.
template <typename T>
bool parsedFromText(double value, T& parsed) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  const auto read = std::from_chars(buffer, written.ptr, parsed);
  return read.ec == std::errc() && read.ptr == written.ptr;
}

template <typename Int>
bool appendInteger(std::string& out, double value) {
  std::int64_t parsed = 0;
  if (!parsedFromText(value, parsed) || parsed < std::numeric_limits<Int>::min() ||
      parsed > std::numeric_limits<Int>::max()) {
    return false;
  }
  appendLength(out, sizeof(Int));
  appendBigEndian(out, static_cast<Int>(parsed));
  return true;
}

bool appendStamp(std::string& out, DateTime value) {
  // The server counts microseconds from 2000-01-01 00:00:00.
  static const std::int64_t kEpoch = DateTime::fromParts(2000, 1, 1).microseconds();
  appendLength(out, 8);
  appendBigEndian(out, value.microseconds() - kEpoch);
  return true;
}

bool appendText(std::string& out, const FieldValue& value) {
  const std::size_t lengthAt = out.size();
  out.append(4, '\0');
  appendValueText(out, value);
  const auto length = static_cast<std::uint32_t>(out.size() - lengthAt - 4);
  for (std::size_t i = 0; i < 4; ++i) {
    out[lengthAt + i] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
  }
  return true;
}

bool appendNumber(std::string& out, BinaryField field, double value) {
  switch (field) {
    case BinaryField::Float8:
      appendLength(out, 8);
      appendBigEndian(out, std::bit_cast<std::uint64_t>(value));
      return true;
    case BinaryField::Float4: {
      float parsed = 0;
      if (!parsedFromText(value, parsed)) return false;
      appendLength(out, 4);
      appendBigEndian(out, std::bit_cast<std::uint32_t>(parsed));
      return true;
    }
    case BinaryField::Int2:
      return appendInteger<std::int16_t>(out, value);
    case BinaryField::Int4:
      return appendInteger<std::int32_t>(out, value);
    case BinaryField::Int8:
      return appendInteger<std::int64_t>(out, value);
    default:
      return false;
  }
}

}  // namespace

BinarySession binarySession(const PGconn* session) {
  const auto is = [session](const char* name, std::initializer_list<std::string_view> values) {
    const char* setting = libpq().PQparameterStatus(session, name);
    if (!setting) return false;
    for (std::string_view value : values) {
      if (value == setting) return true;
    }
    return false;
  };
  return {is("integer_datetimes", {"on"}), is("TimeZone", {"UTC", "Etc/UTC", "GMT", "Etc/GMT"})};
}

BinaryField binaryField(Oid type, const BinarySession& session) {
  switch (type) {
    case kTimestamp:
      return session.integerStamps ? BinaryField::Timestamp : BinaryField::None;
    case kTimestampTz:
      // Elsewhere the server shifts a stamp by its zone's rules, which only it knows.
      return session.integerStamps && session.utcZone ? BinaryField::Timestamp : BinaryField::None;
    case kText:
    case kVarchar:
    case kBpchar:
      return BinaryField::Text;
    case kFloat8:
      return BinaryField::Float8;
    case kFloat4:
      return BinaryField::Float4;
    case kInt2:
      return BinaryField::Int2;
    case kInt4:
      return BinaryField::Int4;
    case kInt8:
      return BinaryField::Int8;
    default:
      return BinaryField::None;
  }
}

void appendBinaryHeader(std::string& out) {
  out.append("PGCOPY\n\377\r\n\0", 11);
  appendBigEndian(out, std::int32_t{0});  // flags
  appendBigEndian(out, std::int32_t{0});  // header extension length
}

void appendBinaryTrailer(std::string& out) {
  appendBigEndian(out, std::int16_t{-1});
}

void appendFieldCount(std::string& out, std::size_t count) {
  appendBigEndian(out, static_cast<std::int16_t>(count));
}

bool appendBinaryField(std::string& out, BinaryField field, const FieldValue& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    appendBigEndian(out, std::int32_t{-1});
    return true;
  }
  if (field == BinaryField::Text) return appendText(out, value);
  if (const auto* stamp = std::get_if<DateTime>(&value)) {
    return field == BinaryField::Timestamp && appendStamp(out, *stamp);
  }
  if (const auto* number = std::get_if<double>(&value)) return appendNumber(out, field, *number);
  return false;
}

}  // namespace csv2sql::db::pg
