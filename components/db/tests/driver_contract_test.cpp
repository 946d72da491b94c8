// One contract for every database driver: the same bodies run against SQLite (a real file),
// PostgreSQL through libpq and PostgreSQL through psqlODBC (the test script's data source).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "components/db/connection.h"
#include "tests/support/pg_server.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using Rows = std::vector<std::string>;

// A failure's code: a database's SQLSTATE or else native code, the program's own number.
std::string code(const Error& error) {
  const auto* database = dynamic_cast<const DatabaseError*>(&error);
  if (database == nullptr) return std::to_string(error.number());
  return database->sqlState().empty() ? std::to_string(database->nativeCode())
                                      : database->sqlState();
}

// How a backend answers, as code() gives it.
struct Codes {
  std::string missingDestination, missingTable, refusedRow, timeout, nested, noTransaction;
};

// A destination, seen apart from the driver under test, and how it answers.
struct Backend {
  ConnectionSettings settings, missing;  // missing: a destination that is not there
  std::string columnTypes;               // of DateTime, Tag and Value, "%" between them
  std::string slowSql;                   // runs for seconds unless cut
  Codes codes;
  int batchRows;  // rows sent as one batch; 0: one stream that the commit ends
  bool shared;    // a server that other tests use at the same time: names of their own
  std::function<void(const std::string&)> run;
  std::function<Rows(const std::string&)> rows;
};

Backend sqlite(const std::filesystem::path& folder) {
  const auto file = folder / "data.db";
  return {{"SQLite", "data.db", "Readings", "loader", "se;cret\"pw"},
          {"SQLite", "missing.db", "", "", ""},
          "TEXT%TEXT%REAL",
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000000000) "
          "SELECT count(*) FROM n",
          {std::to_string(SQLITE_CANTOPEN), "1", std::to_string(SQLITE_CONSTRAINT_CHECK),
           std::to_string(SQLITE_INTERRUPT), "1", "1"},
          100,
          false,
          [file](const std::string& sql) { csv2sql::testing::execSql(file, sql); },
          [file](const std::string& sql) { return csv2sql::testing::queryRows(file, sql); }};
}

// PostgreSQL natively, or through psqlODBC: MSDASQL with the test script's data source.
std::optional<Backend> postgres(bool odbc) {
  const auto server = csv2sql::testing::pgServer();
  if (!server) return std::nullopt;
  const auto probe = std::make_shared<csv2sql::testing::PgProbe>(*server);
  const ConnectionSettings settings{odbc ? "MSDASQL" : "PostgreSQL",
                                    odbc ? server->dsn : server->host + ":" + server->port,
                                    server->database, server->user, server->password};
  ConnectionSettings missing = settings;
  (odbc ? missing.dataSource : missing.initialCatalog) = "no_such_db";
  return Backend{settings,
                 missing,
                 "timestamp%text%double precision",
                 "SELECT pg_sleep(3)",
                 {odbc ? "IM002" : "3D000", "42P01", "23514", "57014", "25001", "25P01"},
                 odbc ? 1000 : 0,
                 true,
                 [probe](const std::string& sql) { probe->run(sql); },
                 [probe](const std::string& sql) { return probe->rows(sql); }};
}

struct BackendCase {
  const char* name;
  std::function<std::optional<Backend>(const std::filesystem::path& folder)> make;
};
void PrintTo(const BackendCase& backend, std::ostream* out) {
  *out << backend.name;
}
const BackendCase kSqlite{"sqlite", sqlite};
const BackendCase kPostgres{"postgres", [](const auto&) { return postgres(false); }};
const BackendCase kPsqlOdbc{"psqlodbc", [](const auto&) { return postgres(true); }};
auto byName = [](const auto& info) { return std::string(info.param.name); };

