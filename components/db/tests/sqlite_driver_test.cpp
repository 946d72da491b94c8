#include <gtest/gtest.h>
#include <sqlite3.h>

#include "components/db/connection.h"
#include "components/db/drivers.h"
#include "components/db/tests/sqlite_test_db.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

using csv2sql::testing::TempDir;
using csv2sql::testing::writeFile;
using testing::createDatabase;
using testing::queryOne;
using testing::queryRows;

class SqliteDriverTest : public ::testing::Test {
 protected:
  SqliteDriverTest() { createDatabase(file); }

  std::unique_ptr<Driver> open(const std::string& dataSource = "data.db") {
    ConnectionSettings settings;
    settings.provider = "SQLite";
    settings.dataSource = dataSource;
    return openSqlite(settings, OpenOptions{5, 5, folder.path()});
  }
  std::string count(const std::string& table = "CSVDATA") {
    return queryOne(file, "SELECT count(*) FROM " + table);
  }
  static void addRow(Recordset& recordset, DateTime stamp, std::string_view tag, double value) {
    recordset.addNew();
    recordset.setField("DateTime", stamp);
    recordset.setField("Tag", tag);
    recordset.setField("Value", value);
    recordset.update();
  }
  static void addRows(Recordset& recordset, int rows) {
    for (int i = 0; i < rows; ++i) {
      addRow(recordset, DateTime::fromParts(2024, 3, 1).addMinutes(i), "T" + std::to_string(i), i);
    }
  }

  TempDir folder;
  std::filesystem::path file = folder.path() / "data.db";
};

// ---- opening -----------------------------------------------------------------------------

TEST_F(SqliteDriverTest, OpensAnAbsolutePathAsWell) {
  EXPECT_NE(open(file.string()), nullptr);
}

TEST_F(SqliteDriverTest, MissingFileIsAnErrorThatNamesItAndCreatesNothing) {
  try {
    open("missing.db");
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), SQLITE_CANTOPEN);
    EXPECT_NE(error.description().find((folder.path() / "missing.db").string()), std::string::npos)
        << error.description();
  }
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing.db"));
}

TEST_F(SqliteDriverTest, EmptyDataSourceIsAnError) {
  EXPECT_THROW(open(""), DatabaseError);
}

TEST_F(SqliteDriverTest, FileThatIsNoDatabaseFailsAtOpen) {
  writeFile(folder.path() / "notes.txt", std::string(2048, 'x'));
  try {
    open("notes.txt");
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), SQLITE_NOTADB);
    EXPECT_NE(error.description().find("notes.txt"), std::string::npos);
  }
}

// ---- execute -------------------------------------------------------------------------------

TEST_F(SqliteDriverTest, ExecuteBindsEachKindOfParameter) {
  auto driver = open();
  const FieldValue values[] = {DateTime::fromParts(2024, 3, 1, 14, 7, 9), std::string_view("it's"),
                               2.5};
  driver->execute("INSERT INTO CSVDATA (DateTime, Tag, Value) VALUES (?, ?, ?)", values);
  const FieldValue nulls[] = {std::monostate{}, std::string_view()};
  driver->execute("INSERT INTO CSVDATA (DateTime, Tag) VALUES (?, ?)", nulls);
  EXPECT_EQ(queryRows(file,
                      "SELECT DateTime, typeof(DateTime), Tag, typeof(Tag), Value, typeof(Value) "
                      "FROM CSVDATA ORDER BY rowid"),
            (std::vector<std::string>{"2024-03-01 14:07:09|text|it's|text|2.5|real",
                                      "NULL|null||text|NULL|null"}));
}

TEST_F(SqliteDriverTest, PurgeWithDateParameterComparesInTimeOrder) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  addRow(*recordset, DateTime::fromParts(2024, 2, 29, 23, 59, 59, 999999), "old", 1);
  addRow(*recordset, DateTime::fromParts(2024, 3, 1), "kept", 2);
  const FieldValue cutoff[] = {DateTime::fromParts(2024, 3, 1)};
  driver->execute("DELETE FROM CSVDATA WHERE DateTime < ?", cutoff);
  EXPECT_EQ(queryRows(file, "SELECT Tag FROM CSVDATA"), std::vector<std::string>{"kept"});
}

TEST_F(SqliteDriverTest, WrongNumberOfParametersIsRefused) {
  auto driver = open();
  const FieldValue one[] = {1.0};
  EXPECT_THROW(driver->execute("INSERT INTO CSVDATA (Value, Tag) VALUES (?, ?)", one), Error);
  const FieldValue three[] = {1.0, 2.0, 3.0};
  EXPECT_THROW(driver->execute("DELETE FROM CSVDATA WHERE Value = ?", three), Error);
}

