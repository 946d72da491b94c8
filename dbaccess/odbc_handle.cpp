#include "dbaccess/odbc_handle.h"

#include "dbaccess/odbc_error.h"

namespace csv2sql::db::odbc {

Handle::Handle(SQLSMALLINT type, const Handle* parent) : type_(type) {
  const SQLHANDLE parentHandle = parent ? parent->get() : SQL_NULL_HANDLE;
  const SQLRETURN rc = SQLAllocHandle(type, parentHandle, &handle_);
  if (!SQL_SUCCEEDED(rc)) {
    handle_ = SQL_NULL_HANDLE;
    if (!parent) throw DatabaseError(0, "", "The ODBC driver manager could not start");
    throw diagnosticError(parent->type_, parentHandle, "SQLAllocHandle");
  }
}

Handle::~Handle() {
  if (handle_ == nullptr) return;
  // psqlODBC keeps the result of describing a prepared statement until its cursor is closed,
  // and loses it when the statement is freed first.
  if (type_ == SQL_HANDLE_STMT) SQLFreeStmt(handle_, SQL_CLOSE);
  SQLFreeHandle(type_, handle_);
}

void Handle::check(SQLRETURN rc, std::string_view operation) const {
  odbc::check(rc, type_, handle_, operation);
}

}  // namespace csv2sql::db::odbc
