// One contract run against SQLite (a real file), PostgreSQL through libpq and through psqlODBC
// (the test script's data source); then what one driver does its own way, a row per quirk.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <limits>
#include <optional>
#include <thread>

#include "dbaccess/connection.h"
#include "dbaccess/drivers.h"
#include "dbaccess/odbc_connection_string.h"
#include "dbaccess/odbc_text.h"
#include "dbaccess/pg_text.h"
#include "tests/support/pg_server.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_platform.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using Rows = std::vector<std::string>;

// How a call fails: SQLSTATE, else native code, else error number ("none": it did not fail).
struct Failure {
  std::string code = "none", text;
};

Failure failure(const std::function<void()>& call) {
  try {
    call();
  } catch (const DatabaseError& error) {
    const bool hasState = !error.sqlState().empty();
    return {hasState ? error.sqlState() : std::to_string(error.nativeCode()), error.description()};
  } catch (const Error& error) {
    return {std::to_string(error.number()), error.description()};
  }
  return {};
}

// How a backend answers, as failure() gives the code.
struct Codes {
  std::string missingTable, refusedRow, timeout, nested, noTransaction;
};

// A destination, seen apart from the driver under test (run, rows), and how it answers.
struct Backend {
  ConnectionSettings settings;
  std::string slowSql;  // runs for seconds unless cut
  Codes codes;
  std::function<void(const std::string&)> run;
  std::function<Rows(const std::string&)> rows;
};

std::optional<Backend> sqlite(const std::filesystem::path& folder) {
  const auto file = folder / "data.db";
  const auto code = [](int number) { return std::to_string(number); };
  return Backend{{"SQLite", "data.db", "Readings", "loader", "se;cret\"pw"},
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                 "WHERE i < 5000000000) SELECT count(*) FROM n",
                 {"1", code(SQLITE_CONSTRAINT_CHECK), code(SQLITE_INTERRUPT), "1", "1"},
                 [file](const std::string& sql) { csv2sql::testing::execSql(file, sql); },
                 [file](const std::string& sql) { return csv2sql::testing::queryRows(file, sql); }};
}

#if CSV2SQL_WITH_POSTGRESQL
// PostgreSQL natively, or through psqlODBC: MSDASQL with the test script's data source.
std::optional<Backend> postgres(bool odbc) {
  const auto server = csv2sql::testing::pgServer();
  if (!server) return std::nullopt;
  return Backend{
      {odbc ? "MSDASQL" : "PostgreSQL", odbc ? server->dsn : server->host + ":" + server->port,
       server->database, server->user, server->password},
      "SELECT pg_sleep(3)",
      {"42P01", "23514", "57014", "25001", "25P01"},
      [server](const std::string& sql) { csv2sql::testing::pgRun(*server, sql); },
      [server](const std::string& sql) { return csv2sql::testing::pgRun(*server, sql); }};
}
#endif

struct BackendCase {
  const char* name;
  std::optional<Backend> (*make)(const std::filesystem::path& folder);
};
const BackendCase kSqlite{"sqlite", sqlite};
#if CSV2SQL_WITH_POSTGRESQL
const BackendCase kPostgres{"postgres", [](const auto&) { return postgres(false); }};
const BackendCase kPsqlOdbc{"psqlodbc", [](const auto&) { return postgres(true); }};
#endif
auto byName = [](const auto& info) { return std::string(info.param.name); };

// The program's way of writing a connection string, the password in quotes (";" and '"').
std::string openString(const ConnectionSettings& s) {
  return "Provider=" + s.provider + ";Data Source=" + s.dataSource +
         ";initial catalog=" + s.initialCatalog + ";User ID=" + s.userId +
         ";Password=" + connectionStringValue(s.password) + ";OLE DB Services =-2;";
}

DateTime at(int minute) {
  return DateTime::fromParts(2024, 3, 1, 12, minute, 56);
}

class DriverContract : public ::testing::TestWithParam<BackendCase> {
 protected:
  void SetUp() override {
    backend = GetParam().make(folder.path());
    CSV2SQL_REQUIRE_PG(backend);
    // Unquoted, so PostgreSQL folds it to lower case and the fields still match.
    table = csv2sql::testing::uniqueName("readings");
    backend->run("CREATE TABLE " + table +
                 " (DateTime timestamp, Tag text, Value double precision CHECK (Value >= 0))");
    connection.Open(openString(backend->settings));
    recordset = open(table);
  }
  void TearDown() override {
    recordset.reset();
    connection.Close();
    if (!table.empty()) backend->run("DROP TABLE " + table);
  }

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
  static void addRows(Recordset& rows, int count) {
    for (int i = 0; i < count; ++i) addRow(rows, at(i), "T" + std::to_string(i), i);
  }
  Rows rows(const std::string& sql) { return backend->rows(sql); }
  std::string count() { return rows("SELECT count(*) FROM " + table).at(0); }
  static std::string expectError(const std::function<void()>& call, const std::string& code) {
    const Failure failed = failure(call);
    EXPECT_EQ(failed.code, code) << failed.text;
    return failed.text;
  }