TEST_F(SqliteDriverTest, SqlErrorCarriesTheCodeAndMessage) {
  auto driver = open();
  try {
    driver->execute("DELETE FROM NoSuchTable", {});
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    // SQLite's codes would read as the program's own numbers (13 is "database or disk is
    // full" there, "Type mismatch" here): the code is only the native code.
    EXPECT_EQ(error.number(), -2147467259);
    EXPECT_EQ(error.nativeCode(), SQLITE_ERROR);
    EXPECT_EQ(error.description(), "no such table: NoSuchTable");
  }
}

TEST_F(SqliteDriverTest, CommandTimeoutInterruptsALongStatement) {
  auto driver = open();
  driver->setCommandTimeout(1);
  try {
    driver->execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000000000) "
        "SELECT count(*) FROM n",
        {});
    FAIL() << "no time-out";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), SQLITE_INTERRUPT);
    EXPECT_NE(error.description().find("command time-out of 1 s"), std::string::npos);
  }
  driver->execute("SELECT 1", {});  // the session goes on
}

// ---- date-time text --------------------------------------------------------------------------

struct StampCase {
  const char* name;
  DateTime value;
  const char* text;
};

class SqliteDateText : public SqliteDriverTest, public ::testing::WithParamInterface<StampCase> {};

TEST_P(SqliteDateText, IsStoredAsSortableText) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  recordset->addNew();
  recordset->setField("DateTime", GetParam().value);
  recordset->update();
  EXPECT_EQ(queryOne(file, "SELECT DateTime || '|' || typeof(DateTime) FROM CSVDATA"),
            std::string(GetParam().text) + "|text");
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SqliteDateText,
    ::testing::Values(StampCase{"midnight", DateTime::fromParts(2024, 3, 1), "2024-03-01 00:00:00"},
                      StampCase{"whole_second", DateTime::fromParts(2026, 12, 5, 14, 7, 9),
                                "2026-12-05 14:07:09"},
                      StampCase{"half_second", DateTime::fromParts(2024, 3, 1, 8, 0, 0, 500000),
                                "2024-03-01 08:00:00.5"},
                      StampCase{"trailing_zeros_dropped",
                                DateTime::fromParts(2024, 3, 1, 8, 0, 0, 120000),
                                "2024-03-01 08:00:00.12"},
                      StampCase{"one_microsecond", DateTime::fromParts(2024, 3, 1, 8, 0, 0, 1),
                                "2024-03-01 08:00:00.000001"},
                      StampCase{"all_six_digits",
                                DateTime::fromParts(9999, 12, 31, 23, 59, 59, 999999),
                                "9999-12-31 23:59:59.999999"},
                      StampCase{"year_one", DateTime::fromParts(1, 1, 1), "0001-01-01 00:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- recordset -------------------------------------------------------------------------------

TEST_F(SqliteDriverTest, RowOutsideATransactionIsInTheTableAtOnce) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  addRow(*recordset, DateTime::fromParts(2024, 3, 1, 12), "Line1.Temp", 21.5);
  EXPECT_EQ(queryOne(file, "SELECT DateTime, Tag, Value FROM CSVDATA"),
            "2024-03-01 12:00:00|Line1.Temp|21.5");
}

TEST_F(SqliteDriverTest, FieldNamesMatchWithoutRegardToCase) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("csvdata"));
  recordset->addNew();
  recordset->setField("DATETIME", DateTime::fromParts(2024, 3, 1));
  recordset->setField("tag", std::string_view("a"));
  recordset->setField("vAlUe", 1.0);
  recordset->update();
  EXPECT_EQ(count(), "1");
}

TEST_F(SqliteDriverTest, TableWithoutTagFailsAtSettingTag) {
  testing::runSql(file, "CREATE TABLE NoTag (DateTime TEXT, Value REAL)");
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("NoTag"));
  recordset->addNew();
  recordset->setField("DateTime", DateTime::fromParts(2024, 3, 1));
  try {
    recordset->setField("Tag", std::string_view("x"));
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3265);
    EXPECT_NE(error.description().find("Item cannot be found in the collection"),
              std::string::npos);
    EXPECT_NE(error.description().find("Tag"), std::string::npos);
  }
}

TEST_F(SqliteDriverTest, MissingTableFailsAtOpen) {
  auto driver = open();
  EXPECT_THROW(driver->openRecordset(::csv2sql::db::TableName::check("NoSuchTable")),
               DatabaseError);
}

TEST_F(SqliteDriverTest, RowCycleIsEnforced) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  try {
    recordset->setField("Tag", std::string_view("x"));
    FAIL() << "set without AddNew";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3021);
  }
  recordset->addNew();
  try {
    recordset->update();
    FAIL() << "update of an empty row";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 3219);
  }
  EXPECT_EQ(count(), "0");
}

