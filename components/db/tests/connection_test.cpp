#include "components/db/connection.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

auto byName = [](const auto& info) { return std::string(info.param.name); };

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
        ParseCase{"keys_in_any_case_with_blanks_around",
                  "  PROVIDER = SQLite ; data source=db.sqlite;INITIAL CATALOG =x; user id =u",
                  {" SQLite ", "db.sqlite", "x", "u", ""}},
        ParseCase{"blanks_around_a_quoted_value_are_dropped",
                  "Password = \"a b\" ;",
                  {"", "", "", "", "a b"}},
        ParseCase{"unquoted_value_keeps_its_blanks", "Password= pw ;", {"", "", "", "", " pw "}},
        ParseCase{"value_may_hold_equals_sign", "Password=a=b", {"", "", "", "", "a=b"}},
        ParseCase{"last_of_a_repeated_key_wins", "Provider=a;Provider=b", {"b", "", "", "", ""}},
        ParseCase{"empty_parts_are_ignored", ";;Provider=a;; ;", {"a", "", "", "", ""}}),
    byName);

// A closed connection, or an open that fails before any driver is asked.
struct RefusalCase {
  const char* name;
  std::function<void(Connection&)> call;
  std::int32_t number;
};

class ConnectionRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ConnectionRefuses, TheCallWithItsNumber) {
  const csv2sql::testing::TempDir folder;
  csv2sql::testing::createDestination(folder.path() / "data.db");
  Connection connection{folder.path()};
  try {
    GetParam().call(connection);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), GetParam().number) << error.description();
  }
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ConnectionRefuses,
    ::testing::Values(
        RefusalCase{"execute_closed", [](Connection& c) { c.Execute("SELECT 1"); }, 3704},
        RefusalCase{"begin_closed", [](Connection& c) { c.BeginTrans(); }, 3704},
        RefusalCase{"commit_closed", [](Connection& c) { c.CommitTrans(); }, 3704},
        RefusalCase{"rollback_closed", [](Connection& c) { c.RollbackTrans(); }, 3704},
        RefusalCase{"recordset_closed", [](Connection& c) { c.OpenRecordset(TableName::check("CSVDATA")); }, 3704},
        RefusalCase{"negative_command_timeout", [](Connection& c) { c.setCommandTimeout(-1); },
                    3001},
        RefusalCase{"negative_connection_timeout",
                    [](Connection& c) {
                      c.setConnectionTimeout(-5);
                      c.Open("Provider=SQLite;Data Source=data.db");
                    },
                    3001},
        RefusalCase{"unclosed_quote", [](Connection& c) { c.Open("Password=\"abc;"); },
                    -2147217805},
        RefusalCase{"text_after_closing_quote",
                    [](Connection& c) { c.Open("Password=\"abc\"def;Provider=SQLite"); },
                    -2147217805},
        RefusalCase{"part_without_equals",
                    [](Connection& c) { c.Open("Provider=SQLite;garbage;"); }, -2147217805}),
    byName);

TEST(Connection, UnknownProviderIsNamedWithTheKnownOnes) {
  Connection connection{std::filesystem::temp_directory_path()};
  try {
    connection.Open("Provider=Jet.OLEDB");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3706);
    EXPECT_NE(error.description().find("Provider cannot be found"), std::string::npos);
    for (const char* name : {"\"Jet.OLEDB\"", "SQLite", "PostgreSQL", "MSDASQL", "MSOLEDBSQL",
                             "MSOLEDBSQL.1", "MSOLEDBSQL19", "SQLNCLI11", "SQLNCLI", "SQLOLEDB"}) {
      EXPECT_NE(error.description().find(name), std::string::npos) << name;
    }
  }
}

TEST(Connection, ReportedValueWithSemicolonIsQuotedAndReadsBack) {
  const csv2sql::testing::TempDir folder;
  csv2sql::testing::createDestination(folder.path() / "a;b.db");
  Connection connection{folder.path()};
  connection.Open("Provider=sqlite;Data Source=\"a;b.db\";User ID=x\"y");
  EXPECT_EQ(connection.ConnectionString(),
            "Provider=sqlite;Data Source=\"a;b.db\";Initial Catalog=;User ID=x\"y");
  EXPECT_EQ(parseConnectionString(connection.ConnectionString()).dataSource, "a;b.db");
}

}  // namespace
}  // namespace csv2sql::db
