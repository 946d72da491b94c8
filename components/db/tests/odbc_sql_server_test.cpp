#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "components/db/connection.h"
#include "components/db/drivers.h"
#include "components/db/odbc_connection_string.h"
#include "tests/support/loopback_listener.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using csv2sql::testing::closedLoopbackPort;
using csv2sql::testing::LoopbackListener;
using csv2sql::testing::TempDir;

// ---- connection strings ----------------------------------------------------------------------

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

const StringCase kStringCases[] = {
    {"data_source_name_alone", {"MSDASQL", "plant", "", "", ""}, "", "DSN=plant;"},
    {"catalog_and_user",
     {"MSDASQL", "plant", "Readings", "loader", "pw"},
     "",
     "DSN=plant;DATABASE=Readings;UID=loader;PWD=pw;"},
    {"user_with_empty_password",
     {"MSDASQL", "plant", "", "loader", ""},
     "",
     "DSN=plant;UID=loader;PWD=;"},
    {"password_with_semicolon_and_quote",
     {"MSDASQL", "plant", "", "loader", "se;cret\"pw"},
     "",
     "DSN=plant;UID=loader;PWD={se;cret\"pw};"},
    {"closing_brace_doubled",
     {"MSDASQL", "plant", "", "u", "a}b"},
     "",
     "DSN=plant;UID=u;PWD={a}}b};"},
    {"opening_brace", {"MSDASQL", "plant", "", "u", "{ab"}, "", "DSN=plant;UID=u;PWD={{ab};"},
    {"equals_sign", {"MSDASQL", "plant", "", "u", "a=b"}, "", "DSN=plant;UID=u;PWD={a=b};"},
    {"leading_blank", {"MSDASQL", "plant", "", "u", " pw"}, "", "DSN=plant;UID=u;PWD={ pw};"},
    {"trailing_blank", {"MSDASQL", "plant", "", "u", "pw "}, "", "DSN=plant;UID=u;PWD={pw };"},
    {"inner_blank_plain", {"MSDASQL", "my plant", "", "", ""}, "", "DSN=my plant;"},
    {"freetds_host_and_port",
     {"MSOLEDBSQL", "10.0.0.5,1433", "Readings", "loader", "pw"},
     "FreeTDS",
     "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1433;DATABASE=Readings;UID=loader;PWD=pw;"
     "TDS_Version=7.4;"},
    {"freetds_named_instance",
     {"SQLNCLI11", "PLANT1\\SQLEXPRESS", "", "loader", "pw"},
     "FreeTDS",
     "DRIVER={FreeTDS};SERVER=PLANT1\\SQLEXPRESS;UID=loader;PWD=pw;TDS_Version=7.4;"},
    {"freetds_comma_without_port",
     {"SQLNCLI11", "odd,name", "", "", ""},
     "FreeTDS",
     "DRIVER={FreeTDS};SERVER=odd,name;TDS_Version=7.4;"},
    {"freetds_by_library_path",
     {"MSOLEDBSQL", "db1", "", "", ""},
     "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so",
     "DRIVER={/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so};SERVER=db1;TDS_Version=7.4;"},
    {"microsoft_driver_keeps_host_and_port",
     {"MSOLEDBSQL", "db1,1433", "Readings", "loader", "pw"},
     "ODBC Driver 18 for SQL Server",
     "DRIVER={ODBC Driver 18 for SQL Server};SERVER=db1,1433;DATABASE=Readings;UID=loader;"
     "PWD=pw;Encrypt=yes;TrustServerCertificate=yes;"},
};

INSTANTIATE_TEST_SUITE_P(Cases, OdbcConnectionString, ::testing::ValuesIn(kStringCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- FreeTDS on this machine -----------------------------------------------------------------
// No SQL Server runs here: the SQL Server path is shown reaching FreeTDS and failing as it
// should. Nothing is ever sent beyond 127.0.0.1.

TEST(SqlServerDriver, IsFreeTdsHere) {
  EXPECT_EQ(bestSqlServerOdbcDriver(), "FreeTDS");
}

// Runs in a process of its own: with an empty driver list, finds FreeTDS by its library and
// opens a closed loopback port through it. Exits 0 when FreeTDS's error comes back.
[[noreturn]] void openThroughUnregisteredFreeTds() {
  const TempDir folder;
  csv2sql::testing::writeFile(folder.path() / "odbcinst.ini", "");
  setenv("ODBCSYSINI", folder.path().c_str(), 1);
  const std::string driver = bestSqlServerOdbcDriver();
  std::fprintf(stderr, "driver: %s\n", driver.c_str());
  if (!driver.ends_with("/libtdsodbc.so")) std::exit(2);
  const ConnectionSettings settings{
      "MSOLEDBSQL", "127.0.0.1," + std::to_string(closedLoopbackPort()), "", "sa", "x"};
  try {
    openOdbc(settings, OpenOptions{5, 5, {}}, driver);
  } catch (const DatabaseError& error) {
    std::fprintf(stderr, "error: %s\n", error.what());
    std::exit(error.nativeCode() == 20009 ? 0 : 3);
  }
  std::exit(4);
}

TEST(SqlServerDriver, UnregisteredFreeTdsIsFoundByItsLibrary) {
  // The driver manager reads its driver list once per process; the threadsafe death-test
  // style runs the check in a fresh one, before any other ODBC call.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(openThroughUnregisteredFreeTds(), ::testing::ExitedWithCode(0),
              "driver: /.*libtdsodbc\\.so");
}

class SqlServerProvider : public ::testing::TestWithParam<const char*> {};

TEST_P(SqlServerProvider, ReachesFreeTdsAndFailsOnAClosedPort) {
  TempDir folder;
  Connection connection(folder.path());
  connection.setConnectionTimeout(5);
  const std::string port = std::to_string(closedLoopbackPort());
  const auto start = std::chrono::steady_clock::now();
  try {
    connection.Open(std::string("Provider=") + GetParam() + ";Data Source=127.0.0.1," + port +
                    ";initial catalog=Readings;User ID=sa;Password=x;OLE DB Services =-2;");
    FAIL() << "opened a closed port";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), 20009);
    EXPECT_EQ(error.sqlState(), "08S01");
    EXPECT_NE(error.message().find("[FreeTDS]"), std::string::npos) << error.message();
    EXPECT_EQ(error.number(), 20009);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // hang guard
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

INSTANTIATE_TEST_SUITE_P(Names, SqlServerProvider,
                         ::testing::Values("MSOLEDBSQL", "MSOLEDBSQL.1", "MSOLEDBSQL19",
                                           "SQLNCLI11", "SQLNCLI", "SQLOLEDB", "msoledbsql"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) c = c == '.' ? '_' : c;
                           return name;
                         });

TEST(SqlServerDriver, ConnectionTimeOutEndsAWaitForASilentServer) {
  const LoopbackListener silent;
  TempDir folder;
  Connection connection(folder.path());
  connection.setConnectionTimeout(2);
  const auto start = std::chrono::steady_clock::now();
  try {
    connection.Open("Provider=MSOLEDBSQL;Data Source=127.0.0.1," + std::to_string(silent.port()) +
                    ";initial catalog=Readings;User ID=sa;Password=x;OLE DB Services =-2;");
    FAIL() << "a server that never answers let us in";
  } catch (const DatabaseError& error) {
    // FreeTDS reports "[HYT00] Timeout expired" without a native code of its own.
    EXPECT_EQ(error.sqlState(), "HYT00") << error.description();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // hang guard
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

}  // namespace
}  // namespace csv2sql::db
