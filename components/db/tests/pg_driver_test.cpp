#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "components/db/connection.h"
#include "components/db/pg_text.h"
#include "components/db/tests/pg_test_server.h"
#include "tests/support/loopback_listener.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using csv2sql::testing::TempDir;
using testing::PgProbe;
using testing::PgServer;

class PgDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSV2SQL_REQUIRE_PG(server);
    probe = std::make_unique<PgProbe>(*server);
    table = testing::uniqueTableName("readings");
    // Unquoted names: the server folds them to lower case, and the fields still match.
    probe->run("CREATE TABLE " + table +
               " (DateTime timestamp, Tag text, Value double precision CHECK (Value >= 0))");
    connection.setCommandTimeout(10);
    connection.Open(server->connectionString());
    recordset = connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  }
  void TearDown() override {
    recordset.reset();
    connection.Close();
    if (probe) probe->run("DROP TABLE IF EXISTS " + table);
  }

  void addRow(DateTime stamp, std::string_view tag, double value) {
    recordset->addNew();
    recordset->setField("DateTime", stamp);
    recordset->setField("Tag", tag);
    recordset->setField("Value", value);
    recordset->update();
  }
  void addRows(int rows) {
    for (int i = 0; i < rows; ++i) {
      addRow(DateTime::fromParts(2024, 3, 1).addMinutes(i), "Line1.T" + std::to_string(i), i);
    }
  }
  std::string count() { return probe->one("SELECT count(*) FROM " + table); }

  std::optional<PgServer> server = testing::pgServer();
  std::unique_ptr<PgProbe> probe;
  std::string table;
  TempDir folder;
  Connection connection{folder.path()};
  std::unique_ptr<Recordset> recordset;
};

// ---- login -----------------------------------------------------------------------------------

TEST_F(PgDriverTest, LogsInWithAPasswordHoldingSemicolonAndQuote) {
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  EXPECT_EQ(connection.ConnectionString(),
            "Provider=PostgreSQL;Data Source=" + server->host + ":" + server->port +
                ";Initial Catalog=" + server->database + ";User ID=" + server->user);
  EXPECT_EQ(connection.ConnectionString().find(server->password), std::string::npos);
}

struct RefusalCase {
  const char* name;
  std::function<std::string(const PgServer&)> connectionString;
  const char* sqlState;
  const char* text;
};

class PgLoginRefusal : public PgDriverTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PgLoginRefusal, CarriesTheCodeAndTheServersText) {
  Connection other{folder.path()};
  other.setConnectionTimeout(5);
  try {
    other.Open(GetParam().connectionString(*server));
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), GetParam().sqlState) << error.description();
    EXPECT_EQ(error.description().rfind(std::string("[") + GetParam().sqlState + "] ", 0), 0u);
    EXPECT_NE(error.description().find(GetParam().text), std::string::npos) << error.description();
    EXPECT_EQ(error.number(), -2147467259);
  }
  EXPECT_EQ(other.State(), Connection::StateClosed);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PgLoginRefusal,
    ::testing::Values(
        RefusalCase{"wrong_password",
                    [](const PgServer& s) { return s.connectionString("wrong;\"pw", s.database); },
                    "28P01", "password authentication failed for user \"csv2sql\""},
        RefusalCase{"unknown_database",
                    [](const PgServer& s) { return s.connectionString(s.password, "no_such_db"); },
                    "3D000", "database \"no_such_db\" does not exist"},
        RefusalCase{"nothing_listening",
                    [](const PgServer& s) {
                      return "Provider=PostgreSQL;Data Source=127.0.0.1:" +
                             std::to_string(csv2sql::testing::closedLoopbackPort()) +
                             ";User ID=" + s.user;
                    },
                    "08001", "Connection refused"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PgDriverTest, SilentServerFailsWithinTheConnectionTimeout) {
  csv2sql::testing::LoopbackListener silent;
  Connection other{folder.path()};
  other.setConnectionTimeout(1);
  try {
    other.Open("Provider=PostgreSQL;Data Source=127.0.0.1:" + std::to_string(silent.port()));
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "HYT00");
    EXPECT_NE(error.description().find("within 1 s"), std::string::npos) << error.description();
  }
  EXPECT_EQ(other.State(), Connection::StateClosed);
}

// ---- execute ---------------------------------------------------------------------------------

TEST_F(PgDriverTest, ExecuteBindsParametersOutsideLiterals) {
  const FieldValue values[] = {DateTime::fromParts(2024, 3, 1, 14, 7, 9, 250000),
                               std::string_view("x"), 2.5};
  connection.Execute(
      "INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, '?' || ? /* ? */, ?) -- ?",
      values);
  const FieldValue nulls[] = {std::monostate{}};
  connection.Execute("INSERT INTO " + table + " (Tag) VALUES (?)", nulls);
  EXPECT_EQ(probe->rows("SELECT DateTime, Tag, Value FROM " + table + " ORDER BY Tag NULLS LAST"),
            (std::vector<std::string>{"2024-03-01 14:07:09.25|?x|2.5", "NULL|NULL|NULL"}));
}

