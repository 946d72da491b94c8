#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "components/db/connection.h"
#include "components/db/tests/pg_test_server.h"
#include "tests/support/test_support.h"

// psqlODBC through the data source that the test script writes: the ODBC driver against a
// real server.

namespace csv2sql::db {
namespace {

using csv2sql::testing::TempDir;
using testing::PgProbe;
using testing::PgServer;

struct OdbcServer {
  PgServer pg;
  std::string dataSourceName;
};

std::optional<OdbcServer> odbcServer() {
  std::optional<PgServer> pg = testing::pgServer();
  const char* dsn = std::getenv("CSV2SQL_PG_DSN");
  if (!pg || !dsn || !std::getenv("ODBCINI")) return std::nullopt;
  return OdbcServer{*pg, dsn};
}

// The password travels quoted: it holds ";" and a double quote.
std::string msdasqlString(const OdbcServer& server, const std::string& user,
                          const std::string& password) {
  std::string quoted = "\"";
  for (const char c : password) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return "Provider=MSDASQL;Data Source=" + server.dataSourceName +
         ";initial catalog=" + server.pg.database + ";User ID=" + user + ";Password=" + quoted +
         "\";OLE DB Services =-2;";
}

DateTime at(int minute, int microsecond = 0) {
  return DateTime::fromParts(2024, 3, 1, 12, minute, 56, microsecond);
}

class OdbcDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSV2SQL_REQUIRE_PG(server);
    probe = std::make_unique<PgProbe>(server->pg);
    table = testing::uniqueTableName("odbc");
    // Unquoted names: the server folds them to lower case, and the fields still match.
    probe->run("CREATE TABLE " + table +
               " (DateTime timestamp, Tag text, Value double precision CHECK (Value >= 0))");
    connection.setCommandTimeout(10);
    connection.Open(msdasqlString(*server, server->pg.user, server->pg.password));
  }
  void TearDown() override {
    connection.Close();
    if (probe) probe->run("DROP TABLE IF EXISTS " + table);
  }

  void addRow(Recordset& recordset, DateTime stamp, std::string_view tag, double value) {
    recordset.addNew();
    recordset.setField("DateTime", stamp);
    recordset.setField("Tag", tag);
    recordset.setField("Value", value);
    recordset.update();
  }
  void addRows(Recordset& recordset, int rows, int badRow = -1) {
    for (int i = 0; i < rows; ++i) {
      addRow(recordset, at(0).addMinutes(i), "Line1.T" + std::to_string(i), i == badRow ? -1 : i);
    }
  }
  std::string count() { return probe->one("SELECT count(*) FROM " + table); }

  std::optional<OdbcServer> server = odbcServer();
  std::unique_ptr<PgProbe> probe;
  std::string table;
  TempDir folder;
  Connection connection{folder.path()};
};

// ---- login -----------------------------------------------------------------------------------

TEST_F(OdbcDriverTest, PasswordWithSemicolonAndQuoteLogsIn) {
  EXPECT_EQ(connection.State(), Connection::StateOpen);
  EXPECT_EQ(connection.ConnectionString().find(server->pg.password), std::string::npos);
  connection.Close();
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

TEST_F(OdbcDriverTest, PasswordWithBracesEqualsAndOuterBlanksLogsIn) {
  const std::string role = testing::uniqueTableName("role");
  const std::string password = " a;b{c}}d=e\"f ";
  probe->run("CREATE ROLE " + role + " LOGIN PASSWORD ' a;b{c}}d=e\"f '");
  Connection other(folder.path());
  try {
    other.Open(msdasqlString(*server, role, password));
  } catch (const Error& error) {
    ADD_FAILURE() << error.what();
  }
  EXPECT_EQ(other.State(), Connection::StateOpen);
  other.Close();
  probe->run("DROP ROLE " + role);
}

TEST_F(OdbcDriverTest, LoginFailureCarriesTheDriversNumberAndText) {
  Connection other(folder.path());
  try {
    other.Open(msdasqlString(*server, server->pg.user, "wrong"));
    FAIL() << "logged in with a wrong password";
  } catch (const DatabaseError& error) {
    // psqlODBC reports every failed open as its own error 101 with SQLSTATE 08001; the
    // server's 28P01 shows only in the text.
    EXPECT_EQ(error.nativeCode(), 101);
    EXPECT_EQ(error.number(), 101);
    EXPECT_EQ(error.sqlState(), "08001");
    EXPECT_NE(error.message().find("password authentication failed"), std::string::npos)
        << error.message();
    EXPECT_EQ(error.message().find('\n'), std::string::npos) << "one line for the log";
  }
  EXPECT_EQ(other.State(), Connection::StateClosed);
}

TEST_F(OdbcDriverTest, UnknownDataSourceNameFails) {
  Connection other(folder.path());
  try {
    other.Open("Provider=MSDASQL;Data Source=no_such_dsn;User ID=x;Password=y;");
    FAIL() << "opened a data source that does not exist";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "IM002") << error.description();
  }
  EXPECT_EQ(other.State(), Connection::StateClosed);
}