TEST_F(SqliteDriverTest, AddNewWritesAPendingRowFirst) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  recordset->addNew();
  recordset->setField("Tag", std::string_view("first"));
  recordset->addNew();
  recordset->setField("Tag", std::string_view("second"));
  recordset->update();
  EXPECT_EQ(queryRows(file, "SELECT Tag FROM CSVDATA ORDER BY rowid"),
            (std::vector<std::string>{"first", "second"}));
}

TEST_F(SqliteDriverTest, BatchedRowsAreAllThereAfterCommitAndNoneAfterRollback) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  driver->begin();
  addRows(*recordset, 250);
  driver->commit();
  EXPECT_EQ(count(), "250");
  EXPECT_EQ(queryOne(file, "SELECT min(DateTime), max(DateTime), sum(Value) FROM CSVDATA"),
            "2024-03-01 00:00:00|2024-03-01 04:09:00|31125.0");
  EXPECT_EQ(queryOne(file, "SELECT Tag FROM CSVDATA WHERE Value = 249"), "T249");

  driver->begin();
  addRows(*recordset, 250);
  driver->rollback();
  EXPECT_EQ(count(), "250");
}

TEST_F(SqliteDriverTest, HeldRowsAreWrittenBeforeAnExecute) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  driver->begin();
  addRows(*recordset, 3);
  driver->execute("UPDATE CSVDATA SET Value = Value + 10", {});
  driver->commit();
  EXPECT_EQ(queryOne(file, "SELECT sum(Value) FROM CSVDATA"), "33.0");
}

TEST_F(SqliteDriverTest, HeldRowsAreWrittenWhenTheRecordsetCloses) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  driver->begin();
  addRows(*recordset, 7);
  recordset->close();
  driver->commit();
  EXPECT_EQ(count(), "7");
}

TEST_F(SqliteDriverTest, RowsSettingOtherFieldsMixInOneTransaction) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  driver->begin();
  addRows(*recordset, 150);
  recordset->addNew();
  recordset->setField("Value", 7.0);
  recordset->update();
  addRows(*recordset, 2);
  driver->commit();
  EXPECT_EQ(count(), "153");
  EXPECT_EQ(queryOne(file, "SELECT count(*) FROM CSVDATA WHERE Tag IS NULL AND Value = 7"), "1");
}

TEST_F(SqliteDriverTest, RefusedRowInTheLastBatchSurfacesAtCommitAndRollsBack) {
  testing::runSql(file,
                  "CREATE TABLE Checked (DateTime TEXT, Tag TEXT, Value REAL CHECK (Value >= 0))");
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("Checked"));
  driver->begin();
  addRows(*recordset, 120);  // the first 100 go out as one statement
  addRow(*recordset, DateTime::fromParts(2024, 3, 2), "bad", -1);
  addRows(*recordset, 5);
  try {
    driver->commit();
    FAIL() << "commit succeeded";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.nativeCode(), SQLITE_CONSTRAINT_CHECK);
  }
  EXPECT_EQ(count("Checked"), "0");
  driver->begin();  // no transaction was left open
  addRows(*recordset, 2);
  driver->commit();
  EXPECT_EQ(count("Checked"), "2");
}

TEST_F(SqliteDriverTest, RefusedRowInAFullBatchSurfacesAtUpdate) {
  testing::runSql(file,
                  "CREATE TABLE Checked (DateTime TEXT, Tag TEXT, Value REAL CHECK (Value >= 0))");
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("Checked"));
  driver->begin();
  addRow(*recordset, DateTime::fromParts(2024, 3, 2), "bad", -1);
  EXPECT_THROW(addRows(*recordset, 99), DatabaseError);
  driver->rollback();
  EXPECT_EQ(count("Checked"), "0");
}

TEST_F(SqliteDriverTest, DroppedRecordsetWritesItsHeldRows) {
  auto driver = open();
  driver->begin();
  addRows(*driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA")), 4);
  driver->commit();
  EXPECT_EQ(count(), "4");
}

TEST_F(SqliteDriverTest, TagsSurviveAsGiven) {
  auto driver = open();
  auto recordset = driver->openRecordset(::csv2sql::db::TableName::check("CSVDATA"));
  const std::string tags[] = {"",
                              "it's \"quoted\"",
                              "tab\there",
                              "line\nfeed",
                              "back\\slash",
                              "\xc2\xb0"
                              "C"};
  driver->begin();
  for (const std::string& tag : tags) addRow(*recordset, DateTime::fromParts(2024, 3, 1), tag, 1);
  driver->commit();
  const auto rows = queryRows(file, "SELECT Tag FROM CSVDATA ORDER BY rowid");
  EXPECT_EQ(rows, std::vector<std::string>(std::begin(tags), std::end(tags)));
}

}  // namespace
}  // namespace csv2sql::db