  csv2sql::testing::TempDir folder;
  std::optional<Backend> backend;
  std::string table;
  Connection connection{folder.path()};
  std::unique_ptr<Recordset> recordset;
};

TEST_P(DriverContract, ExecuteBindsOutsideQuotesAndCommentsAndSingleRowsAreWrittenAtOnce) {
  const FieldValue values[] = {DateTime::fromParts(2024, 3, 1, 14, 7, 9, 250000),
                               std::string_view("it's"), 2.5};
  connection.Execute(
      "INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, '?' || ? /* ? */, ?) -- ?",
      values);
  const FieldValue nulls[] = {std::monostate{}, std::monostate{}, std::monostate{}};
  connection.Execute("INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, ?, ?)", nulls);
  addRow(*recordset, DateTime::fromParts(2024, 3, 1, 12, 0, 0, 500000), "Line1.Temp", 21.5);
  expectError([&] { addRow(*recordset, at(1), "refused", -1); }, backend->codes.refusedRow);
  addRow(*recordset, DateTime::fromParts(2024, 2, 29, 23, 59, 59, 999999), "purged", 1);
  const FieldValue cutoff[] = {DateTime::fromParts(2024, 3, 1)};  // compared in time order
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < ?", cutoff);
  EXPECT_EQ(rows("SELECT DateTime, Tag, Value FROM " + table + " ORDER BY coalesce(Value, -1)"),
            (Rows{"NULL|NULL|NULL", "2024-03-01 14:07:09.25|?it's|2.5",
                  "2024-03-01 12:00:00.5|Line1.Temp|21.5"}));
}

constexpr std::string_view kTagAndValue[] = {"TAG", "Value"};
constexpr std::string_view kTagAndNoSuchColumn[] = {"Tag", "Tagname"};

TEST_P(DriverContract, RefusedCallsCarryTheirCodeAndText) {
  const FieldValue one[] = {1.0};
  const std::tuple<const char*, std::string, const char*, std::function<void()>> calls[] = {
      {"too_few", "3001", "", [&] { connection.Execute("SELECT ? + ?", one); }},
      {"missing_table", backend->codes.missingTable, "no_such_table",
       [&] { connection.Execute("DELETE FROM no_such_table"); }},
      {"missing_recordset", backend->codes.missingTable, "", [&] { open("no_such_table"); }},
      {"commit_alone", backend->codes.noTransaction, "", [&] { connection.CommitTrans(); }},
      {"field_before_addnew", "3021", "", [&] { recordset->setField("Tag", "x"); }},
      {"empty_update", "3219", "", [&] { recordset->addNew(), recordset->update(); }},
      {"missing_column", "3265", "Tagname", [&] { recordset->columnsOf(kTagAndNoSuchColumn); }},
      {"values_for_other_columns", "3001", "",
       [&] { recordset->addRow(recordset->columnsOf(kTagAndValue), one); }},
      {"column_beyond_the_table", "3001", "no column number 3",
       [&] { recordset->addRow(ColumnOrder{3}, one); }},
      {"empty_row", "3219", "", [&] { recordset->addRow({}, {}); }}};
  for (const auto& [name, code, text, call] : calls) {
    EXPECT_NE(expectError(call, code).find(text), std::string::npos) << name;
  }
}

