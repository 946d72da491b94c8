#pragma once

#include "dbaccess/odbc_api.h"

#include <string_view>

#include "dbaccess/database.h"

namespace csv2sql::db::odbc {

// The diagnostic records of a handle as the error model's exception: the first record's
// native code and SQLSTATE, and the messages of all records (line breaks become blanks, so the
// error fits one log line). operation names the call when the driver left no record.
DatabaseError diagnosticError(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view operation);

// Throws diagnosticError unless rc reports success; SQL_NO_DATA counts as success.
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view operation);

}  // namespace csv2sql::db::odbc
