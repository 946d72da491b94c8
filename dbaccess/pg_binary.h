#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>

#include "dbaccess/database.h"

namespace csv2sql::db::pg {

// How a column's values travel in a binary COPY. Types not listed here (numeric, date, boolean
// ...) have no binary form in this driver: a table with one of them set gets the text COPY.
enum class BinaryField { None, Timestamp, Text, Float8, Float4, Int2, Int4, Int8 };

// What the session's settings allow the binary form to carry.
struct BinarySession {
  bool integerStamps = false;  // integer_datetimes: stamps are microseconds
  bool utcZone = false;        // TimeZone is UTC: a timestamptz takes the stamp unshifted
};
BinarySession binarySession(const PGconn* session);

// The binary form of a column of the given type (PQftype), or None.
BinaryField binaryField(Oid type, const BinarySession& session);

// The start and the end of a binary COPY's data.
void appendBinaryHeader(std::string& out);
void appendBinaryTrailer(std::string& out);
// A row's field count, before its fields.
void appendFieldCount(std::string& out, std::size_t count);

// Appends the value as one field of the given form, when the server stores from it exactly
// what it stores from the value's text in a text COPY; false, with `out` as it was, when it
// would not (a text into a stamp column, a fraction or "1e+20" into an integer, a number out
// of the range of real): such a value goes as text, so the server takes or refuses it as
// before. Text holding a NUL fails with 22021, as in the text COPY.
bool appendBinaryField(std::string& out, BinaryField field, const FieldValue& value);

}  // namespace csv2sql::db::pg
