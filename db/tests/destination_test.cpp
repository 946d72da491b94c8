#include "db/destination.h"

#include <gtest/gtest.h>

#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

TEST(Destination, ConnectionStringJoinsTheFiveFieldsAndQuotesASemicolonOrLeadingQuote) {
  FrmMain form;
  form.cboOleProvider.setText("SQLNCLI11");
  form.txtDataSource.setText("");
  form.txtUserId.setText("\"loader");
  form.txtPassword.setText("a;b\"c");
  EXPECT_EQ(BuildConnectionString(form),
            "Provider=SQLNCLI11;Data Source=;initial catalog=;User ID=\"\"\"loader\";"
            "Password=\"a;b\"\"c\";OLE DB Services =-2;");
}

// "Test" with dest.db beside the program after a run's connect (1; 2: the run is on) and an edit.
struct TestCase {
  const char* name;
  int run;
  std::function<void(FrmMain&)> edit;
  std::string prompt;  // its beginning
  int commandTimeout;  // after the press; 0: closed
};
class DestinationTest : public ::testing::TestWithParam<TestCase> {};

TEST_P(DestinationTest, SaysConnectedOrTheError) {
  testing::TestSession t;
  RunLog log(t.session);
  Messages messages(t.session, log);
  Destination destination(t.session, messages);
  FrmMain& form = t.session.frmMain;
  testing::createDestination(t.folder.path() / "dest.db");
  form.cboOleProvider.setText("SQLite");
  form.txtDataSource.setText("dest.db");
  if (GetParam().run > 0) destination.connect(readConnectPlan(form));
  destination.runInProgress = GetParam().run == 2;
  GetParam().edit(form);
  destination.btnConnectDest_Click();
  const std::string prompt = t.messageBox.shown.size() == 1 ? t.messageBox.shown[0].prompt : "";
  EXPECT_TRUE(prompt.starts_with(GetParam().prompt)) << prompt;
  const db::Connection& connection = destination.cnnDest();
  EXPECT_EQ(connection.State() == db::Connection::StateOpen ? connection.CommandTimeout() : 0,
            GetParam().commandTimeout);
}

const std::string kError = "Error in Procedure btnConnectDest_Click\r\nError ";
const std::string kMismatch = kError + "13 - Type mismatch";
const TestCase kPresses[] = {
    {"connects", 0, [](FrmMain&) {}, "Connected", 30},
    {"missing_file", 0, [](FrmMain& f) { f.txtDataSource.setText("x.db"); }, kError, 0},
    {"bad_connect_timeout", 1, [](FrmMain& f) { f.txtConnectionTimeout.setText("a"); }, kMismatch,
     0},
    {"bad_command_timeout", 0, [](FrmMain& f) { f.txtCommandTimeout.setText("a"); }, kMismatch, 30},
    {"during_a_run", 2, [](FrmMain& f) { f.txtDataSource.setText("x.db"); }, "An import run is",
     30}};
INSTANTIATE_TEST_SUITE_P(Presses, DestinationTest, ::testing::ValuesIn(kPresses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql
