// What one driver does its own way, each quirk pinned where it is written down.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

#include "components/db/connection.h"
#include "components/db/drivers.h"
#include "components/db/odbc_connection_string.h"
#include "components/db/odbc_text.h"
#include "components/db/pg_text.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_platform.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using csv2sql::testing::TempDir;

auto byName = [](const auto& info) { return std::string(info.param.name); };

// ---- SQLite: Data Source is a file relative to the program's folder, never created ----------

struct FileCase {
  const char* name;
  std::string dataSource;  // "@" stands for the program folder
  int code;                // 0: opens
};

class SqliteDataSource : public ::testing::TestWithParam<FileCase> {};

TEST_P(SqliteDataSource, IsAnExistingDatabaseFile) {
  const TempDir folder;
  csv2sql::testing::createDestination(folder.path() / "data.db");
  csv2sql::testing::writeFile(folder.path() / "notes.txt", std::string(2048, 'x'));
  std::string dataSource = GetParam().dataSource;
  if (dataSource.starts_with('@')) dataSource.replace(0, 1, folder.path().string());
  Connection connection{folder.path()};
  try {
    connection.Open("Provider=SQLite;Data Source=\"" + dataSource + "\"");
    EXPECT_EQ(GetParam().code, 0);
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), GetParam().code) << error.description();
    if (!dataSource.empty()) {  // named by its full path
      EXPECT_NE(error.description().find((folder.path() / dataSource).string()), std::string::npos)
          << error.description();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing.db"));
}

INSTANTIATE_TEST_SUITE_P(Edges, SqliteDataSource,
                         ::testing::Values(FileCase{"relative_to_the_program_folder", "data.db", 0},
                                           FileCase{"absolute", "@/data.db", 0},
                                           FileCase{"missing_is_not_created", "missing.db",
                                                    SQLITE_CANTOPEN},
                                           FileCase{"empty", "", SQLITE_CANTOPEN},
                                           FileCase{"not_a_database", "notes.txt", SQLITE_NOTADB}),
                         byName);

TEST(SqliteDriver, StoresDateTimesAsSortableText) {
  const TempDir folder;
  csv2sql::testing::createDestination(folder.path() / "data.db");
  Connection connection{folder.path()};
  connection.Open("Provider=SQLite;Data Source=data.db");
  const FieldValue stamp[] = {DateTime::fromParts(2024, 3, 1, 8, 0, 0, 500000)};
  connection.Execute("INSERT INTO CSVDATA (DateTime) VALUES (?)", stamp);
  EXPECT_EQ(csv2sql::testing::queryRows(folder.path() / "data.db",
                                        "SELECT DateTime || '|' || typeof(DateTime) FROM CSVDATA"),
            std::vector<std::string>{"2024-03-01 08:00:00.5|text"});
}

// ---- PostgreSQL: Data Source and the placeholders it numbers -------------------------------

struct AddressCase {
  const char* name;
  const char* dataSource;
  const char* host;
  const char* port;
};

class PgDataSource : public ::testing::TestWithParam<AddressCase> {};

TEST_P(PgDataSource, SplitsIntoHostAndPort) {
  const pg::ServerAddress address = pg::splitDataSource(GetParam().dataSource);
  EXPECT_EQ(address.host, GetParam().host);
  EXPECT_EQ(address.port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PgDataSource,
    ::testing::Values(AddressCase{"host_only", "db.example", "db.example", ""},
                      AddressCase{"host_and_port", "10.0.0.5:5433", "10.0.0.5", "5433"},
                      AddressCase{"bracketed_v6_with_port", "[::1]:5433", "::1", "5433"},
                      AddressCase{"bare_v6", "fe80::1", "fe80::1", ""}),
    byName);

struct PlaceholderCase {
  const char* name;
  const char* sql;
  const char* numbered;
};

class PgPlaceholders : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PgPlaceholders, AreNumberedOutsideQuotedTextAndComments) {
  std::size_t markers = 0;
  EXPECT_EQ(pg::numberPlaceholders(GetParam().sql, true, markers), GetParam().numbered);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PgPlaceholders,
    ::testing::Values(
        PlaceholderCase{"escape_literal", "E'\\'?' = ?", "E'\\'?' = $1"},
        PlaceholderCase{"quoted_name", "\"a?\" = ?", "\"a?\" = $1"},
        PlaceholderCase{"nested_block_comment", "/* ? /* ? */ ? */ ?", "/* ? /* ? */ ? */ $1"},
        PlaceholderCase{"dollar_quoted", "$x$ ? $x$ || $$?$$ || ?", "$x$ ? $x$ || $$?$$ || $1"},
        PlaceholderCase{"unclosed_literal", "'?", "'?"}),
    byName);