TEST_P(DriverContract, CommandTimeoutEndsASlowStatementSetInATransactionButNotAnOpenBatch) {
  connection.BeginTrans();
  connection.setCommandTimeout(1);  // PostgreSQL's SET is undone by the roll-back
  connection.RollbackTrans();
  expectError([&] { connection.Execute(backend->slowSql); }, backend->codes.timeout);
  // PostgreSQL's rows stream in one COPY that stays open between updates: not cut.
  connection.BeginTrans();
  addRows(*recordset, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  addRows(*recordset, 1);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

// SQLite sends statements of 500 rows, ODBC batches of 1000 or more, PostgreSQL's COPY 64 KiB
// chunks.
TEST_P(DriverContract, CommitKeepsAndRollbackOrCloseDropAndNestingIsRefused) {
  connection.BeginTrans();
  addRows(*recordset, 2500);
  expectError([&] { connection.BeginTrans(); }, backend->codes.nested);
  EXPECT_EQ(count(), "0");  // another session sees nothing before the commit
  connection.CommitTrans();
  connection.BeginTrans();
  addRows(*recordset, 2500);
  connection.RollbackTrans();
  EXPECT_NO_THROW(connection.RollbackTrans());  // nothing to roll back: nothing happens
  addRow(*recordset, at(0), "automatic", 1);    // automatic commits are back: seen at once
  {
    Transaction guard(connection);
    addRows(*recordset, 2500);
    connection.Execute("SELECT 1");  // the held rows are sent, not committed
    connection.Close();              // and the guard outliving its connection does not throw
  }
  EXPECT_EQ(rows("SELECT count(DISTINCT Tag), CAST(sum(Value) AS INTEGER) FROM " + table),
            Rows{"2501|3123751"});
  expectError([&] { recordset->addNew(); }, "3704");  // the recordset closed with it
  EXPECT_NO_THROW(recordset->close());
}

TEST_P(DriverContract, TagsSurviveTheBatchAsGivenAndEmptyIsNotNullWhateverTheRowCycle) {
  const char* tags[] = {"it's \"x\"", "a\tb", "a\nb", "a\r\nb",
                        "C:\\data\\", "\\N",  "",     "\u00b0C \u20ac \U0001F321"};
  Rows expected;
  connection.BeginTrans();
  // A row given whole lends its text: each tag is written over the last one's, in one buffer.
  const ColumnOrder columns = recordset->columnsOf(kTagAndValue);
  std::string buffer;
  for (const char* tag : tags) {
    buffer.assign(tag);
    const FieldValue values[] = {std::string_view(buffer), static_cast<double>(expected.size())};
    recordset->addRow(columns, values);
    expected.push_back(tag);
  }
  // A row begun field by field is written before the next row given whole.
  recordset->addNew();
  recordset->setField("Tag", "pending");
  recordset->setField("Value", static_cast<double>(expected.size()));
  expected.push_back("pending");
  buffer = "last";
  const FieldValue last[] = {std::string_view(buffer), static_cast<double>(expected.size())};
  recordset->addRow(columns, last);
  expected.push_back("last");
  connection.CommitTrans();
  EXPECT_EQ(rows("SELECT coalesce(Tag, 'NULL') FROM " + table + " ORDER BY Value"), expected);
}

TEST_P(DriverContract, RowsGivenWholeLandInTheirColumnsInAnyOrderAndAColumnGivenTwiceKeepsTheLast) {
  constexpr std::string_view kBackwards[] = {"Value", "Tag", "DateTime"};
  constexpr std::string_view kTagTwice[] = {"Tag", "Value", "tag"};
  constexpr std::string_view kTableOrder[] = {"DateTime", "Tag", "Value"};
  const FieldValue backwards[] = {1.5, std::string_view("backwards"), at(1)};
  const FieldValue tagTwice[] = {std::string_view("first"), 2.5, std::string_view("second")};
  const FieldValue tableOrder[] = {at(3), std::string_view("table order"), 3.5};
  connection.BeginTrans();
  // Each change of shape within one batch, and back to the first.
  recordset->addRow(recordset->columnsOf(kBackwards), backwards);
  recordset->addRow(recordset->columnsOf(kTagTwice), tagTwice);
  recordset->addRow(recordset->columnsOf(kTableOrder), tableOrder);
  recordset->addRow(recordset->columnsOf(kBackwards), backwards);
  connection.CommitTrans();
  EXPECT_EQ(rows("SELECT DateTime, Tag, Value FROM " + table + " ORDER BY Value"),
            (Rows{"2024-03-01 12:01:56|backwards|1.5", "2024-03-01 12:01:56|backwards|1.5",
                  "NULL|second|2.5", "2024-03-01 12:03:56|table order|3.5"}));
}

// At the edges of ODBC's statements of 700 rows (2100 values), two to a batch: one row, one
// statement, a batch and a row, a batch and a statement and a row; a refused row at the end of
// a statement, of a batch or of the rest rolls the rows back whole.
TEST_P(DriverContract, RowsAtTheStatementEdgesAreStoredOnceOrRefusedWhole) {
  const std::pair<int, int> cases[] = {{1, 0},      {700, 0},     {1401, 0},   {2101, 0},
                                       {1400, 700}, {1401, 1400}, {2101, 2101}};
  for (const auto& [count, refused] : cases) {
    backend->run("DELETE FROM " + table);
    connection.BeginTrans();
    const Failure failed = failure([&, count = count, refused = refused] {
      for (int i = 1; i <= count; ++i) addRow(*recordset, at(i % 60), "T", i == refused ? -1 : i);
      connection.CommitTrans();
    });
    connection.RollbackTrans();
    EXPECT_EQ(failed.code, refused ? backend->codes.refusedRow : "none") << count << failed.text;
    const std::string stored =
        std::to_string(count) + "|" + std::to_string(count * (count + 1) / 2);
    EXPECT_EQ(rows("SELECT count(*), CAST(coalesce(sum(Value), 0) AS INTEGER) FROM " + table),
              Rows{refused ? "0|0" : stored})
        << count;
  }
}

#if CSV2SQL_WITH_POSTGRESQL
INSTANTIATE_TEST_SUITE_P(Backends, DriverContract, ::testing::Values(kSqlite, kPostgres, kPsqlOdbc),
                         byName);
#else
// A build without PostgreSQL (the Windows build) holds the contract on SQLite.
INSTANTIATE_TEST_SUITE_P(Backends, DriverContract, ::testing::Values(kSqlite), byName);
#endif
#if CSV2SQL_WITH_POSTGRESQL

using ServerDriver = DriverContract;

TEST_P(ServerDriver, LoginFailureIsOneLineWithTheDriversCodeAndAnOddPasswordLogsIn) {
  ConnectionSettings role = backend->settings;
  role.password = "wrong;\"pw";
  // psqlODBC reports any failed open as 08001; the server's 28P01 shows only in the text.
  const std::string text = expectError([&] { connection.Open(openString(role)); },
                                       role.provider == "MSDASQL" ? "08001" : "28P01");
  EXPECT_NE(text.find("password authentication failed"), std::string::npos) << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << "one line for the log";
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  role.userId = csv2sql::testing::uniqueName("role");
  role.password = " a;b{c}}d=e\"f ";
  backend->run("CREATE ROLE " + role.userId + " LOGIN PASSWORD ' a;b{c}}d=e\"f '");
  EXPECT_NO_THROW(connection.Open(openString(role)));
  connection.Close();
  backend->run("DROP ROLE " + role.userId);
}

TEST_P(ServerDriver, TextTheServerCannotStoreIsRefused) {
  connection.BeginTrans();
  addRows(*recordset, 1);
  expectError([&] { addRow(*recordset, at(1), std::string_view("a\0b", 3), 1); }, "22021");
  addRow(*recordset, at(2), "after", 2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

INSTANTIATE_TEST_SUITE_P(Backends, ServerDriver, ::testing::Values(kPostgres, kPsqlOdbc), byName);

// A value into a column of each type the PostgreSQL driver's COPY sends in binary, or leaves
// to text, after a row that sets it NULL: stored as the text COPY stores it (read back as
// text; a timestamptz in UTC), or refused with the text COPY's code.
struct ColumnCase {
  const char* name;
  const char* type;
  FieldValue value;
  std::string stored;
  const char* zone = "UTC";  // the driver's session
};
const DateTime kStamp = DateTime::fromParts(2024, 3, 1, 12, 34, 56, 789012);
const ColumnCase kColumnCases[] = {
    {"timestamptz_utc", "timestamptz", kStamp, "2024-03-01 12:34:56.789012"},
    {"timestamptz_zone", "timestamptz", kStamp, "2024-03-01 17:34:56.789012", "America/New_York"},
    {"stamp_as_text", "timestamp", std::string_view("2024-03-01 12:00:00.5"),
     "2024-03-01 12:00:00.5"},
    {"text_from_stamp", "text", kStamp, "2024-03-01 12:34:56.789012"},
    {"varchar_too_long", "varchar(5)", std::string_view("a\tb\\cd"), "22001"},
    {"real_rounded", "real", 0.1, "0.1"},
    {"real_out_of_range", "real", 1e300, "22003"},
    {"double_nan", "double precision", std::numeric_limits<double>::quiet_NaN(), "NaN"},
    {"double_minus_inf", "double precision", -std::numeric_limits<double>::infinity(), "-Infinity"},
    {"numeric_as_text", "numeric", 2.5, "2.5"},
    {"integer_whole", "integer", 7.0, "7"},
    {"integer_fraction", "integer", 7.5, "22P02"},
    {"bigint_exponent", "bigint", 1e20, "22P02"},
    {"bigint_million", "bigint", 1e6, "1000000"},
    {"smallint_range", "smallint", 40000.0, "22003"}};

using PgCopy = DriverContract;

TEST_P(PgCopy, EachColumnTypeStoresOrRefusesAsTheTextCopy) {
  for (const ColumnCase& c : kColumnCases) {
    const std::string typed = table + "_typed";
    backend->run("CREATE TABLE " + typed + " (DateTime timestamp, Tag text, Reading " + c.type +
                 ")");
    connection.Execute(std::string("SET TimeZone = '") + c.zone + "'");
    const Failure failed = failure([&] {
      connection.BeginTrans();
      auto typedRows = open(typed);
      add(*typedRows, {{"DateTime", at(0)}, {"Tag", "null"}, {"Reading", std::monostate{}}});
      add(*typedRows, {{"DateTime", at(1)}, {"Tag", c.name}, {"Reading", c.value}});
      connection.CommitTrans();
    });
    const std::string reading = std::string_view(c.type) == "timestamptz"
                                    ? "(Reading AT TIME ZONE 'UTC')::text"
                                    : "Reading::text";
    const Rows stored = rows("SELECT " + reading + " FROM " + typed + " ORDER BY DateTime");
    if (failed.code == "none") {
      EXPECT_EQ(stored, (Rows{"NULL", c.stored})) << c.name;
    } else {
      EXPECT_EQ(failed.code, c.stored) << c.name << ": " << failed.text;
      EXPECT_EQ(stored, Rows{}) << c.name << ": rolled back";
    }
    backend->run("DROP TABLE " + typed);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, PgCopy, ::testing::Values(kPostgres), byName);
#endif

// ---- what one driver or the connection string does its own way: a row per quirk ------------

// A program folder holding data.db (the CSVDATA table) and notes.txt, for every row.
const std::filesystem::path& programFolder() {
  static const csv2sql::testing::TempDir folder;
  [[maybe_unused]] static const bool made =
      (csv2sql::testing::createDestination(folder.path() / "data.db"),
       csv2sql::testing::writeFile(folder.path() / "notes.txt", std::string(2048, 'x')), true);
  return folder.path();
}
std::string fails(const std::function<void(Connection&)>& use) {
  Connection connection{programFolder()};
  return failure([&] { use(connection); }).code;
}
std::string opens(const std::string& text) {
  return fails([&](Connection& c) { c.Open(text); });
}
std::string sqliteOpen(const std::string& file) {
  const std::string code = opens("Provider=SQLite;Data Source=" + file);
  return std::filesystem::exists(programFolder() / file) ? code : code + " (no file)";
}
#if CSV2SQL_WITH_POSTGRESQL
std::string pgAddress(const char* dataSource) {
  const pg::ServerAddress address = pg::splitDataSource(dataSource);
  return address.host + " " + address.port;
}
std::string placeholders(const char* sql) {
  std::size_t markers = 0;
  return pg::numberPlaceholders(sql, true, markers);
}
#endif
#if CSV2SQL_WITH_POSTGRESQL || !defined(_WIN32)
// How an open at a loopback port that is closed, or silent, fails within the time-out.
std::string openAt(const std::string& provider, bool silent) {
  const csv2sql::testing::LoopbackListener listener;
  const int port = silent ? listener.port() : csv2sql::testing::closedLoopbackPort(),
            timeout = silent ? 1 : 5;
  return fails([&](Connection& c) {
    c.setConnectionTimeout(timeout);
    c.Open("Provider=" + provider + ";Data Source=127.0.0.1" +
           (provider == "PostgreSQL" ? ":" : ",") + std::to_string(port));
  });
}
#endif
std::string odbcString(const char* dataSource, const char* driver) {
  return odbc::odbcConnectionString({"MSOLEDBSQL", dataSource, "", "", ""}, driver);
}

struct Quirk {
  const char* name;
  std::function<std::string()> result;
  std::string expected;
};
class DriverQuirk : public ::testing::TestWithParam<Quirk> {};

TEST_P(DriverQuirk, GivesItsResult) {
  EXPECT_EQ(GetParam().result(), GetParam().expected);
}

const std::string kBadString = "-2147217805", kCantOpen = std::to_string(SQLITE_CANTOPEN);
const Quirk kQuirks[] = {
    {"unclosed_quote", [] { return opens("Password=\"abc;"); }, kBadString},
    {"after_quote", [] { return opens("Password=\"a\"b"); }, kBadString},
    {"no_equals", [] { return opens("Provider=SQLite;; ;x;"); }, kBadString},
    {"negative_timeout", [] { return fails([](auto& c) { c.setCommandTimeout(-1); }); }, "3001"},
    {"sqlite_missing", [] { return sqliteOpen("missing.db"); }, kCantOpen + " (no file)"},
    {"sqlite_empty", [] { return sqliteOpen(""); }, kCantOpen},
    {"sqlite_no_database", [] { return sqliteOpen("notes.txt"); }, std::to_string(SQLITE_NOTADB)},
#if CSV2SQL_WITH_POSTGRESQL
    {"pg_host", [] { return pgAddress("db.example"); }, "db.example "},
    {"pg_v6_port", [] { return pgAddress("[::1]:5433"); }, "::1 5433"},
    {"pg_v6_bare", [] { return pgAddress("fe80::1"); }, "fe80::1 "},
    {"pg_servers", [] { return pgAddress("10.0.0.1:5432,10.0.0.2:5433"); },
     "10.0.0.1,10.0.0.2 5432,5433"},
    {"pg_servers_some_ports", [] { return pgAddress("db1,[::1]:5433,db3"); }, "db1,::1,db3 ,5433,"},
    {"pg_servers_no_ports", [] { return pgAddress("db1,db2"); }, "db1,db2 "},
    {"pg_hosts_then_ports", [] { return pgAddress("db1,db2:5432,5433"); }, "db1,db2 5432,5433"},
    {"pg_escape", [] { return placeholders("E'\\'?' = ?"); }, "E'\\'?' = $1"},
    {"pg_unclosed", [] { return placeholders("'it''s ?"); }, "'it''s ?"},
    {"pg_dollars", [] { return placeholders("$x$ ? $x$ || $$?$$ || ?"); },
     "$x$ ? $x$ || $$?$$ || $1"},
    {"pg_silent_port", [] { return openAt("PostgreSQL", true); }, "HYT00"},
#endif
#ifndef _WIN32  // FreeTDS
    {"tds_closed_port", [] { return openAt("msoledbsql.1", false); }, "08S01"},
#endif
    {"tds_no_port", [] { return odbcString("a,b", "/libtdsodbc.so"); },
     "DRIVER={/libtdsodbc.so};SERVER=a,b;TDS_Version=7.4;"},
    {"microsoft", [] { return odbcString("h,1", "ODBC Driver 18 for SQL Server"); },
     "DRIVER={ODBC Driver 18 for SQL Server};SERVER=h,1;Encrypt=yes;"
     "TrustServerCertificate=yes;"},
    {"odbc_bad_utf8", [] { return failure([] { odbc::toWide("a\x80", "x"); }).code; }, "22021"},
    {"odbc_unpaired",
     [] {
       return odbc::toUtf8(std::vector<SQLWCHAR>{'a', 0xD800, 0xDC00, 0xDC00}.data(), 4);
     },
     "a\xF0\x90\x80\x80\xEF\xBF\xBD"}};
INSTANTIATE_TEST_SUITE_P(Rows, DriverQuirk, ::testing::ValuesIn(kQuirks), byName);

#ifndef _WIN32
// In a process of its own, with no driver list: opens through FreeTDS found by its library.
[[noreturn]] void openThroughUnregisteredFreeTds() {
  csv2sql::testing::writeFile(programFolder() / "odbcinst.ini", "");
  csv2sql::testing::setVariable("ODBCSYSINI", programFolder().string());
  const std::string driver = bestSqlServerOdbcDriver();
  std::fprintf(stderr, "driver: %s\n", driver.c_str());
  const std::string server = "127.0.0.1," + std::to_string(csv2sql::testing::closedLoopbackPort());
  const auto open = [&] {
    openOdbc({"MSOLEDBSQL", server, "", "sa", ""}, OpenOptions{5, 5, {}}, driver);
  };
  std::exit(failure(open).code == "08S01" ? 0 : 3);
}

TEST(SqlServerDriver, UnregisteredFreeTdsIsFoundByItsLibrary) {
  // The driver manager reads its driver list once per process: a fresh one.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(openThroughUnregisteredFreeTds(), ::testing::ExitedWithCode(0),
              "driver: /.*libtdsodbc\\.so");
}
#endif

}  // namespace
}  // namespace csv2sql::db
