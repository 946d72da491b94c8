#pragma once

#include <memory>
#include <string>

#include "dbaccess/database.h"

namespace csv2sql::db {

// Each opens a session or throws DatabaseError.
std::unique_ptr<Driver> openSqlite(const ConnectionSettings& settings, const OpenOptions& options);
std::unique_ptr<Driver> openPostgres(const ConnectionSettings& settings,
                                     const OpenOptions& options);
// odbcDriver: the ODBC driver name for a DRIVER= connection, or empty to use settings.dataSource
// as a data source name.
std::unique_ptr<Driver> openOdbc(const ConnectionSettings& settings, const OpenOptions& options,
                                 const std::string& odbcDriver);
// The best installed SQL Server ODBC driver: Microsoft's 18 or 17, else FreeTDS; empty if none.
std::string bestSqlServerOdbcDriver();

// Rolls back where the roll-back's own failure could not be reported: on the way out with
// another failure, which matters more, or in a destructor. A transaction left open ends with
// its connection in any case.
void rollbackQuietly(auto& connection) noexcept {
  try {
    connection.rollback();
  } catch (...) {
    // Not reported: see above.
  }
}

}  // namespace csv2sql::db