// ---- execute ---------------------------------------------------------------------------------

TEST_F(OdbcDriverTest, ExecuteBindsEveryKindOfValue) {
  const std::string insert = "INSERT INTO " + table + " (DateTime, Tag, Value) VALUES (?, ?, ?)";
  const FieldValue first[] = {at(34, 123456),
                              std::string_view("Kessel \xC2\xB0"
                                               "C \xC3\xBC"),
                              21.5};
  const FieldValue second[] = {at(35, 1), std::monostate{}, 0.25};
  connection.Execute(insert, first);
  connection.Execute(insert, second);
  EXPECT_EQ(probe->rows("SELECT DateTime, Tag, Value FROM " + table + " ORDER BY Value"),
            (std::vector<std::string>{"2024-03-01 12:35:56.000001|NULL|0.25",
                                      "2024-03-01 12:34:56.123456|Kessel \xC2\xB0"
                                      "C \xC3\xBC|21.5"}));
}

TEST_F(OdbcDriverTest, ExecuteWithoutParametersRunsTheStatement) {
  probe->run("INSERT INTO " + table + " VALUES ('2024-03-01', 'a', 1), ('2024-03-03', 'b', 2)");
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < '2024-03-02'");
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table), std::vector<std::string>{"b"});
}

TEST_F(OdbcDriverTest, DeleteByDateTimeParameter) {
  probe->run("INSERT INTO " + table + " VALUES ('2024-03-01', 'a', 1), ('2024-03-03', 'b', 2)");
  const FieldValue cutoff[] = {DateTime::fromParts(2024, 3, 2)};
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < ?", cutoff);
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table), std::vector<std::string>{"b"});
}

TEST_F(OdbcDriverTest, MoreValuesThanMarkersFail) {
  const FieldValue values[] = {1.0, 2.0};
  try {
    connection.Execute("DELETE FROM " + table + " WHERE Value = ?", values);
    FAIL() << "ran with a value too many";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3001) << error.description();
  }
}

TEST_F(OdbcDriverTest, TextThatIsNotUtf8Fails) {
  const FieldValue values[] = {at(0),
                               std::string_view("Kessel \xB0"
                                                "C"),
                               1.0};
  try {
    connection.Execute("INSERT INTO " + table + " VALUES (?, ?, ?)", values);
    FAIL() << "sent text that is not UTF-8";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "22021");
  }
  EXPECT_EQ(count(), "0");
}

TEST_F(OdbcDriverTest, ServerErrorCarriesSqlState) {
  try {
    connection.Execute("INSERT INTO no_such_table_here VALUES (1)");
    FAIL() << "inserted into a missing table";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "42P01");
    EXPECT_NE(error.description().find("no_such_table_here"), std::string::npos);
  }
}

// ---- command time-out ------------------------------------------------------------------------

TEST_F(OdbcDriverTest, CommandTimeOutAtOpenFires) {
  Connection other(folder.path());
  other.setCommandTimeout(1);
  other.Open(msdasqlString(*server, server->pg.user, server->pg.password));
  try {
    other.Execute("SELECT pg_sleep(3)");
    FAIL() << "a 3 s statement outlived a 1 s time-out";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "57014") << error.description();
  }
}

TEST_F(OdbcDriverTest, CommandTimeOutAppliesToLaterStatements) {
  connection.Execute("SELECT pg_sleep(0.1)");
  connection.setCommandTimeout(1);
  EXPECT_THROW(connection.Execute("SELECT pg_sleep(3)"), DatabaseError);
}

