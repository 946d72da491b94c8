#pragma once

#include "dbaccess/odbc_api.h"

#include <string_view>
#include <utility>

namespace csv2sql::db::odbc {

// One ODBC handle, freed with it.
class Handle {
 public:
  // Allocates a handle of the type under parent (SQL_NULL_HANDLE for an environment).
  Handle(SQLSMALLINT type, const Handle* parent);
  ~Handle();
  Handle(Handle&& other) noexcept
      : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle& operator=(Handle&&) = delete;

  SQLHANDLE get() const { return handle_; }
  // Throws the handle's diagnostics unless rc reports success.
  void check(SQLRETURN rc, std::string_view operation) const;

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = nullptr;
};

}  // namespace csv2sql::db::odbc
