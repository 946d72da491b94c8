#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<TableRow>;

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Runs against the private PostgreSQL cluster of the test script, through the native driver.
// Each test has a table of its own, so tests may run side by side.
class PostgresRunTest : public ImportRunTest {
 protected:
  void SetUp() override {
    if (env("CSV2SQL_PG_HOST").empty()) {
      if (!env("CI").empty()) FAIL() << "CSV2SQL_PG_HOST is not set: the test cluster is missing";
      GTEST_SKIP() << "no PostgreSQL test cluster (CSV2SQL_PG_HOST not set)";
    }
    const char* keys[] = {"host", "port", "user", "password", "dbname", nullptr};
    const std::string values[] = {env("CSV2SQL_PG_HOST"), env("CSV2SQL_PG_PORT"),
                                  env("CSV2SQL_PG_USER"), env("CSV2SQL_PG_PASSWORD"),
                                  env("CSV2SQL_PG_DATABASE")};
    const char* valuePointers[] = {values[0].c_str(), values[1].c_str(), values[2].c_str(),
                                   values[3].c_str(), values[4].c_str(), nullptr};
    pg_ = PQconnectdbParams(keys, valuePointers, 0);
    ASSERT_EQ(PQstatus(pg_), CONNECTION_OK) << PQerrorMessage(pg_);

    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return std::isalnum(c) ? std::tolower(c) : '_'; });
    table_ = "csv_" + name.substr(0, 50);
    exec("DROP TABLE IF EXISTS " + table_);
    exec("CREATE TABLE " + table_ +
         " (DateTime timestamp, Tag varchar(50), Value double precision CHECK (Value >= 0))");

    form().cboOleProvider.setText("PostgreSQL");
    form().txtDataSource.setText(values[0] + ":" + values[1]);
    form().txtUserId.setText(values[2]);
    form().txtPassword.setText(values[3]);
    form().txtInitialCat.setText(values[4]);
    form().txtDestTable.setText(table_);
  }

  void TearDown() override {
    if (pg_ != nullptr && PQstatus(pg_) == CONNECTION_OK) exec("DROP TABLE IF EXISTS " + table_);
    PQfinish(pg_);
  }

  void exec(const std::string& sql) {
    PGresult* result = PQexec(pg_, sql.c_str());
    const auto status = PQresultStatus(result);
    EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(pg_);
    PQclear(result);
  }

  Rows pgRows() {
    Rows rows;
    const std::string query =
        "SELECT to_char(DateTime, 'YYYY-MM-DD HH24:MI:SS.US'), Tag, "
        "Value::text FROM " +
        table_ + " ORDER BY DateTime, Tag";
    PGresult* result = PQexec(pg_, query.c_str());
    EXPECT_EQ(PQresultStatus(result), PGRES_TUPLES_OK) << PQerrorMessage(pg_);
    for (int row = 0; row < PQntuples(result); ++row) {
      TableRow values;
      for (int column = 0; column < PQnfields(result); ++column) {
        values.emplace_back(PQgetisnull(result, row, column) ? "NULL"
                                                             : PQgetvalue(result, row, column));
      }
      rows.push_back(std::move(values));
    }
    PQclear(result);
    return rows;
  }

  PGconn* pg_ = nullptr;
  std::string table_;
};

TEST_F(PostgresRunTest, ExampleLinesGiveThreeRowsAndFourSkipLines) {
  form().chkArchive.setValue(1);
  writeCsv("plant1.csv", exampleFile());

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);

  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:05:09.000000", "FIT101", "12.5"},
                            {"2024-03-07 14:06:00.000000", "LT7", "0.25"},
                            {"2024-03-07 14:07:00.000000", "", "7"}}));
  Lines lines = logTexts();
  ASSERT_GE(lines.size(), 10u);
  EXPECT_TRUE(startsWith(lines[3], "Connected to Dest: Provider=PostgreSQL;")) << lines[3];
  EXPECT_EQ(lines[3].find(env("CSV2SQL_PG_PASSWORD")), std::string::npos);
  EXPECT_EQ(
      Lines(lines.end() - 10, lines.end()),
      (Lines{"8 rows loaded from file", "Row 5 invalid date (bad) record skipped",
             "Row 6 invalid value (n/a) record skipped", "Row 7 invalid value () record skipped",
             "Row 8 invalid date ( otal) record skipped", "3 readings stored, 4 rows skipped",
             "Archiving plant1.csv to " + archiveFolder.string(),
             "Run done: 1 files, 3 readings stored, 4 rows skipped, 0.0 seconds", "",
             "Logging off."}));
  EXPECT_FALSE(inSource("plant1.csv"));
}

TEST_F(PostgresRunTest, RefusedRowRollsBackItsFileAndAReRunImportsEachReadingOnce) {
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  const Lines bLines = {"h", "2024-03-07 15:00:00,B,1", "2024-03-07 15:01:00,B,-2",
                        "2024-03-07 15:02:00,B,3"};
  writeCsv("b.csv", csvLines(bLines));

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_TRUE(startsWith(logTexts().back(), "Error ")) << logTexts().back();
  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:00:00.000000", "A", "1"}}));
  EXPECT_TRUE(inSource("b.csv"));

  Lines fixed = bLines;
  fixed[2] = "2024-03-07 15:01:00,B,2";
  writeCsv("b.csv", csvLines(fixed));
  test.clock.advanceSeconds(60);
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:00:00.000000", "A", "1"},
                            {"2024-03-07 15:00:00.000000", "B", "1"},
                            {"2024-03-07 15:01:00.000000", "B", "2"},
                            {"2024-03-07 15:02:00.000000", "B", "3"}}));
  EXPECT_TRUE(namesIn(sourceFolder).empty());
}

