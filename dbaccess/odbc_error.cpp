#include "dbaccess/odbc_error.h"

#include "dbaccess/odbc_api.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/odbc_text.h"

namespace csv2sql::db::odbc {
namespace {

struct Record {
  SQLINTEGER native = 0;
  std::string sqlState;
  std::string message;
};

// Reads record k; std::nullopt when there is none.
std::optional<Record> readRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT k) {
  SQLWCHAR state[6] = {};
  Record record;
  std::vector<SQLWCHAR> text(1024);
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLGetDiagRecW(handleType, handle, k, state, &record.native, text.data(),
                                static_cast<SQLSMALLINT>(text.size()), &length);
  if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
    text.resize(static_cast<std::size_t>(length) + 1);
    rc = SQLGetDiagRecW(handleType, handle, k, state, &record.native, text.data(),
                        static_cast<SQLSMALLINT>(text.size()), &length);
  }
  if (!SQL_SUCCEEDED(rc)) return std::nullopt;
  const auto stateEnd = std::find(std::begin(state), std::end(state), SQLWCHAR{0});
  record.sqlState = toUtf8(state, static_cast<std::size_t>(stateEnd - std::begin(state)));
  record.message = toUtf8(text.data(), std::min<std::size_t>(length, text.size() - 1));
  return record;
}

// One line: each run of line breaks becomes one blank, trailing blanks go.
std::string oneLine(const std::string& message) {
  std::string line;
  for (const char c : message) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

DatabaseError diagnosticError(SQLSMALLINT handleType, SQLHANDLE handle,
                              std::string_view operation) {
  std::optional<Record> first;
  std::string message;
  for (SQLSMALLINT k = 1; handle != SQL_NULL_HANDLE; ++k) {
    std::optional<Record> record = readRecord(handleType, handle, k);
    if (!record) break;
    const std::string text = oneLine(record->message);
    if (!first) {
      first = std::move(record);
      message = text;
    } else if (!text.empty() && message.find(text) == std::string::npos) {
      message += "; " + text;
    }
  }
  if (!first) return DatabaseError(0, "", std::string(operation) + " failed without a message");
  return DatabaseError(first->native, first->sqlState, message);
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view operation) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
  throw diagnosticError(handleType, handle, operation);
}

}  // namespace csv2sql::db::odbc