// The program's way of writing a connection string; the password quoted, as it holds ";" and
// a double quote.
std::string openString(const ConnectionSettings& s) {
  std::string password = "\"";
  for (const char c : s.password) password += c == '"' ? std::string("\"\"") : std::string(1, c);
  return "Provider=" + s.provider + ";Data Source=" + s.dataSource +
         ";initial catalog=" + s.initialCatalog + ";User ID=" + s.userId + ";Password=" + password +
         "\";OLE DB Services =-2;";
}

DateTime at(int minute, int microsecond = 0) {
  return DateTime::fromParts(2024, 3, 1, 12, minute, 56, microsecond);
}

class DriverContract : public ::testing::TestWithParam<BackendCase> {
 protected:
  void SetUp() override {
    backend = GetParam().make(folder.path());
    CSV2SQL_REQUIRE_PG(backend);
    table = createTable("readings");
    connection.setCommandTimeout(10);
    connection.Open(openString(backend->settings));
    recordset = open(table);
  }
  void TearDown() override {
    recordset.reset();
    connection.Close();
    for (const std::string& name : tables) backend->run("DROP TABLE " + name);
  }

  // Every table of a test is named here. Unquoted names: PostgreSQL folds them to lower case,
  // and the fields still match.
  std::string createTable(const std::string& stem, bool withTag = true) {
    const std::string name = backend->shared ? csv2sql::testing::uniqueName(stem) : stem;
    const std::string& types = backend->columnTypes;
    const std::size_t tag = types.find('%'), value = types.rfind('%');
    backend->run("CREATE TABLE " + name + " (DateTime " + types.substr(0, tag) +
                 (withTag ? ", Tag " + types.substr(tag + 1, value - tag - 1) : "") + ", Value " +
                 types.substr(value + 1) + " CHECK (Value >= 0))");
    tables.push_back(name);
    return name;
  }
  // Every recordset is opened here: the one way a table name reaches the driver.
  std::unique_ptr<Recordset> open(const std::string& name) {
    return connection.OpenRecordset(TableName::check(name));
  }

  static void add(Recordset& rows,
                  std::initializer_list<std::pair<const char*, FieldValue>> fields) {
    rows.addNew();
    for (const auto& [name, value] : fields) rows.setField(name, value);
    rows.update();
  }
  static void addRow(Recordset& rows, DateTime stamp, std::string_view tag, double value) {
    add(rows, {{"DateTime", stamp}, {"Tag", tag}, {"Value", value}});
  }
  static void addRows(Recordset& rows, int count, int refused = -1) {
    for (int i = 0; i < count; ++i)
      addRow(rows, at(i), "T" + std::to_string(i), i == refused ? -1 : i);
  }
  Rows rows(const std::string& sql) { return backend->rows(sql); }
  std::string count() { return rows("SELECT count(*) FROM " + table).at(0); }
  void insertTag(std::string_view tag) {
    const FieldValue values[] = {tag};
    connection.Execute("INSERT INTO " + table + " (Tag, Value) VALUES (?, 1)", values);
  }
  // The description of the error the call fails with, expected to carry this code.
  static std::string expectError(const std::function<void()>& call, const std::string& expected) {
    try {
      call();
      ADD_FAILURE() << "no error, expected " << expected;
    } catch (const Error& error) {
      EXPECT_EQ(code(error), expected) << error.description();
      return error.description();
    }
    return {};
  }

  csv2sql::testing::TempDir folder;
  std::optional<Backend> backend;
  std::vector<std::string> tables;
  std::string table;
  Connection connection{folder.path()};
  std::unique_ptr<Recordset> recordset;
};

TEST_P(DriverContract, OpenReportsTheStringWithoutThePasswordAndAFailedOpenLeavesItClosed) {
  const ConnectionSettings& s = backend->settings;
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  EXPECT_EQ(connection.ConnectionString(),
            "Provider=" + s.provider + ";Data Source=" + s.dataSource +
                ";Initial Catalog=" + s.initialCatalog + ";User ID=" + s.userId);
  expectError([&] { connection.Open(openString(backend->missing)); },
              backend->codes.missingDestination);
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  EXPECT_EQ(connection.ConnectionString(), "");
}

