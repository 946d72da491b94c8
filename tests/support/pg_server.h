#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

typedef struct pg_conn PGconn;

namespace csv2sql::testing {

// The private PostgreSQL cluster that scripts/pg-cluster.sh starts, as its environment
// describes it (CSV2SQL_PG_HOST, _PORT, _USER, _PASSWORD, _DATABASE and _DSN, the psqlODBC data
// source of the same database).
struct PgServer {
  std::string host, port, user, password, database, dsn;
};

// The server, or nothing when any of its variables is missing.
std::optional<PgServer> pgServer();
// Whether a missing server fails the test instead of skipping it: env CI is set.
bool pgRequired();

// Ends the test unless the server (an optional or a pointer) is there: a failure in CI, a skip
// with the reason elsewhere.
#define CSV2SQL_REQUIRE_PG(server)                                                       \
  do {                                                                                   \
    if (!(server)) {                                                                     \
      constexpr const char* reason =                                                     \
          "no PostgreSQL test cluster: CSV2SQL_PG_* is not set (scripts/pg-cluster.sh)"; \
      if (::csv2sql::testing::pgRequired()) FAIL() << reason;                            \
      GTEST_SKIP() << reason;                                                            \
    }                                                                                    \
  } while (false)

// A libpq session of its own for laying out tables and reading them back, apart from the
// drivers under test. A failed statement fails the test.
class PgProbe {
 public:
  explicit PgProbe(const PgServer& server);
  ~PgProbe();
  PgProbe(const PgProbe&) = delete;
  PgProbe& operator=(const PgProbe&) = delete;

  void run(const std::string& sql);
  // The rows of a query, each row's columns joined by "|" (NULL as "NULL").
  std::vector<std::string> rows(const std::string& sql);

 private:
  PGconn* connection_ = nullptr;
};

// A table or role name of its own for each test ("<stem>_<random>"), so that tests, and test
// binaries, may use the one server side by side.
std::string uniqueName(const std::string& stem);

}  // namespace csv2sql::testing
