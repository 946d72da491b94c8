#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dbaccess/connection.h"
#include "import/ledger.h"
#include "import/tests/postgres_fixture.h"
#include "tests/support/pg_server.h"

namespace csv2sql::testing {
namespace {

TEST_F(PostgresRunTest, PurgeBindsTheCutOffAndNamesTheTableAsOneIdentifier) {
  pg("INSERT INTO " + table +
     " VALUES ('2024-06-02 23:59:59', 'A', 1), ('2024-06-03 00:00:00', 'B', 2)");
  test.clock.set(DateTime::fromParts(2024, 6, 10, 14, 20));
  settings.deleteOldRecords = true;
  settings.deleteDays.text = "7";
  std::string upper = table;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  settings.destTable = "PUBLIC." + upper;  // bare names fold as the server folds them
  EXPECT_EQ(runImport(), RunEnd::Normal);
  EXPECT_EQ(logTexts()[4], "Old recs Removed with: DELETE FROM PUBLIC." + upper +
                               " WHERE DateTime < '2024-06-03 00:00:00'");
  EXPECT_EQ(rows(), Lines{"2024-06-03 00:00:00.000000|B|2"});

  const std::string victim = uniqueName("victim");
  pg("CREATE TABLE " + victim + " (x int)");
  settings.destTable = "[x; DROP TABLE " + victim + "; --]";
  EXPECT_EQ(runImport(), RunEnd::Failed);
  EXPECT_NE(logTexts().back().find("relation \"x; DROP TABLE " + victim + "; --\" does not exist"),
            std::string::npos)
      << logTexts().back();
  pg("DROP TABLE " + victim);  // fails the test if the name had run as a statement
}

TEST_F(PostgresRunTest, TableWithoutTagKeepsNothingOfTheFile) {
  pg("ALTER TABLE " + table + " DROP COLUMN Tag");
  writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  EXPECT_EQ(runImport(), RunEnd::Failed);
  EXPECT_TRUE(startsWith(logTexts().back(), "Error 3265 - ")) << logTexts().back();
  EXPECT_EQ(pg("SELECT count(*) FROM " + table), Lines{"0"});
  EXPECT_TRUE(inSource("plant1.csv"));
}

// A file over its reject limit in the middle of a ledger group: only its own rows are rolled
// back; the files before and after it in the same transaction are imported once, each with its
// ledger row, and it goes to the error folder with its note.
TEST_F(PostgresRunTest, FileOverItsRejectLimitRollsBackOnlyItsOwnRowsInItsGroup) {
  const auto errors = test.folder.path() / "errors";
  std::filesystem::create_directories(errors);
  settings.errorFolder = errors.string();
  settings.ledgerTable = table + "_ledger";
  settings.rejectLimit = "10%";
  writeCsv("0.csv", csvLines({"h", "2024-03-07 13:00:00,Z,1"}));
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1", "2024-03-07 14:01:00;A;2"}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,1"}));

  EXPECT_EQ(runImport(), RunEnd::Normal) << logTexts().back();
  EXPECT_EQ(rows(), (Lines{"2024-03-07 13:00:00.000000|Z|1", "2024-03-07 15:00:00.000000|B|1"}));
  EXPECT_EQ(pg("SELECT FileName FROM " + table + "_ledger ORDER BY FileName"),
            (Lines{"0.csv", "b.csv"}));
  pg("DROP TABLE " + table + "_ledger");
  const std::string line =
      "Moved a.csv to " + errors.string() + ": 1 of 2 rows skipped, over the reject limit 10%";
  EXPECT_EQ(std::ranges::count(logTexts(), line), 1);
  EXPECT_EQ(run.report().setAside, Lines{line});
  EXPECT_TRUE(startsWith(run.summary(), "Run done: 3 files, 2 readings stored, 0 rows skipped, "))
      << run.summary();
  EXPECT_EQ(readFile(errors / "a__261205_081541.csv.err"),
            "File: a.csv\r\nRows skipped: 1 of 2\r\nReject limit: 10%\r\n");
  EXPECT_FALSE(inSource("a.csv"));
}