// ---- servers that cannot be reached: nothing is ever sent beyond 127.0.0.1 -----------------

struct UnreachableCase {
  const char* name;
  const char* provider;
  char portSeparator;
  const char* sqlState;
  int nativeCode;
};

class UnreachableServer : public ::testing::TestWithParam<UnreachableCase> {};

// No SQL Server runs here: the SQL Server provider names are shown reaching FreeTDS (Microsoft's
// drivers are not installed) and failing as they should.
TEST_P(UnreachableServer, ClosedPortFailsTheOpenWithTheDriversCode) {
  const TempDir folder;
  Connection connection{folder.path()};
  connection.setConnectionTimeout(5);
  const auto start = std::chrono::steady_clock::now();
  try {
    connection.Open(std::string("Provider=") + GetParam().provider + ";Data Source=127.0.0.1" +
                    GetParam().portSeparator +
                    std::to_string(csv2sql::testing::closedLoopbackPort()) + ";User ID=sa");
    ADD_FAILURE() << "opened a closed port";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), GetParam().sqlState) << error.description();
    EXPECT_EQ(error.nativeCode(), GetParam().nativeCode) << error.description();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // hang guard
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

TEST_P(UnreachableServer, SilentServerFailsWithinTheConnectionTimeout) {
  const csv2sql::testing::LoopbackListener silent;
  const TempDir folder;
  Connection connection{folder.path()};
  connection.setConnectionTimeout(1);
  const auto start = std::chrono::steady_clock::now();
  try {
    connection.Open(std::string("Provider=") + GetParam().provider + ";Data Source=127.0.0.1" +
                    GetParam().portSeparator + std::to_string(silent.port()) + ";User ID=sa");
    ADD_FAILURE() << "a server that never answers let us in";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "HYT00") << error.description();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

INSTANTIATE_TEST_SUITE_P(
    Providers, UnreachableServer,
    ::testing::Values(UnreachableCase{"PostgreSQL", "PostgreSQL", ':', "08001", 0},
                      UnreachableCase{"MSOLEDBSQL", "MSOLEDBSQL", ',', "08S01", 20009},
                      UnreachableCase{"MSOLEDBSQL_1", "MSOLEDBSQL.1", ',', "08S01", 20009},
                      UnreachableCase{"MSOLEDBSQL19", "MSOLEDBSQL19", ',', "08S01", 20009},
                      UnreachableCase{"SQLNCLI11", "SQLNCLI11", ',', "08S01", 20009},
                      UnreachableCase{"SQLNCLI", "SQLNCLI", ',', "08S01", 20009},
                      UnreachableCase{"SQLOLEDB", "SQLOLEDB", ',', "08S01", 20009},
                      UnreachableCase{"lower_case", "msoledbsql", ',', "08S01", 20009}),
    byName);

// Runs in a process of its own: with an empty driver list, finds FreeTDS by its library and
// opens a closed loopback port through it. Exits 0 when FreeTDS's error comes back.
[[noreturn]] void openThroughUnregisteredFreeTds() {
  const TempDir folder;
  csv2sql::testing::writeFile(folder.path() / "odbcinst.ini", "");
  csv2sql::testing::setEnvironment("ODBCSYSINI", folder.path().string());
  const std::string driver = bestSqlServerOdbcDriver();
  std::fprintf(stderr, "driver: %s\n", driver.c_str());
  const ConnectionSettings settings{
      "MSOLEDBSQL", "127.0.0.1," + std::to_string(csv2sql::testing::closedLoopbackPort()), "", "sa",
      "x"};
  try {
    openOdbc(settings, OpenOptions{5, 5, {}}, driver);
  } catch (const DatabaseError& error) {
    std::exit(error.nativeCode() == 20009 ? 0 : 3);
  }
  std::exit(4);
}

TEST(SqlServerDriver, UnregisteredFreeTdsIsFoundByItsLibrary) {
  // The driver manager reads its driver list once per process: a fresh one, before any other
  // ODBC call.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(openThroughUnregisteredFreeTds(), ::testing::ExitedWithCode(0),
              "driver: /.*libtdsodbc\\.so");
}

// ---- ODBC: connection strings for the driver, text as UTF-16 --------------------------------

struct StringCase {
  const char* name;
  ConnectionSettings settings;
  const char* odbcDriver;
  const char* expected;
};

class OdbcConnectionString : public ::testing::TestWithParam<StringCase> {};

