#include "dbaccess/odbc_statement.h"

#include "dbaccess/odbc_api.h"

#include <algorithm>
#include <cstring>

#include "dbaccess/odbc_error.h"
#include "dbaccess/odbc_text.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db::odbc {
namespace {

void prepare(const Handle& statement, std::string_view sql) {
  WideText text = toWide(sql, "the statement");
  statement.check(SQLPrepareW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
                  "SQLPrepare");
}

// Each value read as text, in pieces while the driver says there is more.
void fetchRows(const Handle& statement, TextRows& rows) {
  SQLSMALLINT columns = 0;
  statement.check(SQLNumResultCols(statement.get(), &columns), "SQLNumResultCols");
  for (;;) {
    const SQLRETURN fetched = SQLFetch(statement.get());
    if (fetched == SQL_NO_DATA) return;
    statement.check(fetched, "SQLFetch");
    auto& row = rows.emplace_back();
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      std::string& value = row.emplace_back();
      char piece[256];
      SQLLEN length = 0;
      SQLRETURN rc;
      while ((rc = SQLGetData(statement.get(), column, SQL_C_CHAR, piece, sizeof piece, &length)) !=
             SQL_NO_DATA) {
        statement.check(rc, "SQLGetData");
        if (length == SQL_NULL_DATA) break;
        value.append(piece, std::min(std::strlen(piece), sizeof piece - 1));
        if (rc == SQL_SUCCESS) break;
      }
    }
  }
}

void drainResults(const Handle& statement) {
  for (;;) {
    const SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) return;
    statement.check(rc, "SQLMoreResults");
  }
}

bool anyRefused(const std::vector<SQLUSMALLINT>& statuses) {
  return std::any_of(statuses.begin(), statuses.end(),
                     [](SQLUSMALLINT status) { return status == SQL_PARAM_ERROR; });
}

void setPointer(const Handle& statement, SQLINTEGER attribute, SQLPOINTER value) {
  statement.check(SQLSetStmtAttr(statement.get(), attribute, value, 0), "SQLSetStmtAttr");
}

}  // namespace

void executeDirect(const Handle& statement, std::string_view sql, TextRows* rows) {
  WideText text = toWide(sql, "the statement");
  statement.check(
      SQLExecDirectW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size())),
      "SQLExecDirect");
  if (rows != nullptr) fetchRows(statement, *rows);
  drainResults(statement);
}

void prepareChecked(const Handle& statement, std::string_view sql, std::size_t values) {
  prepare(statement, sql);
  // Drivers differ on values beyond the markers; some ignore them without a word.
  SQLSMALLINT markers = 0;
  statement.check(SQLNumParams(statement.get(), &markers), "SQLNumParams");
  if (static_cast<std::size_t>(markers) != values) {
    throw parameterCountError(static_cast<std::size_t>(markers), values);
  }
}

void executePrepared(const Handle& statement, std::string_view sql, ParameterRows& rows,
                     const ParameterSlice& slice, TextRows* result) {
  prepareChecked(statement, sql, rows.columns() * slice.rowsPerSet);
  executeBound(statement, rows, slice, result);
}

void executeBound(const Handle& statement, ParameterRows& rows, const ParameterSlice& slice,
                  TextRows* result) {
  rows.bind(statement.get(), slice);
  const std::size_t count = slice.sets;
  std::vector<SQLUSMALLINT> statuses(count, SQL_PARAM_UNUSED);
  SQLULEN processed = 0;
  if (count > 1) {
    setPointer(statement, SQL_ATTR_PARAM_BIND_TYPE,
               reinterpret_cast<SQLPOINTER>(SQLULEN{SQL_PARAM_BIND_BY_COLUMN}));
    setPointer(statement, SQL_ATTR_PARAMSET_SIZE,
               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(count)));
    setPointer(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses.data());
    setPointer(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed);
  }
  statement.check(SQLExecute(statement.get()), "SQLExecute");
  // Some drivers report a refused row only in its status, with the reason in the statement's
  // diagnostics, which the next call clears.
  if (anyRefused(statuses)) throw diagnosticError(SQL_HANDLE_STMT, statement.get(), "SQLExecute");
  if (result != nullptr) fetchRows(statement, *result);
  drainResults(statement);
  if (count > 1 && (anyRefused(statuses) || processed < count)) {
    throw DatabaseError(0, "",
                        "The driver stored " + std::to_string(processed * slice.rowsPerSet) +
                            " of " + std::to_string(count * slice.rowsPerSet) +
                            " rows and gave no reason");
  }
}

std::vector<std::string> describeColumns(const Handle& statement, std::string_view sql) {
  prepare(statement, sql);
  SQLSMALLINT count = 0;
  statement.check(SQLNumResultCols(statement.get(), &count), "SQLNumResultCols");
  if (count == 0) {
    // A driver that cannot describe a statement before running it tells no columns.
    statement.check(SQLExecute(statement.get()), "SQLExecute");
    statement.check(SQLNumResultCols(statement.get(), &count), "SQLNumResultCols");
  }
  std::vector<std::string> names;
  std::vector<SQLWCHAR> name(256);
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    SQLSMALLINT length = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    const auto describe = [&] {
      statement.check(SQLDescribeColW(statement.get(), column, name.data(),
                                      static_cast<SQLSMALLINT>(name.size()), &length, &type, &size,
                                      &digits, &nullable),
                      "SQLDescribeCol");
    };
    describe();
    if (static_cast<std::size_t>(length) >= name.size()) {
      name.resize(static_cast<std::size_t>(length) + 1);
      describe();
    }
    names.push_back(toUtf8(name.data(), static_cast<std::size_t>(length)));
  }
  return names;
}

}  // namespace csv2sql::db::odbc