TEST_F(PgDriverTest, PurgeWithADateParameter) {
  addRow(DateTime::fromParts(2024, 2, 29, 23, 59, 59, 999999), "old", 1);
  addRow(DateTime::fromParts(2024, 3, 1), "kept", 2);
  const FieldValue cutoff[] = {DateTime::fromParts(2024, 3, 1)};
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < ?", cutoff);
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table), std::vector<std::string>{"kept"});
}

TEST_F(PgDriverTest, WrongNumberOfParametersIsRefused) {
  const FieldValue one[] = {1.0};
  try {
    connection.Execute("DELETE FROM " + table + " WHERE Value = ? OR Value = ?", one);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3001);
  }
}

TEST_F(PgDriverTest, CommandTimeoutCancelsALongStatement) {
  connection.setCommandTimeout(1);
  try {
    connection.Execute("SELECT pg_sleep(3)");
    FAIL() << "no time-out";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "57014");
    EXPECT_NE(error.description().find("statement timeout"), std::string::npos);
  }
  connection.Execute("SELECT 1");  // the session goes on
}

TEST_F(PgDriverTest, CommandTimeoutSetInARolledBackTransactionStays) {
  connection.BeginTrans();
  connection.setCommandTimeout(1);
  connection.RollbackTrans();
  try {
    connection.Execute("SELECT pg_sleep(3)");
    FAIL() << "no time-out";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "57014");
  }
}

// ---- rows ------------------------------------------------------------------------------------

TEST_F(PgDriverTest, RowOutsideATransactionIsInTheTableAtOnce) {
  addRow(DateTime::fromParts(2024, 3, 1, 12, 0, 0, 500000), "Line1.Temp", 21.5);
  EXPECT_EQ(probe->one("SELECT DateTime, Tag, Value FROM " + table),
            "2024-03-01 12:00:00.5|Line1.Temp|21.5");
}

TEST_F(PgDriverTest, StreamedRowsAreAllThereAfterCommitAndNoneAfterRollback) {
  connection.BeginTrans();
  addRows(3000);            // more than one 64 KiB chunk
  EXPECT_EQ(count(), "0");  // another session sees nothing before the commit
  connection.CommitTrans();
  EXPECT_EQ(probe->one("SELECT count(*), min(DateTime), max(DateTime), sum(Value) FROM " + table),
            "3000|2024-03-01 00:00:00|2024-03-03 01:59:00|4498500");
  EXPECT_EQ(probe->one("SELECT Tag FROM " + table + " WHERE Value = 2999"), "Line1.T2999");

  connection.BeginTrans();
  addRows(250);
  connection.RollbackTrans();
  EXPECT_EQ(count(), "3000");
}

TEST_F(PgDriverTest, HeldRowsAreWrittenBeforeAnExecute) {
  connection.BeginTrans();
  addRows(3);
  connection.Execute("UPDATE " + table + " SET Value = Value + 10");
  connection.CommitTrans();
  EXPECT_EQ(probe->one("SELECT sum(Value) FROM " + table), "33");
}

TEST_F(PgDriverTest, RowsSettingOtherFieldsMixInOneTransaction) {
  connection.BeginTrans();
  addRows(2);
  recordset->addNew();
  recordset->setField("Value", 7.0);
  recordset->update();
  addRows(2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "5");
  EXPECT_EQ(probe->one("SELECT count(*) FROM " + table + " WHERE Tag IS NULL AND Value = 7"), "1");
}

TEST_F(PgDriverTest, RefusedRowInTheStreamSurfacesAtCommitAndRollsBack) {
  connection.BeginTrans();
  addRows(10);
  addRow(DateTime::fromParts(2024, 3, 2), "bad", -1);
  addRows(10);
  try {
    connection.CommitTrans();
    FAIL() << "commit succeeded";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "23514") << error.description();
  }
  EXPECT_EQ(count(), "0");
  connection.BeginTrans();  // the session is usable and no transaction was left open
  addRows(2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

TEST_F(PgDriverTest, CommitAfterAFailedStatementReportsTheRollback) {
  connection.BeginTrans();
  addRows(2);
  EXPECT_THROW(connection.Execute("SELECT 1/0"), DatabaseError);
  try {
    connection.CommitTrans();
    FAIL() << "commit succeeded";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "25P02");
  }
  EXPECT_EQ(count(), "0");
}

