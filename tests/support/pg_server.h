#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace csv2sql::testing {

// The cluster of scripts/pg-cluster.sh, from CSV2SQL_PG_HOST, _PORT, ... and _DSN (psqlODBC).
struct PgServer {
  std::string host, port, user, password, database, dsn;
};

// The server, or nothing when any of its variables is missing.
std::optional<PgServer> pgServer();

// Ends the test unless the server is there: a failure in CI (env CI set), elsewhere a skip.
#define CSV2SQL_REQUIRE_PG(server)                                                      \
  do {                                                                                  \
    if (!(server)) {                                                                    \
      const char* reason = "no PostgreSQL test cluster: CSV2SQL_PG_* is not set";       \
      if (std::getenv("CI") != nullptr) FAIL() << reason << " (scripts/pg-cluster.sh)"; \
      GTEST_SKIP() << reason;                                                           \
    }                                                                                   \
  } while (false)

// Runs SQL through libpq, apart from the drivers under test: the rows, columns joined by "|"
// (NULL as "NULL"); a failed statement fails the test.
std::vector<std::string> pgRun(const PgServer& server, const std::string& sql);

}  // namespace csv2sql::testing
