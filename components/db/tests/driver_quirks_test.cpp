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

// The open's failure as "SQLSTATE native code", having come in time and left the connection
// closed.
std::string openFailure(const UnreachableCase& server, int port, int timeout) {
  Connection connection{std::filesystem::temp_directory_path()};
  connection.setConnectionTimeout(timeout);
  const auto start = std::chrono::steady_clock::now();
  std::string failure = "(none)";
  try {
    connection.Open(std::string("Provider=") + server.provider + ";Data Source=127.0.0.1" +
                    server.portSeparator + std::to_string(port) + ";User ID=sa");
  } catch (const DatabaseError& error) {
    failure = error.sqlState() + " " + std::to_string(error.nativeCode());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(timeout + 5));
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  return failure;
}

// No SQL Server runs here: the SQL Server provider names are shown reaching FreeTDS (Microsoft's
// drivers are not installed) and failing as they should.
TEST_P(UnreachableServer, ClosedPortFailsTheOpenAndASilentOneWithinTheConnectionTimeout) {
  EXPECT_EQ(openFailure(GetParam(), csv2sql::testing::closedLoopbackPort(), 5),
            GetParam().sqlState + std::string(" ") + std::to_string(GetParam().nativeCode));
  const csv2sql::testing::LoopbackListener silent;
  EXPECT_EQ(openFailure(GetParam(), silent.port(), 1).substr(0, 6), "HYT00 ");
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

// The quoting of ";", '"', braces, "=" and outer blanks is shown by the contract's logins.
INSTANTIATE_TEST_SUITE_P(
    Cases, OdbcConnectionString,
    ::testing::Values(
        StringCase{"catalog_and_user_with_empty_password",
                   {"MSDASQL", "my plant", "R", "u", ""},
                   "",
                   "DSN=my plant;DATABASE=R;UID=u;PWD=;"},
        StringCase{"freetds_host_and_port",
                   {"MSOLEDBSQL", "10.0.0.5,1433", "", "u", "pw"},
                   "FreeTDS",
                   "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;UID=u;PWD=pw;"
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

// UTF-16 on the way in: text that is no UTF-8 fails with 22021 before it reaches the driver
// (the contract's tags show the way there and back).
struct MalformedCase {
  const char* name;
  std::string bytes;
};

class OdbcText : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(OdbcText, MalformedUtf8FailsWith22021) {
  try {
    odbc::toWide(GetParam().bytes, "a test");
    ADD_FAILURE() << "accepted malformed UTF-8";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "22021");
    EXPECT_NE(error.message().find("a test"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OdbcText,
                         ::testing::Values(MalformedCase{"lone_continuation", "a\x80"},
                                           MalformedCase{"overlong_slash", "\xC0\xAF"},
                                           MalformedCase{"truncated_at_end", "\xE2\x82"},
                                           MalformedCase{"surrogate_encoded", "\xED\xA0\x80"},
                                           MalformedCase{"beyond_unicode", "\xF4\x90\x80\x80"}),
                         byName);

TEST(OdbcTextFromDriver, UnpairedFromTheDriverBecomesTheReplacementCharacter) {
  const SQLWCHAR text[] = {'a', 0xD800, 'b', 0xDC00};
  EXPECT_EQ(odbc::toUtf8(text, 4),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace csv2sql::db
