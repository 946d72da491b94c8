#include "dbaccess/odbc_api.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/text.h"
#include "dbaccess/drivers.h"
#include "dbaccess/odbc_handle.h"
#include "dbaccess/odbc_text.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db {
namespace {

// The names of the drivers the driver manager knows, in its order.
std::vector<std::string> installedDrivers() {
  const odbc::Handle env(SQL_HANDLE_ENV, nullptr);
  env.check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION,
                          reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
            "SQLSetEnvAttr");
  std::vector<std::string> names;
  std::vector<SQLWCHAR> name(256);
  std::vector<SQLWCHAR> attributes(1024);
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    const SQLRETURN rc = SQLDriversW(
        env.get(), direction, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
        attributes.data(), static_cast<SQLSMALLINT>(attributes.size()), &attributesLength);
    if (rc == SQL_NO_DATA) break;
    env.check(rc, "SQLDrivers");
    names.push_back(odbc::toUtf8(name.data(), std::min<std::size_t>(nameLength, name.size() - 1)));
    direction = SQL_FETCH_NEXT;
  }
  return names;
}

}  // namespace

std::string bestSqlServerOdbcDriver() {
  static const std::array<std::string, 3> preferred = {"ODBC Driver 18 for SQL Server",
                                                       "ODBC Driver 17 for SQL Server", "FreeTDS"};
  const std::vector<std::string> installed = installedDrivers();
  for (const std::string& wanted : preferred) {
    const auto found =
        std::find_if(installed.begin(), installed.end(),
                     [&](const std::string& name) { return equalsIgnoreCase(name, wanted); });
    if (found != installed.end()) return *found;
  }
  // Debian's tdsodbc does not always register itself; the driver manager also loads a driver
  // named by its library path.
  static const std::array<const char*, 5> freeTdsLibraries = {
      "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so",
      "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so", "/usr/lib/odbc/libtdsodbc.so",
      "/usr/lib64/libtdsodbc.so", "/usr/local/lib/libtdsodbc.so"};
  for (const char* library : freeTdsLibraries) {
    std::error_code ignored;  // an unreadable folder only means the library is not there
    if (std::filesystem::exists(library, ignored)) return library;
  }
  return {};
}

}  // namespace csv2sql::db
