#include "tests/support/pg_server.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <random>

namespace csv2sql::testing {

std::optional<PgServer> pgServer() {
  std::string values[6];
  const char* names[] = {"CSV2SQL_PG_HOST",     "CSV2SQL_PG_PORT",     "CSV2SQL_PG_USER",
                         "CSV2SQL_PG_PASSWORD", "CSV2SQL_PG_DATABASE", "CSV2SQL_PG_DSN"};
  for (int i = 0; i < 6; ++i) {
    const char* value = std::getenv(names[i]);
    if (value == nullptr) return std::nullopt;
    values[i] = value;
  }
  return PgServer{values[0], values[1], values[2], values[3], values[4], values[5]};
}

bool pgRequired() {
  return std::getenv("CI") != nullptr;
}

PgProbe::PgProbe(const PgServer& server) {
  const char* keys[] = {"host", "port", "user", "password", "dbname", nullptr};
  const char* values[] = {server.host.c_str(),     server.port.c_str(),     server.user.c_str(),
                          server.password.c_str(), server.database.c_str(), nullptr};
  connection_ = PQconnectdbParams(keys, values, 0);
  EXPECT_EQ(PQstatus(connection_), CONNECTION_OK) << PQerrorMessage(connection_);
}

PgProbe::~PgProbe() {
  PQfinish(connection_);
}

void PgProbe::run(const std::string& sql) {
  PGresult* result = PQexec(connection_, sql.c_str());
  EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(connection_);
  PQclear(result);
}

std::vector<std::string> PgProbe::rows(const std::string& sql) {
  std::vector<std::string> out;
  PGresult* result = PQexec(connection_, sql.c_str());
  EXPECT_EQ(PQresultStatus(result), PGRES_TUPLES_OK) << sql << ": " << PQerrorMessage(connection_);
  for (int row = 0; row < PQntuples(result); ++row) {
    std::string line;
    for (int column = 0; column < PQnfields(result); ++column) {
      if (column > 0) line += '|';
      line += PQgetisnull(result, row, column)
                  ? std::string("NULL")
                  : std::string(PQgetvalue(result, row, column),
                                static_cast<std::size_t>(PQgetlength(result, row, column)));
    }
    out.push_back(line);
  }
  PQclear(result);
  return out;
}

std::string uniqueName(const std::string& stem) {
  static std::random_device random;
  return stem + "_" + std::to_string(random() % 1000000000u);
}

}  // namespace csv2sql::testing
