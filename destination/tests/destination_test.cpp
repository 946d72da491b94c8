// "Test" connects and also opens the destination table, so a run does not find out first that
// the table or one of its columns is missing.
#include "destination/destination.h"

#include <gtest/gtest.h>

#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

TEST(Destination, ConnectionStringJoinsTheFiveFieldsAndQuotesASemicolonOrLeadingQuote) {
  Settings settings;
  settings.provider = "SQLNCLI11";
  settings.dataSource = "";
  settings.userId = "\"loader";
  settings.password = "a;b\"c";
  EXPECT_EQ(BuildConnectionString(settings),
            "Provider=SQLNCLI11;Data Source=;initial catalog=;User ID=\"\"\"loader\";"
            "Password=\"a;b\"\"c\";OLE DB Services =-2;");
}

// A press with dest.db beside the program, after a run's connect (1; 2: the run is on) and an edit.
struct PressCase {
  const char* name;
  const char* table;  // dest.db's, in SQLite's SQL
  int run;
  std::function<void(Settings&)> edit;
  std::string prompt;
  int commandTimeout;  // after the press; 0: closed
};
class TestPress : public ::testing::TestWithParam<PressCase> {};

TEST_P(TestPress, SaysConnectedOrWhatTheRunWouldMiss) {
  const PressCase& c = GetParam();
  TestSession t;
  RunLog log(t.session);
  Messages messages(t.session, log);
  Destination destination(t.session, messages);
  Settings settings;
  execSql(t.folder.path() / "dest.db", c.table);
  settings.provider = "SQLite";
  settings.dataSource = "dest.db";
  if (c.run > 0) destination.connect(readConnectPlan(settings));
  destination.runInProgress = c.run == 2;
  if (c.edit) c.edit(settings);
  destination.btnConnectDest_Click(settings);
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_EQ(t.messageBox.shown[0].prompt, c.prompt);
  const db::Connection& connection = destination.cnnDest();
  EXPECT_EQ(connection.State() == db::Connection::StateOpen ? connection.CommandTimeout() : 0,
            c.commandTimeout);
  EXPECT_LE(countRows(t.folder.path() / "dest.db"), 0) << "nothing written";
}

const char* const kTable = "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL)";
const std::string kMismatch = "Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch",
                  kTableIs = "Connected\r\nThe destination table CSVDATA ";
const PressCase kPresses[] = {
    {"connects", "CREATE TABLE csvdata (datetime, TAG, Value)", 0, {}, "Connected", 30},
    {"bad_connect_timeout", kTable, 1, [](Settings& s) { s.connectionTimeout.text = "a"; },
     kMismatch, 0},
    {"bad_command_timeout", kTable, 0, [](Settings& s) { s.commandTimeout.text = "a"; }, kMismatch,
     30},
    {"during_a_run", kTable, 2, [](Settings& s) { s.dataSource = "x.db"; },
     "An import run is in progress and is using the connection.\r\n"
     "Press Test again when the run has ended.",
     30},
    {"no_table",
     "CREATE TABLE other (x)",
     0,
     {},
     kTableIs + "cannot be opened: Error -2147467259 - no such table: CSVDATA",
     30},
    {"two_columns_missing",
     "CREATE TABLE CSVDATA (DateTime, Other)",
     0,
     {},
     kTableIs + "has no column Tag, Value.",
     30}};
INSTANTIATE_TEST_SUITE_P(Presses, TestPress, ::testing::ValuesIn(kPresses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
