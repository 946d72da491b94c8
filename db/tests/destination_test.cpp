#include "db/destination.h"

#include <gtest/gtest.h>

#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using testing::TestSession;

class DestinationTest : public ::testing::Test {
 protected:
  DestinationTest() : log(t.session), messages(t.session, log), destination(t.session, messages) {}

  FrmMain& form() { return t.session.frmMain; }

  // A real SQLite database beside the program, with the destination table.
  void useSqlite(const std::string& file = "dest.db") {
    testing::createDestination(t.folder.path() / file);
    form().cboOleProvider.setText("SQLite");
    form().txtDataSource.setText(file);
  }

  TestSession t;
  RunLog log;
  Messages messages;
  Destination destination;
};

TEST_F(DestinationTest, ConnectionStringJoinsTheFiveFieldsExactly) {
  form().cboOleProvider.setText("SQLNCLI11");
  form().txtDataSource.setText("SERVER1");
  form().txtInitialCat.setText("Readings");
  form().txtUserId.setText("loader");
  form().txtPassword.setText("");
  EXPECT_EQ(BuildConnectionString(form()),
            "Provider=SQLNCLI11;Data Source=SERVER1;initial catalog=Readings;User ID=loader;"
            "Password=;OLE DB Services =-2;");
}

TEST_F(DestinationTest, AllFieldsEmptyGiveEmptyValuesInTheSamePlaces) {
  form().cboOleProvider.setText("");
  form().txtDataSource.setText("");
  EXPECT_EQ(BuildConnectionString(form()),
            "Provider=;Data Source=;initial catalog=;User ID=;Password=;OLE DB Services =-2;");
}

TEST_F(DestinationTest, ValueWithSemicolonOrLeadingQuoteIsQuotedAndReadBackWhole) {
  form().txtPassword.setText("a;b\"c");
  form().txtUserId.setText("\"quoted");
  const std::string text = BuildConnectionString(form());
  EXPECT_NE(text.find(";Password=\"a;b\"\"c\";"), std::string::npos) << text;
  const db::ConnectionSettings parsed = db::parseConnectionString(text);
  EXPECT_EQ(parsed.password, "a;b\"c");
  EXPECT_EQ(parsed.userId, "\"quoted");
}

TEST_F(DestinationTest, SqlDateTimeWritesMidnightAndTheTwentyFourHourClock) {
  EXPECT_EQ(SQLDateTime(DateTime::fromParts(2024, 3, 1)), "'2024-03-01 00:00:00'");
  EXPECT_EQ(SQLDateTime(DateTime::fromParts(2026, 12, 5, 14, 7, 9)), "'2026-12-05 14:07:09'");
  EXPECT_EQ(SQLDateTime(DateTime::fromParts(2024, 6, 10, 15, 0, 0, 999999)),
            "'2024-06-10 15:00:00'");
}

TEST_F(DestinationTest, TestSaysConnectedAndLeavesTheConnectionOpenWithItsSettings) {
  useSqlite();
  form().txtCommandTimeout.setText(" 7.5 ");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_EQ(t.messageBox.shown[0].prompt, "Connected");
  EXPECT_EQ(t.messageBox.shown[0].buttons, 0);
  EXPECT_FALSE(t.messageBox.shown[0].title.has_value());
  db::Connection& connection = destination.cnnDest();
  EXPECT_EQ(connection.State(), db::Connection::StateOpen);
  EXPECT_EQ(connection.CommandTimeout(), 8);

  destination.btnConnectDest_Click();  // a second press reopens and says it again
  EXPECT_EQ(t.messageBox.shown.size(), 2u);
  EXPECT_EQ(connection.State(), db::Connection::StateOpen);
}

TEST_F(DestinationTest, ConnectedIsARealBoxEvenUnattended) {
  useSqlite();
  t.session.UnattendedMode = true;
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_EQ(t.messageBox.shown[0].prompt, "Connected");
}

TEST_F(DestinationTest, BadDataSourceIsReportedForTheButton) {
  form().cboOleProvider.setText("SQLite");
  form().txtDataSource.setText("missing.db");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  const MessageBoxRequest& box = t.messageBox.shown[0];
  EXPECT_EQ(box.buttons, mb::Critical);
  EXPECT_EQ(box.prompt.rfind("Error in Procedure btnConnectDest_Click\r\nError ", 0), 0u)
      << box.prompt;
  EXPECT_EQ(destination.cnnDest().State(), db::Connection::StateClosed);
}

TEST_F(DestinationTest, ConnectionTimeoutThatIsNoNumberClosesAndNeverOpens) {
  useSqlite();
  destination.btnConnectDest_Click();
  ASSERT_EQ(destination.cnnDest().State(), db::Connection::StateOpen);
  form().txtConnectionTimeout.setText("abc");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 2u);
  EXPECT_EQ(t.messageBox.shown[1].prompt,
            "Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch");
  EXPECT_EQ(destination.cnnDest().State(), db::Connection::StateClosed);
}

TEST_F(DestinationTest, CommandTimeoutThatIsNoNumberLeavesTheConnectionOpen) {
  useSqlite();
  form().txtCommandTimeout.setText("abc");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_EQ(t.messageBox.shown[0].prompt,
            "Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch");
  EXPECT_EQ(destination.cnnDest().State(), db::Connection::StateOpen);
}

TEST_F(DestinationTest, TestDuringARunLeavesTheRunsConnectionAlone) {
  useSqlite();
  destination.connect(readConnectPlan(form()));
  destination.runInProgress = true;
  form().txtDataSource.setText("missing.db");
  destination.btnConnectDest_Click();
  ASSERT_EQ(t.messageBox.shown.size(), 1u);
  EXPECT_NE(t.messageBox.shown[0].prompt.find("in progress"), std::string::npos);
  EXPECT_EQ(destination.cnnDest().State(), db::Connection::StateOpen);
  EXPECT_NE(destination.cnnDest().ConnectionString().find("dest.db"), std::string::npos);
}

}  // namespace
}  // namespace csv2sql