TEST_P(OdbcConnectionString, IsBuiltForTheDriver) {
  EXPECT_EQ(odbc::odbcConnectionString(GetParam().settings, GetParam().odbcDriver),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OdbcConnectionString,
    ::testing::Values(
        StringCase{
            "data_source_name_alone", {"MSDASQL", "my plant", "", "", ""}, "", "DSN=my plant;"},
        StringCase{"catalog_and_user_with_empty_password",
                   {"MSDASQL", "p", "R", "u", ""},
                   "",
                   "DSN=p;DATABASE=R;UID=u;PWD=;"},
        StringCase{"braced_when_it_holds_semicolon_or_quote",
                   {"MSDASQL", "p", "", "u", "a;\"b"},
                   "",
                   "DSN=p;UID=u;PWD={a;\"b};"},
        StringCase{"closing_brace_doubled",
                   {"MSDASQL", "p", "", "u", "a}b"},
                   "",
                   "DSN=p;UID=u;PWD={a}}b};"},
        StringCase{"opening_brace", {"MSDASQL", "p", "", "u", "{ab"}, "", "DSN=p;UID=u;PWD={{ab};"},
        StringCase{"equals_sign", {"MSDASQL", "p", "", "u", "a=b"}, "", "DSN=p;UID=u;PWD={a=b};"},
        StringCase{
            "outer_blanks", {"MSDASQL", "p", "", "u", " pw "}, "", "DSN=p;UID=u;PWD={ pw };"},
        StringCase{"freetds_host_and_port",
                   {"MSOLEDBSQL", "10.0.0.5,1433", "R", "u", "pw"},
                   "FreeTDS",
                   "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=R;UID=u;PWD=pw;"
                   "TDS_Version=7.4;"},
        StringCase{"freetds_named_instance",
                   {"SQLNCLI11", "PLANT1\\SQLEXPRESS", "", "", ""},
                   "FreeTDS",
                   "DRIVER={FreeTDS};SERVER=PLANT1\\SQLEXPRESS;TDS_Version=7.4;"},
        StringCase{"freetds_comma_without_port",
                   {"SQLNCLI11", "odd,name", "", "", ""},
                   "FreeTDS",
                   "DRIVER={FreeTDS};SERVER=odd,name;TDS_Version=7.4;"},
        StringCase{"freetds_by_library_path",
                   {"MSOLEDBSQL", "db1", "", "", ""},
                   "/usr/lib/odbc/libtdsodbc.so",
                   "DRIVER={/usr/lib/odbc/libtdsodbc.so};SERVER=db1;TDS_Version=7.4;"},
        StringCase{"microsoft_driver_keeps_host_and_port",
                   {"MSOLEDBSQL", "db1,1433", "", "", ""},
                   "ODBC Driver 18 for SQL Server",
                   "DRIVER={ODBC Driver 18 for SQL Server};SERVER=db1,1433;Encrypt=yes;"
                   "TrustServerCertificate=yes;"}),
    byName);

struct TextCase {
  const char* name;
  std::string utf8;
  odbc::WideText wide;  // empty for malformed UTF-8
};

class OdbcText : public ::testing::TestWithParam<TextCase> {};

TEST_P(OdbcText, TravelsAsUtf16OrFailsWith22021) {
  if (!GetParam().wide.empty()) {
    EXPECT_EQ(odbc::toWide(GetParam().utf8, "a test"), GetParam().wide);
    EXPECT_EQ(odbc::toUtf8(GetParam().wide.data(), GetParam().wide.size()), GetParam().utf8);
    return;
  }
  try {
    odbc::toWide(GetParam().utf8, "a test");
    ADD_FAILURE() << "accepted malformed UTF-8";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "22021");
    EXPECT_NE(error.message().find("a test"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OdbcText,
                         ::testing::Values(TextCase{"two_bytes", "\xC2\xB0", {0x00B0}},
                                           TextCase{"three_bytes", "\xE2\x82\xAC", {0x20AC}},
                                           TextCase{"four_bytes_as_surrogate_pair",
                                                    "\xF0\x9F\x8C\xA1",
                                                    {0xD83C, 0xDF21}},
                                           TextCase{"windows_1252_degree",
                                                    "\xB0"
                                                    "C",
                                                    {}},
                                           TextCase{"lone_continuation", "a\x80", {}},
                                           TextCase{"overlong_slash", "\xC0\xAF", {}},
                                           TextCase{"truncated_at_end", "\xE2\x82", {}},
                                           TextCase{"surrogate_encoded", "\xED\xA0\x80", {}},
                                           TextCase{"beyond_unicode", "\xF4\x90\x80\x80", {}}),
                         byName);

TEST(OdbcText, UnpairedSurrogateFromTheDriverBecomesTheReplacementCharacter) {
  const SQLWCHAR text[] = {'a', 0xD800, 'b', 0xDC00};
  EXPECT_EQ(odbc::toUtf8(text, 4),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace csv2sql::db