TEST_P(DriverContract, ExecuteBindsParametersOutsideQuotedTextAndComments) {
  const FieldValue values[] = {DateTime::fromParts(2024, 3, 1, 14, 7, 9, 250000),
                               std::string_view("it's"), 2.5};
  connection.Execute(
      "INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, '?' || ? /* ? */, ?) -- ?",
      values);
  const FieldValue nulls[] = {std::monostate{}, std::monostate{}, std::monostate{}};
  connection.Execute("INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, ?, ?)", nulls);
  EXPECT_EQ(rows("SELECT DateTime, Tag, Value FROM " + table + " ORDER BY coalesce(Value, -1)"),
            (Rows{"NULL|NULL|NULL", "2024-03-01 14:07:09.25|?it's|2.5"}));
}

TEST_P(DriverContract, PurgeWithADateParameterComparesInTimeOrder) {
  addRow(*recordset, DateTime::fromParts(2024, 2, 29, 23, 59, 59, 999999), "old", 1);
  addRow(*recordset, DateTime::fromParts(2024, 3, 1), "kept", 2);
  const FieldValue cutoff[] = {DateTime::fromParts(2024, 3, 1)};
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < ?", cutoff);
  EXPECT_EQ(rows("SELECT Tag FROM " + table), Rows{"kept"});
}

TEST_P(DriverContract, WrongNumberOfParametersIsRefused) {
  const FieldValue one[] = {1.0};
  const FieldValue three[] = {1.0, 2.0, 3.0};
  expectError([&] { connection.Execute("DELETE FROM " + table + " WHERE Value IN (?, ?)", one); },
              "3001");
  expectError([&] { connection.Execute("DELETE FROM " + table + " WHERE Value = ?", three); },
              "3001");
}

TEST_P(DriverContract, MissingTableCarriesTheDriversCodeAndText) {
  const std::string text = expectError([&] { connection.Execute("DELETE FROM no_such_table"); },
                                       backend->codes.missingTable);
  EXPECT_NE(text.find("no_such_table"), std::string::npos);
  expectError([&] { open("no_such_table"); }, backend->codes.missingTable);
}

TEST_P(DriverContract, CommandTimeoutEndsASlowStatementWhenEverItWasSet) {
  Connection early{folder.path()};
  early.setCommandTimeout(1);
  early.Open(openString(backend->settings));
  expectError([&] { early.Execute(backend->slowSql); }, backend->codes.timeout);
  early.Execute("SELECT 1");  // the session goes on
  connection.BeginTrans();
  connection.setCommandTimeout(1);  // PostgreSQL's SET is undone by the roll-back
  connection.RollbackTrans();
  expectError([&] { connection.Execute(backend->slowSql); }, backend->codes.timeout);
}

