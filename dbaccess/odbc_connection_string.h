#pragma once

#include <string>
#include <string_view>

#include "dbaccess/database.h"

namespace csv2sql::db::odbc {

// A value as an ODBC connection string carries it: unchanged, or enclosed in braces with each
// "}" doubled when it holds ";", "{", "}" or "=" or begins or ends with a blank.
std::string connectionValue(std::string_view value);

// True for Debian's FreeTDS driver, by its registered name or its library path.
bool isFreeTds(std::string_view odbcDriver);

// The ODBC connection string for the settings. An empty odbcDriver makes Data Source an ODBC
// data source name: "DSN=..."; otherwise "DRIVER={...};SERVER=..." with what that driver needs
// to reach SQL Server. DATABASE follows when a catalog is given, UID and PWD when a user or
// password is.
std::string odbcConnectionString(const ConnectionSettings& settings, std::string_view odbcDriver);

}  // namespace csv2sql::db::odbc
