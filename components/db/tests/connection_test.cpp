#include "components/db/connection.h"

#include <gtest/gtest.h>

#include <functional>

#include "components/db/tests/sqlite_test_db.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using csv2sql::testing::TempDir;
using testing::createDatabase;
using testing::queryOne;

// ---- parseConnectionString ------------------------------------------------------------------

struct ParseCase {
  const char* name;
  const char* text;
  ConnectionSettings expected;
};

class ParseConnectionString : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseConnectionString, ReadsTheFiveParts) {
  const ConnectionSettings settings = parseConnectionString(GetParam().text);
  const ConnectionSettings& expected = GetParam().expected;
  EXPECT_EQ(settings.provider, expected.provider);
  EXPECT_EQ(settings.dataSource, expected.dataSource);
  EXPECT_EQ(settings.initialCatalog, expected.initialCatalog);
  EXPECT_EQ(settings.userId, expected.userId);
  EXPECT_EQ(settings.password, expected.password);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ParseConnectionString,
    ::testing::Values(
        ParseCase{"as_the_program_builds_it",
                  "Provider=SQLNCLI11;Data Source=SERVER1;initial catalog=Readings;User "
                  "ID=loader;Password=;OLE DB Services =-2;",
                  {"SQLNCLI11", "SERVER1", "Readings", "loader", ""}},
        ParseCase{"keys_in_any_case_with_blanks_around",
                  "  PROVIDER = SQLite ; data source=db.sqlite;INITIAL CATALOG =x; user id =u",
                  {" SQLite ", "db.sqlite", "x", "u", ""}},
        ParseCase{"quoted_value_holds_semicolon_and_quote",
                  "Provider=PostgreSQL;Password=\"se;cret\"\"pw\";User ID=u",
                  {"PostgreSQL", "", "", "u", "se;cret\"pw"}},
        ParseCase{"blanks_around_a_quoted_value_are_dropped",
                  "Password = \"a b\" ;Provider=p",
                  {"p", "", "", "", "a b"}},
        ParseCase{"unquoted_value_keeps_its_blanks", "Password= pw ;", {"", "", "", "", " pw "}},
        ParseCase{
            "value_may_hold_equals_sign", "Password=a=b;Provider=x", {"x", "", "", "", "a=b"}},
        ParseCase{"unknown_keys_are_ignored",
                  "Foo=1;OLE DB Services =-2;Provider=SQLite",
                  {"SQLite", "", "", "", ""}},
        ParseCase{"last_of_a_repeated_key_wins", "Provider=a;Provider=b", {"b", "", "", "", ""}},
        ParseCase{"empty_parts_are_ignored", ";;Provider=a;; ;", {"a", "", "", "", ""}},
        ParseCase{"empty_text", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadStringCase {
  const char* name;
  const char* text;
};

class MalformedConnectionString : public ::testing::TestWithParam<BadStringCase> {};

TEST_P(MalformedConnectionString, IsAnErrorOfTheStringFormat) {
  try {
    parseConnectionString(GetParam().text);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), -2147217805);
    EXPECT_NE(error.description().find("initialization string"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, MalformedConnectionString,
    ::testing::Values(BadStringCase{"unclosed_quote", "Password=\"abc;"},
                      BadStringCase{"text_after_closing_quote", "Password=\"abc\"def;Provider=x"},
                      BadStringCase{"part_without_equals", "Provider=x;garbage;"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Connection ------------------------------------------------------------------------------

class ConnectionTest : public ::testing::Test {
 protected:
  ConnectionTest() { createDatabase(folder.path() / "data.db"); }
  TempDir folder;
  Connection connection{folder.path()};
};

TEST_F(ConnectionTest, OpensClosesAndReopens) {
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  connection.Open("Provider=SQLite;Data Source=data.db;");
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  connection.Open("Provider=sqlite;Data Source=data.db;");
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  connection.Close();
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  EXPECT_EQ(connection.ConnectionString(), "");
}

TEST_F(ConnectionTest, ReportsTheStringWithoutThePassword) {
  connection.Open(
      "Provider=SQLite;Data Source=data.db;initial catalog=Readings;User ID=loader;"
      "Password=topsecret;OLE DB Services =-2;");
  EXPECT_EQ(connection.ConnectionString(),
            "Provider=SQLite;Data Source=data.db;Initial Catalog=Readings;User ID=loader");
  EXPECT_EQ(connection.settings().password, "topsecret");
}

TEST_F(ConnectionTest, ReportedValueWithSemicolonIsQuoted) {
  createDatabase(folder.path() / "a;b.db");
  connection.Open("Provider=SQLite;Data Source=\"a;b.db\";User ID=x\"y");
  EXPECT_EQ(connection.ConnectionString(),
            "Provider=SQLite;Data Source=\"a;b.db\";Initial Catalog=;User ID=x\"y");
  EXPECT_EQ(parseConnectionString(connection.ConnectionString()).dataSource, "a;b.db");
}

TEST_F(ConnectionTest, UnknownProviderNamesItAndListsTheKnownOnes) {
  try {
    connection.Open("Provider=Jet.OLEDB;Data Source=data.db");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3706);
    EXPECT_NE(error.description().find("Provider cannot be found"), std::string::npos);
    EXPECT_NE(error.description().find("\"Jet.OLEDB\""), std::string::npos);
    for (const char* known : {"SQLite", "PostgreSQL", "MSDASQL", "MSOLEDBSQL", "MSOLEDBSQL.1",
                              "MSOLEDBSQL19", "SQLNCLI11", "SQLNCLI", "SQLOLEDB"}) {
      EXPECT_NE(error.description().find(known), std::string::npos) << known;
    }
  }
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

TEST_F(ConnectionTest, FailedOpenLeavesTheConnectionClosed) {
  connection.Open("Provider=SQLite;Data Source=data.db");
  EXPECT_THROW(connection.Open("Provider=SQLite;Data Source=missing.db"), DatabaseError);
  EXPECT_EQ(connection.State(), Connection::StateClosed);
  EXPECT_EQ(connection.ConnectionString(), "");
}

TEST_F(ConnectionTest, SqlServerProviderNamesReachTheOdbcDriver) {
  // Whatever ODBC answers for a port where nothing listens, it is no unknown provider.
  connection.setConnectionTimeout(2);
  for (const char* provider : {"msoledbsql", "SQLNCLI11"}) {
    try {
      connection.Open(std::string("Provider=") + provider + ";Data Source=127.0.0.1,1");
      ADD_FAILURE() << provider << " opened";
    } catch (const Error& error) {
      EXPECT_EQ(error.description().find("Unknown provider"), std::string::npos)
          << error.description();
    }
  }
}

TEST_F(ConnectionTest, NegativeTimeoutIsRefused) {
  EXPECT_THROW(connection.setCommandTimeout(-1), Error);
  connection.setConnectionTimeout(-5);
  try {
    connection.Open("Provider=SQLite;Data Source=data.db");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3001);
  }
}

struct ClosedCase {
  const char* name;
  std::function<void(Connection&)> call;
};

class ClosedConnection : public ::testing::TestWithParam<ClosedCase> {};

TEST_P(ClosedConnection, RefusesTheOperation) {
  Connection connection{std::filesystem::temp_directory_path()};
  try {
    GetParam().call(connection);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3704);
    EXPECT_EQ(error.description(), "Operation is not allowed when the object is closed.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosedConnection,
    ::testing::Values(ClosedCase{"execute", [](Connection& c) { c.Execute("SELECT 1"); }},
                      ClosedCase{"begin", [](Connection& c) { c.BeginTrans(); }},
                      ClosedCase{"commit", [](Connection& c) { c.CommitTrans(); }},
                      ClosedCase{"rollback", [](Connection& c) { c.RollbackTrans(); }},
                      ClosedCase{"open_recordset",
                                 [](Connection& c) {
                                   c.OpenRecordset(::csv2sql::db::TableName::check("CSVDATA"));
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectionTest, RecordsetFailsOnceItsConnectionIsClosed) {
  connection.Open("Provider=SQLite;Data Source=data.db");
  auto recordset = connection.OpenRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  connection.Close();
  try {
    recordset->addNew();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3704);
  }
}

TEST_F(ConnectionTest, TransactionRollsBackUnlessCommitted) {
  connection.Open("Provider=SQLite;Data Source=data.db");
  const std::string insert = "INSERT INTO CSVDATA (Tag) VALUES ('x')";
  {
    Transaction transaction(connection);
    connection.Execute(insert);
  }
  EXPECT_EQ(queryOne(folder.path() / "data.db", "SELECT count(*) FROM CSVDATA"), "0");
  {
    Transaction transaction(connection);
    connection.Execute(insert);
    transaction.commit();
  }
  EXPECT_EQ(queryOne(folder.path() / "data.db", "SELECT count(*) FROM CSVDATA"), "1");
}

TEST_F(ConnectionTest, TransactionOutlivingItsConnectionDoesNotThrow) {
  connection.Open("Provider=SQLite;Data Source=data.db");
  {
    Transaction transaction(connection);
    connection.Execute("INSERT INTO CSVDATA (Tag) VALUES ('x')");
    connection.Close();
  }
  EXPECT_EQ(queryOne(folder.path() / "data.db", "SELECT count(*) FROM CSVDATA"), "0");
}

}  // namespace
}  // namespace csv2sql::db