TEST_P(DriverContract, CommandTimeoutBoundsStatementsNotAnOpenBatch) {
  // PostgreSQL's rows stream in one COPY that stays open between updates: the time-out must
  // not cut it.
  connection.setCommandTimeout(1);
  connection.BeginTrans();
  addRows(*recordset, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  addRows(*recordset, 1);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

TEST_P(DriverContract, CommitKeepsRollbackDropsAndTheGuardRollsBackUnlessCommitted) {
  connection.BeginTrans();
  insertTag("committed");
  connection.CommitTrans();
  connection.BeginTrans();
  insertTag("rolled_back");
  connection.RollbackTrans();
  {
    Transaction guard(connection);
    insertTag("dropped");
  }
  {
    Transaction guard(connection);
    insertTag("guarded");
    guard.commit();
  }
  insertTag("automatic");  // automatic commits are back: another session sees it at once
  EXPECT_EQ(rows("SELECT Tag FROM " + table + " ORDER BY Tag"),
            (Rows{"automatic", "committed", "guarded"}));
}

TEST_P(DriverContract, ClosingInsideATransactionRollsBack) {
  {
    Transaction guard(connection);
    addRows(*recordset, 3);
    connection.Execute("SELECT 1");  // the held rows are sent, not committed
    connection.Close();              // and the guard outliving its connection does not throw
  }
  EXPECT_EQ(count(), "0");
  expectError([&] { recordset->addNew(); }, "3704");  // the recordset closed with it
  EXPECT_NO_THROW(recordset->close());
}

TEST_P(DriverContract, NestedBeginAndCommitWithoutTransactionAreRefused) {
  expectError([&] { connection.CommitTrans(); }, backend->codes.noTransaction);
  connection.BeginTrans();
  expectError([&] { connection.BeginTrans(); }, backend->codes.nested);
  connection.RollbackTrans();
  EXPECT_NO_THROW(connection.RollbackTrans());  // nothing to roll back: nothing happens
}

TEST_P(DriverContract, RowOutsideATransactionIsWrittenAtOnceAndARefusedOneFailsItsUpdate) {
  addRow(*recordset, DateTime::fromParts(2024, 3, 1, 12, 0, 0, 500000), "Line1.Temp", 21.5);
  EXPECT_EQ(rows("SELECT DateTime, Tag, Value FROM " + table),
            Rows{"2024-03-01 12:00:00.5|Line1.Temp|21.5"});
  expectError([&] { addRow(*recordset, at(1), "refused", -1); }, backend->codes.refusedRow);
  addRow(*recordset, at(2), "after", 2);
  EXPECT_EQ(count(), "2");
}

TEST_P(DriverContract, DateTimesKeepTheirMicroseconds) {
  const std::pair<DateTime, const char*> stamps[] = {
      {DateTime::fromParts(2024, 3, 1), "2024-03-01 00:00:00"},
      {DateTime::fromParts(2024, 3, 1, 8, 0, 0, 120000), "2024-03-01 08:00:00.12"},
      {DateTime::fromParts(2024, 3, 1, 8, 0, 0, 1), "2024-03-01 08:00:00.000001"},
      {DateTime::fromParts(9999, 12, 31, 23, 59, 59, 999999), "9999-12-31 23:59:59.999999"},
      {DateTime::fromParts(1, 1, 1), "0001-01-01 00:00:00"}};
  Rows expected;
  connection.BeginTrans();
  for (const auto& [stamp, text] : stamps) {
    addRow(*recordset, stamp, "T", static_cast<double>(expected.size()));
    expected.push_back(text);
  }
  connection.CommitTrans();
  EXPECT_EQ(rows("SELECT DateTime FROM " + table + " ORDER BY Value"), expected);
}

TEST_P(DriverContract, FieldNamesMatchInAnyCaseAndFieldsNotSetAreNull) {
  add(*recordset, {{"DATETIME", std::monostate{}}, {"vAlUe", 3.5}});
  EXPECT_EQ(rows("SELECT DateTime, Tag, Value FROM " + table), Rows{"NULL|NULL|3.5"});
}

TEST_P(DriverContract, TableWithoutTagFailsAtSettingTag) {
  const auto narrow = open(createTable("notag", false));
  narrow->addNew();
  narrow->setField("DateTime", at(0));
  const std::string text = expectError([&] { narrow->setField("Tag", "x"); }, "3265");
  EXPECT_TRUE(
      text.starts_with("Item cannot be found in the collection corresponding to the "
                       "requested name or ordinal."))
      << text;
  EXPECT_NE(text.find("Tag"), std::string::npos);
}

TEST_P(DriverContract, RowCycleIsEnforcedAndAddNewWritesThePendingRow) {
  expectError([&] { recordset->setField("Tag", "x"); }, "3021");
  recordset->addNew();
  expectError([&] { recordset->update(); }, "3219");
  recordset->addNew();
  recordset->setField("Tag", "first");
  add(*recordset, {{"Tag", "second"}});  // AddNew writes the pending row first
  EXPECT_EQ(rows("SELECT Tag FROM " + table + " ORDER BY Tag"), (Rows{"first", "second"}));
}

TEST_P(DriverContract, BatchesAreAllThereAfterCommitAndNoneAfterRollback) {
  // 250: SQLite's statements of 100 rows and a part; 2500: two ODBC arrays of 1000 and a part;
  // 3000: more than one 64 KiB chunk of PostgreSQL's COPY.
  for (const int size : {250, 2500, 3000}) {
    connection.BeginTrans();
    addRows(*recordset, size);
    EXPECT_EQ(count(), "0");  // another session sees nothing before the commit
    connection.CommitTrans();
    const std::string n = std::to_string(size);
    EXPECT_EQ(rows("SELECT count(*), count(DISTINCT Tag), count(DISTINCT DateTime), "
                   "CAST(sum(Value) AS INTEGER) FROM " +
                   table),
              Rows{n + "|" + n + "|" + n + "|" + std::to_string(size * (size - 1) / 2)});
    connection.Execute("DELETE FROM " + table);
    connection.BeginTrans();
    addRows(*recordset, size);
    connection.RollbackTrans();
    EXPECT_EQ(count(), "0") << size;
  }
}

TEST_P(DriverContract, HeldRowsAreSentBeforeAnExecuteAndWhenTheRecordsetCloses) {
  connection.BeginTrans();
  addRows(*recordset, 10);
  connection.Execute("DELETE FROM " + table + " WHERE Value < 4");
  addRows(*recordset, 3);
  recordset->close();
  addRows(*open(table), 2);  // dropped unclosed
  connection.CommitTrans();
  EXPECT_EQ(count(), "11");
}

TEST_P(DriverContract, RowsOfOtherShapesMixInOneTransaction) {
  connection.BeginTrans();
  addRow(*recordset, at(0), "number", 1.5);
  add(*recordset, {{"Tag", "null"}, {"Value", std::monostate{}}});
  add(*recordset, {{"Tag", "text"}, {"Value", "2.5"}});
  add(*recordset, {{"Tag", "short"}});
  addRow(*recordset, at(1), "number_again", 3.5);
  connection.CommitTrans();
  EXPECT_EQ(rows("SELECT Tag, Value FROM " + table + " ORDER BY Tag"),
            (Rows{"null|NULL", "number|1.5", "number_again|3.5", "short|NULL", "text|2.5"}));
}

TEST_P(DriverContract, RefusedHeldRowFailsTheCommitAndRollsBack) {
  connection.BeginTrans();
  addRows(*recordset, 120, 110);  // SQLite has sent the first 100; the refused row is held
  expectError([&] { connection.CommitTrans(); }, backend->codes.refusedRow);
  EXPECT_EQ(count(), "0");
  connection.BeginTrans();  // the failed commit ended the transaction
  addRows(*recordset, 2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

TEST_P(DriverContract, TagsSurviveTheBatchAndTheSingleRowAsGiven) {
  const std::string tags[] = {"it's \"x\"",
                              "a\tb",
                              "a\nb",
                              "a\r\nb",
                              "C:\\data\\",
                              "\\N",
                              "\xc2\xb0"
                              "C \xE2\x82\xAC \xF0\x9F\x8C\xA1"};
  Rows expected;
  for (const bool batched : {true, false}) {
    if (batched) connection.BeginTrans();
    for (const std::string& tag : tags) {
      addRow(*recordset, at(0), tag, static_cast<double>(expected.size()));
      expected.push_back(tag);
    }
    if (batched) connection.CommitTrans();
  }
  EXPECT_EQ(rows("SELECT Tag FROM " + table + " ORDER BY Value"), expected);
}

TEST_P(DriverContract, EmptyTagIsStoredAsEmptyTextNotNull) {
  connection.BeginTrans();
  addRows(*recordset, 1);
  addRow(*recordset, at(1), "", 1);
  connection.CommitTrans();
  addRow(*recordset, at(2), "", 2);
  EXPECT_EQ(rows("SELECT Tag FROM " + table + " ORDER BY Value"), (Rows{"T0", "", ""}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DriverContract, ::testing::Values(kSqlite, kPostgres, kPsqlOdbc),
                         byName);

// ---- drivers that send held rows in batches --------------------------------------------------

using BatchingDriver = DriverContract;

TEST_P(BatchingDriver, RefusedRowFailsTheUpdateThatSendsItsBatch) {
  connection.BeginTrans();
  addRows(*recordset, backend->batchRows - 1, 10);
  expectError([&] { addRows(*recordset, 1); }, backend->codes.refusedRow);
  connection.RollbackTrans();
  EXPECT_EQ(count(), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, BatchingDriver, ::testing::Values(kSqlite, kPsqlOdbc), byName);

// ---- server drivers --------------------------------------------------------------------------

using ServerDriver = DriverContract;

TEST_P(ServerDriver, LoginFailureCarriesTheDriversCodeAndTextOnOneLine) {
  ConnectionSettings wrong = backend->settings;
  wrong.password = "wrong;\"pw";
  // psqlODBC reports every failed open as its own error 101 with SQLSTATE 08001; the server's
  // 28P01 shows only in the text.
  const std::string text = expectError([&] { connection.Open(openString(wrong)); },
                                       wrong.provider == "MSDASQL" ? "08001" : "28P01");
  EXPECT_NE(text.find("password authentication failed"), std::string::npos) << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << "one line for the log";
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

TEST_P(ServerDriver, PasswordWithBracesEqualsAndOuterBlanksLogsIn) {
  ConnectionSettings role = backend->settings;
  role.userId = csv2sql::testing::uniqueName("role");
  role.password = " a;b{c}}d=e\"f ";
  backend->run("CREATE ROLE " + role.userId + " LOGIN PASSWORD ' a;b{c}}d=e\"f '");
  EXPECT_NO_THROW(connection.Open(openString(role)));
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  connection.Close();
  backend->run("DROP ROLE " + role.userId);
}

TEST_P(ServerDriver, CommandTimeoutZeroWaitsWithoutLimit) {
  connection.setCommandTimeout(0);
  EXPECT_NO_THROW(connection.Execute("SELECT pg_sleep(1.2)"));
}

TEST_P(ServerDriver, TextTheServerCannotStoreIsRefused) {
  connection.BeginTrans();
  addRows(*recordset, 1);
  expectError([&] { addRow(*recordset, at(1), std::string_view("a\0b", 3), 1); }, "22021");
  addRow(*recordset, at(2), "after", 2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
  const FieldValue notUtf8[] = {
      std::string_view("Kessel \xB0"
                       "C")};
  expectError([&] { connection.Execute("INSERT INTO " + table + " (Tag) VALUES (?)", notUtf8); },
              "22021");
}

INSTANTIATE_TEST_SUITE_P(Backends, ServerDriver, ::testing::Values(kPostgres, kPsqlOdbc), byName);

// psqlODBC rolls back only the failed statement: its commit keeps the rows before it.
using NativePostgres = DriverContract;

TEST_P(NativePostgres, CommitAfterAFailedStatementReportsTheRollback) {
  connection.BeginTrans();
  addRows(*recordset, 2);
  EXPECT_THROW(connection.Execute("SELECT 1/0"), DatabaseError);
  expectError([&] { connection.CommitTrans(); }, "25P02");
  EXPECT_EQ(count(), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, NativePostgres, ::testing::Values(kPostgres), byName);

}  // namespace
}  // namespace csv2sql::db
