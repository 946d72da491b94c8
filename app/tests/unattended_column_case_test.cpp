// A destination table and a ledger whose columns were created in quotes with capitals, as tools
// that migrate from SQL Server make them: found and written as they are spelt.
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/installation.h"
#include "tests/support/pg_server.h"

namespace csv2sql::testing {
namespace {

struct CaseCase {
  const char* name;
  const char* provider;  // "" SQLite
};

class QuotedColumns : public Installation, public ::testing::WithParamInterface<CaseCase> {
 protected:
  void SetUp() override {
    if (!sqlite()) CSV2SQL_REQUIRE_PG(server);
    const std::string create =
        "CREATE TABLE " + table +
        " (\"DateTime\" timestamp, \"Tag\" varchar(50), \"Value\" double precision); "
        "CREATE TABLE " +
        ledger +
        " (\"FileName\" varchar(255) NOT NULL, \"ByteLength\" bigint NOT NULL, \"Hash\" "
        "char(32) NOT NULL, \"Readings\" bigint NOT NULL, \"RowsSkipped\" bigint NOT NULL, "
        "\"ImportedAt\" timestamp NOT NULL, PRIMARY KEY (\"FileName\", \"ByteLength\", "
        "\"Hash\"))";
    if (sqlite()) {
      execSql(database, create);
    } else {
      pgRun(*server, create);
    }
  }
  void TearDown() override {
    if (!sqlite() && server) pgRun(*server, "DROP TABLE " + table + "; DROP TABLE " + ledger);
  }
  bool sqlite() const { return *GetParam().provider == '\0'; }
  std::vector<std::string> query(const std::string& sql) {
    return sqlite() ? queryRows(database, sql) : pgRun(*server, sql);
  }
  std::string config() const {
    std::string text =
        "DESTTABLE=" + table + "\r\nLEDGERTABLE=" + ledger + "\r\nDELRECDAYS=400\r\n";
    if (sqlite()) return text;
    const bool odbc = std::string_view(GetParam().provider) == "MSDASQL";
    return text + "CNN_PROVIDER=" + GetParam().provider +
           "\r\nCNN_DATASOURCE=" + (odbc ? server->dsn : server->host + ":" + server->port) +
           "\r\nCNN_INITIALCATALOG=" + server->database + "\r\nCNN_USERID=" + server->user +
           "\r\nCNN_PASSWORD=" + server->password + "\r\n";
  }

  const std::optional<PgServer> server = pgServer();
  const std::string table = uniqueName("Mixed");
  const std::string ledger = uniqueName("MixedLedger");
};

TEST_P(QuotedColumns, AreFoundAndTheFileImportedOnce) {
  writeConfig(config());
  for (int run = 0; run < 2; ++run) {
    // The archive name holds the second: the second drop must not take the first's.
    if (run > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    drop("a.csv", 3);
    start("1");
    EXPECT_EQ(waitForEnd(), 0) << output() << logText();
  }
  EXPECT_NE(logText().find("File a.csv was imported before: not imported again"), std::string::npos)
      << logText();
  EXPECT_EQ(query("SELECT count(*) FROM " + table), std::vector<std::string>{"3"});
  EXPECT_EQ(query("SELECT \"Readings\" FROM " + ledger), std::vector<std::string>{"3"});
}

INSTANTIATE_TEST_SUITE_P(Destinations, QuotedColumns,
                         ::testing::Values(CaseCase{"sqlite", ""},
                                           CaseCase{"postgres", "PostgreSQL"},
                                           CaseCase{"postgres_odbc", "MSDASQL"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
