#include <string>
#include <vector>

#include "app/tests/app_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

class FormLoadTest : public ProgramTest {
 protected:
  // config.ini beside the program, with the destination, source and archive of the fixture.
  void writeConfig(const std::string& extraLines) {
    writeFile(test.folder.path() / "config.ini",
              "CSVFOLDER=" + source.string() + "\r\nCNN_PROVIDER=SQLite\r\n" +
                  "CNN_DATASOURCE=dest.db\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=" +
                  archive.string() + "\r\n" + extraLines);
  }
};

TEST(FormLoad, ListsTheProvidersAndKeepsTheBoxText) {
  TestSession test;
  Program program(test.session);
  program.Form_Load("");
  const std::vector<std::string> expected = {"MSOLEDBSQL", "SQLNCLI11",  "SQLNCLI",
                                             "SQLite",     "PostgreSQL", "MSDASQL"};
  EXPECT_EQ(test.session.frmMain.cboOleProvider.items(), expected);
  EXPECT_EQ(test.session.frmMain.cboOleProvider.text(), "MSOLEDBSQL.1");
}

TEST_F(FormLoadTest, LoadsTheSettingsAfterTheProviderList) {
  writeConfig("CNN_PROVIDER=PostgreSQL\r\nCOLVALUE=7\r\n");
  program.Form_Load("");
  EXPECT_EQ(form().cboOleProvider.text(), "PostgreSQL");
  EXPECT_EQ(form().cboOleProvider.items().size(), 6u);
  EXPECT_EQ(form().txtColValue.text(), "7");
  EXPECT_TRUE(test.messageBox.shown.empty());
}

TEST_F(FormLoadTest, MissingConfigIsReportedAndTheStartGoesOn) {
  program.Form_Load("");
  ASSERT_EQ(test.messageBox.shown.size(), 1u);
  EXPECT_EQ(test.messageBox.shown[0].prompt, "Error in Proc GetIniInfo:53 - File not found");
  EXPECT_FALSE(program.exitRequested());
}

struct DispatchCase {
  const char* name;
  const char* arguments;
  const char* autoRunEntry;  // AUTORUNEVERY value in config.ini
  bool unattended;
  bool timerOn;
};

class Dispatch : public FormLoadTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(Dispatch, SetsTheFlagsAndStartsAutomaticRunsOnlyForTwoWithAutoRun) {
  const DispatchCase& c = GetParam();
  writeConfig(std::string("AUTORUNEVERY=") + c.autoRunEntry + "\r\n");
  drop("a.csv");
  session.UnattendedMode = !c.unattended;  // Form_Load decides it afresh
  test.clock.set(at(10, 0, 0));
  program.Form_Load(c.arguments);
  EXPECT_EQ(session.UnattendedMode, c.unattended);
  EXPECT_EQ(form().Timer1.enabled(), c.timerOn);
  EXPECT_EQ(form().btnStartAutoRun.enabled(), !c.timerOn);
  EXPECT_EQ(form().lblNextRun.caption(),
            c.timerOn ? formatGeneralDate(at(10, 10, 0)) : std::string("Next Run:"));
  EXPECT_FALSE(program.exitRequested());
  EXPECT_EQ(rows(), 0);  // no run starts at once
  EXPECT_FALSE(session.ServiceMode);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Dispatch,
    ::testing::Values(DispatchCase{"none_autorun_checked", "", "10", false, false},
                      DispatchCase{"two_autorun_unchecked", "2", "-1", true, false},
                      DispatchCase{"two_autorun_checked", "2", "10", true, true},
                      DispatchCase{"two_with_blank", "2 ", "10", false, false},
                      DispatchCase{"service_word", "NTSERVICE", "10", false, false},
                      DispatchCase{"other_text", "3", "10", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormLoadTest, OneRunsOnceSilentlyAndAsksToEndWithStatusZero) {
  writeConfig("");
  drop("a.csv", 4);
  program.Form_Load("1");
  EXPECT_TRUE(session.UnattendedMode);
  EXPECT_TRUE(program.exitRequested());
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_EQ(rows(), 4);
  EXPECT_FALSE(form().Timer1.enabled());
  const auto lines = onlyLogLines(test.folder.path() / "log");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(lines.back().ends_with(" : Logging off.")) << lines.back();
}

TEST_F(FormLoadTest, OneWithAFailedRunAsksToEndWithStatusOne) {
  writeConfig("CNN_DATASOURCE=missing/dest.db\r\n");
  drop("a.csv");
  program.Form_Load("1");
  EXPECT_TRUE(program.exitRequested());
  EXPECT_EQ(program.exitCode(), 1);
  EXPECT_TRUE(inSource("a.csv"));
  const auto texts = logTexts(session);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().rfind("Error ", 0), 0u) << texts.back();
  EXPECT_TRUE(test.messageBox.shown.empty());
}

}  // namespace
}  // namespace csv2sql::testing
