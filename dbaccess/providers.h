#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace csv2sql::db {

// The driver a provider name chooses.
enum class ProviderKind {
  SqlServer,       // SQL Server through the best installed ODBC driver
  Sqlite,          // embedded; Data Source is the database file
  PostgreSql,      // native libpq; Data Source is host or host:port
  OdbcDataSource,  // ODBC; Data Source is an ODBC data source name
};

struct Provider {
  std::string_view name;
  ProviderKind kind;
  bool listed;  // offered by the window's drop-down
};

// Every provider name a connection string may give, in the order the error for an unknown one
// lists them.
inline constexpr std::array<Provider, 9> kProviders = {{
    {"SQLite", ProviderKind::Sqlite, true},
    {"PostgreSQL", ProviderKind::PostgreSql, true},
    {"MSDASQL", ProviderKind::OdbcDataSource, true},
    {"MSOLEDBSQL", ProviderKind::SqlServer, true},
    {"MSOLEDBSQL.1", ProviderKind::SqlServer, false},
    {"MSOLEDBSQL19", ProviderKind::SqlServer, false},
    {"SQLNCLI11", ProviderKind::SqlServer, true},
    {"SQLNCLI", ProviderKind::SqlServer, true},
    {"SQLOLEDB", ProviderKind::SqlServer, false},
}};

// The provider of that name in any letter case; null when there is none.
const Provider* findProvider(std::string_view name);

// The names the window offers, in its order: the SQL Server ones it has always offered first,
// then the other drivers.
std::vector<std::string> listedProviderNames();

}  // namespace csv2sql::db
