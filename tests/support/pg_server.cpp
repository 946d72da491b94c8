#include "tests/support/pg_server.h"

#include <libpq-fe.h>

namespace csv2sql::testing {

std::optional<PgServer> pgServer() {
  std::string values[6];
  const char* names[] = {"HOST", "PORT", "USER", "PASSWORD", "DATABASE", "DSN"};
  for (int i = 0; i < 6; ++i) {
    const char* value = std::getenv(("CSV2SQL_PG_" + std::string(names[i])).c_str());
    if (value == nullptr) return std::nullopt;
    values[i] = value;
  }
  return PgServer{values[0], values[1], values[2], values[3], values[4], values[5]};
}

std::vector<std::string> pgRun(const PgServer& server, const std::string& sql) {
  const char* keys[] = {"host", "port", "user", "password", "dbname", nullptr};
  const char* values[] = {server.host.c_str(),     server.port.c_str(),     server.user.c_str(),
                          server.password.c_str(), server.database.c_str(), nullptr};
  PGconn* connection = PQconnectdbParams(keys, values, 0);
  PGresult* result = PQexec(connection, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
      << sql << ": " << PQerrorMessage(connection);
  std::vector<std::string> rows(static_cast<std::size_t>(PQntuples(result)));
  for (int row = 0; row < PQntuples(result); ++row) {
    for (int column = 0; column < PQnfields(result); ++column) {
      rows[row] += column > 0 ? "|" : "";
      rows[row] += PQgetisnull(result, row, column) ? "NULL" : PQgetvalue(result, row, column);
    }
  }
  PQclear(result);
  PQfinish(connection);
  return rows;
}

}  // namespace csv2sql::testing