// A row the server refuses for its data, through each driver: with an error folder the file
// goes there with its note, the file before it in its ledger transaction is imported once and
// logged once, and the next file is imported.
struct PgRefusal {
  std::string name;
  bool odbc;
  std::string line;      // row 3 of the refused file
  std::string sqlState;  // in the note's "Database:" line
};

class PgRefusedFile : public PostgresRunTest, public ::testing::WithParamInterface<PgRefusal> {};

TEST_P(PgRefusedFile, GoesToTheErrorFolderAndTheRunGoesOn) {
  const PgRefusal& c = GetParam();
  if (c.odbc) {
    settings.provider = "MSDASQL";
    settings.dataSource = server->dsn;
  }
  const auto errors = test.folder.path() / "errors";
  std::filesystem::create_directories(errors);
  settings.errorFolder = errors.string();
  settings.ledgerTable = table + "_ledger";
  writeCsv("0.csv", csvLines({"h", "2024-03-07 13:00:00,Z,1"}));
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:00:00,A,1", c.line}));
  writeCsv("b.csv", csvLines({"h", "2024-03-07 15:00:00,B,1"}));

  EXPECT_EQ(runImport(), RunEnd::Normal) << logTexts().back();
  EXPECT_EQ(rows(), (Lines{"2024-03-07 13:00:00.000000|Z|1", "2024-03-07 15:00:00.000000|B|1"}));
  EXPECT_EQ(std::ranges::count(logTexts(), "1 readings stored, 0 rows skipped"), 2);
  pg("DROP TABLE " + table + "_ledger");
  const std::string note = readFile(errors / "a__261205_081541.csv.err");
  EXPECT_TRUE(startsWith(
      note, "File: a.csv\r\nRow: 3\r\nLine: " + c.line + "\r\nDatabase: [" + c.sqlState + "] "))
      << note;
  EXPECT_FALSE(inSource("a.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PgRefusedFile,
    ::testing::Values(PgRefusal{"value_too_long", false,
                                "2024-03-07 14:01:00," + std::string(51, 'T') + ",1", "22001"},
                      PgRefusal{"nul_in_tag", false,
                                "2024-03-07 14:01:00,T" + std::string(1, '\0') + "X,1", "22021"},
                      PgRefusal{"odbc_check_constraint", true, "2024-03-07 14:01:00,A,-2",
                                "23514"}),
    [](const auto& info) { return info.param.name; });

// Loaders that start together on a destination without its ledger table: each tries to create
// it, and each goes on with the one that was made, natively and through psqlODBC.
TEST_F(PostgresRunTest, LedgerIsCreatedOnceByLoadersStartingTogether) {
  constexpr int kLoaders = 8;
  for (const bool odbc : {false, true}) {
    const std::string ledger = uniqueName("race_ledger");
    const std::string open =
        std::string("Provider=") + (odbc ? "MSDASQL" : "PostgreSQL") +
        ";Data Source=" + (odbc ? server->dsn : server->host + ":" + server->port) +
        ";Initial Catalog=" + server->database + ";User ID=" + server->user +
        ";Password=" + db::connectionStringValue(server->password);
    std::vector<std::unique_ptr<db::Connection>> connections;
    for (int i = 0; i < kLoaders; ++i) {
      connections.push_back(std::make_unique<db::Connection>(test.folder.path()));
      connections.back()->Open(open);
    }
    std::atomic<int> waiting = kLoaders;
    std::vector<std::string> failures(kLoaders);
    std::vector<std::thread> loaders;
    for (int i = 0; i < kLoaders; ++i) {
      loaders.emplace_back([&, i] {
        for (--waiting; waiting > 0;) std::this_thread::yield();
        try {
          const Ledger made(*connections[i], db::TableName::check(ledger));
        } catch (const Error& error) {
          failures[i] = error.numberAndDescription();
        }
      });
    }
    for (std::thread& loader : loaders) loader.join();
    EXPECT_EQ(failures, std::vector<std::string>(kLoaders)) << (odbc ? "psqlODBC" : "libpq");
    EXPECT_EQ(pg("SELECT count(*) FROM " + ledger), Lines{"0"});
    pg("DROP TABLE " + ledger);
  }
}

}  // namespace
}  // namespace csv2sql::testing
