#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>

namespace csv2sql::db::testing {

// The private PostgreSQL cluster that the test script starts, described by its environment.
struct PgServer {
  std::string host, port, user, password, database;

  // "Provider=PostgreSQL;..." with the password quoted, as it holds ";" and a double quote.
  std::string connectionString(const std::string& secret, const std::string& catalog) const {
    std::string quoted = "\"";
    for (char c : secret) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += '"';
    return "Provider=PostgreSQL;Data Source=" + host + ":" + port + ";Initial Catalog=" + catalog +
           ";User ID=" + user + ";Password=" + quoted + ";OLE DB Services =-2;";
  }
  std::string connectionString() const { return connectionString(password, database); }
};

inline std::optional<PgServer> pgServer() {
  const char* names[] = {"CSV2SQL_PG_HOST", "CSV2SQL_PG_PORT", "CSV2SQL_PG_USER",
                         "CSV2SQL_PG_PASSWORD", "CSV2SQL_PG_DATABASE"};
  std::string values[5];
  for (int i = 0; i < 5; ++i) {
    const char* value = std::getenv(names[i]);
    if (!value) return std::nullopt;
    values[i] = value;
  }
  return PgServer{values[0], values[1], values[2], values[3], values[4]};
}

// Skips a test without the server outside CI; in CI a missing server is a failure.
#define CSV2SQL_REQUIRE_PG(server)                                                        \
  do {                                                                                    \
    if (!(server)) {                                                                      \
      if (std::getenv("CI")) FAIL() << "CSV2SQL_PG_* is not set: start the test cluster"; \
      GTEST_SKIP() << "no PostgreSQL test cluster (CSV2SQL_PG_* not set)";                \
    }                                                                                     \
  } while (false)

// A direct libpq session for setting up and checking, apart from the driver under test.
class PgProbe {
 public:
  explicit PgProbe(const PgServer& server) {
    const char* keys[] = {"host", "port", "user", "password", "dbname", nullptr};
    const char* values[] = {server.host.c_str(),     server.port.c_str(),     server.user.c_str(),
                            server.password.c_str(), server.database.c_str(), nullptr};
    connection_ = PQconnectdbParams(keys, values, 0);
    EXPECT_EQ(PQstatus(connection_), CONNECTION_OK) << PQerrorMessage(connection_);
  }
  ~PgProbe() { PQfinish(connection_); }
  PgProbe(const PgProbe&) = delete;
  PgProbe& operator=(const PgProbe&) = delete;

  void run(const std::string& sql) {
    PGresult* result = PQexec(connection_, sql.c_str());
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK)
        << sql << ": " << PQerrorMessage(connection_);
    PQclear(result);
  }
  // The rows of a query, each row's columns joined by "|" (NULL as "NULL").
  std::vector<std::string> rows(const std::string& sql) {
    std::vector<std::string> out;
    PGresult* result = PQexec(connection_, sql.c_str());
    EXPECT_EQ(PQresultStatus(result), PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(connection_);
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
  std::string one(const std::string& sql) {
    const auto all = rows(sql);
    return all.empty() ? "(no row)" : all.front();
  }

 private:
  PGconn* connection_ = nullptr;
};

// A table name of its own for each test, so that tests may run side by side.
inline std::string uniqueTableName(const std::string& stem) {
  std::random_device random;
  return "c1_" + stem + "_" + std::to_string(random() % 1000000000u);
}

}  // namespace csv2sql::db::testing