TEST_F(OdbcDriverTest, CommandTimeOutZeroWaitsWithoutLimit) {
  connection.setCommandTimeout(0);
  EXPECT_NO_THROW(connection.Execute("SELECT pg_sleep(1.2)"));
}

// ---- transactions ----------------------------------------------------------------------------

TEST_F(OdbcDriverTest, TransactionsCommitAndRollBack) {
  const std::string insert = "INSERT INTO " + table + " (Tag, Value) VALUES (?, ?)";
  const FieldValue kept[] = {std::string_view("kept"), 1.0};
  const FieldValue dropped[] = {std::string_view("dropped"), 2.0};
  connection.BeginTrans();
  connection.Execute(insert, kept);
  connection.CommitTrans();
  connection.BeginTrans();
  connection.Execute(insert, dropped);
  connection.RollbackTrans();
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table), std::vector<std::string>{"kept"});
  // Automatic commits are back: this row is visible to another session at once.
  connection.Execute(insert, dropped);
  EXPECT_EQ(count(), "2");
}

TEST_F(OdbcDriverTest, TransactionMisuseFails) {
  try {
    connection.CommitTrans();
    FAIL() << "committed without a transaction";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "25P01");
  }
  connection.BeginTrans();
  try {
    connection.BeginTrans();
    FAIL() << "nested a transaction";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "25001");
  }
  connection.RollbackTrans();
  EXPECT_NO_THROW(connection.RollbackTrans());  // nothing to roll back: nothing happens
}

// ---- recordset -------------------------------------------------------------------------------

TEST_F(OdbcDriverTest, RecordsetOnATableWithoutTagFailsAtThatField) {
  const std::string narrow = testing::uniqueTableName("narrow");
  probe->run("CREATE TABLE " + narrow + " (DateTime timestamp, Value double precision)");
  {
    const std::unique_ptr<Recordset> recordset =
        connection.OpenRecordset(::csv2sql::db::TableName::check(narrow));
    recordset->addNew();
    recordset->setField("DateTime", at(0));
    try {
      recordset->setField("Tag", std::string_view("T1"));
      FAIL() << "set a field the table lacks";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), 3265);
      EXPECT_TRUE(error.description().starts_with(
          "Item cannot be found in the collection corresponding to the requested name or "
          "ordinal."))
          << error.description();
      EXPECT_NE(error.description().find("Tag"), std::string::npos);
    }
  }
  probe->run("DROP TABLE " + narrow);
}

TEST_F(OdbcDriverTest, RecordsetOnAMissingTableFails) {
  try {
    connection.OpenRecordset(::csv2sql::db::TableName::check("no_such_table_here"));
    FAIL() << "opened a recordset on a missing table";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "42P01");
  }
}

TEST_F(OdbcDriverTest, OutsideATransactionEachRowIsWrittenAtOnce) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  addRow(*recordset, at(34, 123456), "T1", 1.5);
  EXPECT_EQ(probe->rows("SELECT DateTime, Tag, Value FROM " + table),
            std::vector<std::string>{"2024-03-01 12:34:56.123456|T1|1.5"});
  addRow(*recordset, at(35, 1), "T2", 2.5);
  EXPECT_EQ(count(), "2");
  recordset->close();
}

TEST_F(OdbcDriverTest, FieldSetToNullAndFieldNotSet) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  recordset->addNew();
  recordset->setField("datetime", std::monostate{});
  recordset->setField("VALUE", 3.0);
  recordset->update();
  EXPECT_EQ(probe->rows("SELECT DateTime, Tag, Value FROM " + table),
            std::vector<std::string>{"NULL|NULL|3"});
}

TEST_F(OdbcDriverTest, BatchedRowsArePresentAfterCommit) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.BeginTrans();
  addRows(*recordset, 2500);  // two full arrays and a part
  connection.CommitTrans();
  EXPECT_EQ(
      probe->one("SELECT count(*), count(DISTINCT Tag), sum(Value), max(DateTime) FROM " + table),
      "2500|2500|3123750|2024-03-03 05:39:56");
  recordset->close();
}