TEST_F(PgDriverTest, TransactionMisuseIsAnError) {
  connection.BeginTrans();
  EXPECT_THROW(connection.BeginTrans(), DatabaseError);
  connection.RollbackTrans();
  EXPECT_THROW(connection.CommitTrans(), DatabaseError);
}

TEST_F(PgDriverTest, TextWithNulIsRefusedWithoutBreakingTheStream) {
  connection.BeginTrans();
  addRows(1);
  try {
    addRow(DateTime::fromParts(2024, 3, 1), std::string_view("a\0b", 3), 1);
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "22021");
  }
  addRow(DateTime::fromParts(2024, 3, 1), "after", 2);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
}

TEST_F(PgDriverTest, CommandTimeoutDoesNotCutALongStream) {
  connection.setCommandTimeout(1);
  connection.BeginTrans();
  addRows(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  addRows(1);
  connection.CommitTrans();
  EXPECT_EQ(count(), "2");
  try {
    connection.Execute("SELECT pg_sleep(3)");  // and it still bounds statements
    FAIL() << "no time-out";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "57014");
  }
}

TEST_F(PgDriverTest, TableWithoutTagFailsAtSettingTag) {
  const std::string noTag = testing::uniqueTableName("notag");
  probe->run("CREATE TABLE " + noTag + " (DateTime timestamp, Value double precision)");
  auto other = connection.OpenRecordset(::csv2sql::db::TableName::check(noTag));
  other->addNew();
  other->setField("DateTime", DateTime::fromParts(2024, 3, 1));
  try {
    other->setField("Tag", std::string_view("x"));
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3265);
    EXPECT_NE(error.description().find("Tag"), std::string::npos);
  }
  other.reset();
  probe->run("DROP TABLE " + noTag);
}

TEST_F(PgDriverTest, MissingTableFailsAtOpenWithTheServersCode) {
  try {
    connection.OpenRecordset(::csv2sql::db::TableName::check("no_such_table"));
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "42P01");
  }
}

struct TagCase {
  const char* name;
  std::string tag;
};

class PgTagText : public PgDriverTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(PgTagText, SurvivesTheStreamAndTheSingleInsert) {
  connection.BeginTrans();
  addRow(DateTime::fromParts(2024, 3, 1), GetParam().tag, 1);
  connection.CommitTrans();
  addRow(DateTime::fromParts(2024, 3, 1), GetParam().tag, 2);
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table + " ORDER BY Value"),
            (std::vector<std::string>{GetParam().tag, GetParam().tag}));
}

INSTANTIATE_TEST_SUITE_P(Edges, PgTagText,
                         ::testing::Values(TagCase{"empty", ""}, TagCase{"tab", "a\tb"},
                                           TagCase{"backslash", "C:\\data\\"},
                                           TagCase{"line_feed", "a\nb"},
                                           TagCase{"carriage_return", "a\r\nb"},
                                           TagCase{"quotes", "it's \"x\""},
                                           TagCase{"null_marker_text", "\\N"},
                                           TagCase{"degree_sign",
                                                   "Temp \xc2\xb0"
                                                   "C"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- text helpers ----------------------------------------------------------------------------

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
                      AddressCase{"bracketed_v6", "[::1]", "::1", ""},
                      AddressCase{"bare_v6", "fe80::1", "fe80::1", ""},
                      AddressCase{"empty", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlaceholderCase {
  const char* name;
  const char* sql;
  const char* expected;
  std::size_t markers;
};

class PgPlaceholders : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PgPlaceholders, AreNumberedOutsideQuotedText) {
  std::size_t markers = 99;
  EXPECT_EQ(pg::numberPlaceholders(GetParam().sql, true, markers), GetParam().expected);
  EXPECT_EQ(markers, GetParam().markers);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PgPlaceholders,
    ::testing::Values(
        PlaceholderCase{"plain", "a = ? AND b = ?", "a = $1 AND b = $2", 2},
        PlaceholderCase{"literal", "'?''?' = ?", "'?''?' = $1", 1},
        PlaceholderCase{"escape_literal", "E'\\'?' = ?", "E'\\'?' = $1", 1},
        PlaceholderCase{"quoted_name", "\"a?\" = ?", "\"a?\" = $1", 1},
        PlaceholderCase{"line_comment", "? -- ?\n?", "$1 -- ?\n$2", 2},
        PlaceholderCase{"nested_block_comment", "/* ? /* ? */ ? */ ?", "/* ? /* ? */ ? */ $1", 1},
        PlaceholderCase{"dollar_quoted", "$x$ ? $x$ || $$?$$ || ?", "$x$ ? $x$ || $$?$$ || $1", 1},
        PlaceholderCase{"unclosed_literal", "'?", "'?", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::db
