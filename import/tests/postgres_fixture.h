#pragma once

#include <optional>
#include <string>

#include "import/tests/run_fixture.h"
#include "tests/support/pg_server.h"

namespace csv2sql::testing {

// Runs into the private PostgreSQL cluster of the test script, each test on a table of its own.
class PostgresRunTest : public ImportRunTest {
 public:
  void SetUp() override {
    CSV2SQL_REQUIRE_PG(server);
    pg("CREATE TABLE " + table +
       " (DateTime timestamp, Tag varchar(50), Value double precision CHECK (Value >= 0))");
    settings.provider = "PostgreSQL";
    settings.dataSource = server->host + ":" + server->port;
    settings.userId = server->user;
    settings.password = server->password;
    settings.initialCatalog = server->database;
    settings.destTable = table;
    settings.archive = true;
  }
  void TearDown() override {
    if (server) pg("DROP TABLE IF EXISTS " + table);
  }
  Lines rows() {
    return pg("SELECT to_char(DateTime, 'YYYY-MM-DD HH24:MI:SS.US'), Tag, Value FROM " + table +
              " ORDER BY DateTime, Tag");
  }

  const std::optional<PgServer> server = pgServer();
  Lines pg(const std::string& sql) { return pgRun(*server, sql); }
  const std::string table = uniqueName("csv_run");
};

}  // namespace csv2sql::testing