TEST_F(OdbcDriverTest, BatchedRowsAreGoneAfterRollBack) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.BeginTrans();
  addRows(*recordset, 2500);
  connection.RollbackTrans();
  recordset->close();
  EXPECT_EQ(count(), "0");
}

TEST_F(OdbcDriverTest, RowsOfOtherShapesStartANewArray) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.BeginTrans();
  addRow(*recordset, at(0), "double", 1.0);
  recordset->addNew();  // a NULL fits the array of doubles
  recordset->setField("DateTime", at(1));
  recordset->setField("Tag", std::string_view("null"));
  recordset->setField("Value", std::monostate{});
  recordset->update();
  recordset->addNew();  // text for the number: an array of its own
  recordset->setField("DateTime", at(2));
  recordset->setField("Tag", std::string_view("text"));
  recordset->setField("Value", std::string_view("2.5"));
  recordset->update();
  recordset->addNew();  // fewer fields: another statement
  recordset->setField("Tag", std::string_view("short"));
  recordset->update();
  connection.CommitTrans();
  EXPECT_EQ(
      probe->rows("SELECT Tag, Value, DateTime FROM " + table + " ORDER BY Tag"),
      (std::vector<std::string>{"double|1|2024-03-01 12:00:56", "null|NULL|2024-03-01 12:01:56",
                                "short|NULL|NULL", "text|2.5|2024-03-01 12:02:56"}));
}

TEST_F(OdbcDriverTest, HeldRowsReachTheServerBeforeTheNextStatement) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.BeginTrans();
  addRows(*recordset, 10);
  connection.Execute("DELETE FROM " + table + " WHERE Value < 4");
  connection.CommitTrans();
  EXPECT_EQ(count(), "6");
}

TEST_F(OdbcDriverTest, RowsOfARecordsetDestroyedUnclosedGoWithTheCommit) {
  connection.BeginTrans();
  addRows(*connection.OpenRecordset(::csv2sql::db::TableName::check(table)), 5);
  connection.CommitTrans();
  EXPECT_EQ(count(), "5");
}

TEST_F(OdbcDriverTest, RefusedHeldRowFailsTheCommitAndRollsBack) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.BeginTrans();
  addRows(*recordset, 100, 50);  // row 50 breaks the CHECK, but is only held
  try {
    connection.CommitTrans();
    FAIL() << "committed a refused row";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "23514") << error.description();
  }
  EXPECT_EQ(count(), "0");
  // The failed commit ended the transaction: the next one starts cleanly.
  connection.BeginTrans();
  addRows(*recordset, 3);
  connection.CommitTrans();
  EXPECT_EQ(count(), "3");
}

TEST_F(OdbcDriverTest, RefusedRowFailsTheUpdateThatFillsTheArray) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  Transaction transaction(connection);
  addRows(*recordset, 999, 10);
  try {
    addRow(*recordset, at(0), "last", 1.0);
    FAIL() << "the full array was not sent, or its refused row was not reported";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "23514") << error.description();
  }
}

TEST_F(OdbcDriverTest, RefusedRowOutsideATransactionFailsItsUpdate) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  EXPECT_THROW(addRow(*recordset, at(0), "T1", -1.0), DatabaseError);
  addRow(*recordset, at(0), "T2", 1.0);
  EXPECT_EQ(probe->rows("SELECT Tag FROM " + table), std::vector<std::string>{"T2"});
}

TEST_F(OdbcDriverTest, RecordsetIsClosedOnceTheConnectionIs) {
  const std::unique_ptr<Recordset> recordset =
      connection.OpenRecordset(::csv2sql::db::TableName::check(table));
  connection.Close();
  try {
    recordset->addNew();
    FAIL() << "added a row without a connection";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3704);
  }
  EXPECT_NO_THROW(recordset->close());
}

TEST_F(OdbcDriverTest, ClosingInsideATransactionRollsBack) {
  {
    const std::unique_ptr<Recordset> recordset =
        connection.OpenRecordset(::csv2sql::db::TableName::check(table));
    connection.BeginTrans();
    addRows(*recordset, 3);
    connection.Execute("SELECT 1");  // the rows are on the server, not yet committed
  }
  connection.Close();
  EXPECT_EQ(count(), "0");
}

}  // namespace
}  // namespace csv2sql::db