// The rolled-back file ends its COPY; the next file streams on the same recordset.
TEST_F(PostgresRunTest, FileWrittenToDuringTheRunIsRolledBackAndTheNextFileGoesOn) {
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,1"}));
  writeCsv("c.csv", csvLines({"h", "2024-03-07 16:00:00,C,1"}));
  test.eventLoop.onYield = [&] {
    writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,1", "2024-03-07 15:01:00,B,2"}));
    test.eventLoop.onYield = nullptr;
  };
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:00:00.000000", "A", "1"},
                            {"2024-03-07 16:00:00.000000", "C", "1"}}));
  EXPECT_TRUE(inSource("b.csv"));
  EXPECT_FALSE(inSource("c.csv"));
}

// The same exactly-once import through ODBC (psqlODBC and a data source name), whose rows go
// in arrays of parameter sets.
TEST_F(PostgresRunTest, ThroughOdbcARefusedRowRollsBackItsFileAndAReRunImportsEachReadingOnce) {
  ASSERT_FALSE(env("CSV2SQL_PG_DSN").empty()) << "the test script's ODBC data source is missing";
  form().cboOleProvider.setText("MSDASQL");
  form().txtDataSource.setText(env("CSV2SQL_PG_DSN"));
  form().chkArchive.setValue(1);
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  const Lines bLines = {"h", "2024-03-07 15:00:00,B,1", "2024-03-07 15:01:00.5,B,-2",
                        "2024-03-07 15:02:00,B,3"};
  writeCsv("b.csv", csvLines(bLines));

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:00:00.000000", "A", "1"}}));
  EXPECT_TRUE(inSource("b.csv"));

  Lines fixed = bLines;
  fixed[2] = "2024-03-07 15:01:00.5,B,2";
  writeCsv("b.csv", csvLines(fixed));
  test.clock.advanceSeconds(60);
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(pgRows(), (Rows{{"2024-03-07 14:00:00.000000", "A", "1"},
                            {"2024-03-07 15:00:00.000000", "B", "1"},
                            {"2024-03-07 15:01:00.500000", "B", "2"},
                            {"2024-03-07 15:02:00.000000", "B", "3"}}));
  EXPECT_TRUE(namesIn(sourceFolder).empty());
}

TEST_F(PostgresRunTest, PurgeBindsTheCutOffAndLogsTheLiteral) {
  exec("INSERT INTO " + table_ +
       " VALUES ('2024-06-02 23:59:59', 'A', 1), ('2024-06-03 00:00:00', 'B', 2)");
  test.clock.set(DateTime::fromParts(2024, 6, 10, 14, 20));
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("7");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(logTexts()[4], "Old recs Removed with: DELETE FROM " + table_ +
                               " WHERE DateTime < '2024-06-03 00:00:00'");
  EXPECT_EQ(pgRows(), (Rows{{"2024-06-03 00:00:00.000000", "B", "2"}}));
}

TEST_F(PostgresRunTest, UtcConversionTagEncodingAndFractions) {
  form().chkUtcOffset.setValue(1);
  setUtcTable({{"2024-03-10 07:00:00", "2024-11-03 05:59:59", "-4"},
               {"2024-11-03 06:00:00", "2025-03-09 06:59:59", "-5"}});
  writeCsv("f.csv", csvLines({"h",
                              "2024-07-01T12:00:00.125Z,TT1 \xB0"
                              "C,1",
                              "2024-12-01 12:00:00,TT2,2"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(pgRows(), (Rows{{"2024-07-01 08:00:00.125000",
                             "TT1 \xC2\xB0"
                             "C",
                             "1"},
                            {"2024-12-01 07:00:00.000000", "TT2", "2"}}));
}

TEST_F(PostgresRunTest, TableWithoutTagKeepsNothingOfTheFile) {
  exec("ALTER TABLE " + table_ + " DROP COLUMN Tag");
  form().chkArchive.setValue(1);
  writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_TRUE(startsWith(logTexts().back(), "Error ")) << logTexts().back();
  PGresult* result = PQexec(pg_, ("SELECT count(*) FROM " + table_).c_str());
  EXPECT_STREQ(PQgetvalue(result, 0, 0), "0");
  PQclear(result);
  EXPECT_TRUE(inSource("plant1.csv"));
  EXPECT_FALSE(form().btnTransferData.enabled());
}

TEST_F(PostgresRunTest, BracketedNameReachesTheServerAsOneIdentifier) {
  exec("DROP TABLE IF EXISTS victim");
  exec("CREATE TABLE victim (x int)");
  form().txtDestTable.setText("[x; DROP TABLE victim; --]");
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("7");
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_NE(logTexts().back().find("relation \"x; DROP TABLE victim; --\" does not exist"),
            std::string::npos)
      << logTexts().back();
  exec("SELECT count(*) FROM victim");
  exec("DROP TABLE victim");
}

TEST_F(PostgresRunTest, SchemaQualifiedBareNameStillNamesTheFoldedTable) {
  std::string upper = table_;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  form().txtDestTable.setText("PUBLIC." + upper);
  writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(pgRows().size(), 1u);
}

}  // namespace
}  // namespace csv2sql::testing
