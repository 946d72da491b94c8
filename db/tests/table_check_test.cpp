// "Test" also opens the destination table, so a run does not find out first that it is missing.
#include <gtest/gtest.h>

#include "db/destination.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

struct TableCase {
  std::string name;
  std::string create;  // the destination's table, in SQLite's SQL
  std::string prompt;  // the box after the press
};

class TableCheck : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableCheck, SaysWhatTheRunWouldMiss) {
  TestSession t;
  RunLog log(t.session);
  Messages messages(t.session, log);
  Destination destination(t.session, messages);
  execSql(t.folder.path() / "dest.db", GetParam().create);
  t.session.frmMain.cboOleProvider.setText("SQLite");
  t.session.frmMain.txtDataSource.setText("dest.db");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_EQ(t.messageBox.shown[0].prompt, GetParam().prompt);
  EXPECT_LE(countRows(t.folder.path() / "dest.db"), 0) << "nothing written";
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TableCheck,
    ::testing::Values(
        TableCase{"all_columns", "CREATE TABLE csvdata (datetime TEXT, TAG TEXT, Value REAL)",
                  "Connected"},
        TableCase{"no_table", "CREATE TABLE other (x)",
                  "Connected\r\nThe destination table CSVDATA cannot be opened: Error "
                  "-2147467259 - no such table: CSVDATA"},
        TableCase{"one_column_missing", "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT)",
                  "Connected\r\nThe destination table CSVDATA has no column Value."},
        TableCase{"two_columns_missing", "CREATE TABLE CSVDATA (DateTime TEXT, Other REAL)",
                  "Connected\r\nThe destination table CSVDATA has no column Tag, Value."},
        // SQLite's recordset query names DateTime, so its lack fails the open itself.
        TableCase{"no_date_time_column", "CREATE TABLE CSVDATA (Tag TEXT, Value REAL)",
                  "Connected\r\nThe destination table CSVDATA cannot be opened: Error "
                  "-2147467259 - no such column: DateTime"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace csv2sql::testing
