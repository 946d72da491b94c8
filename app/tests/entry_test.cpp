#include "app/entry.h"
#include "app/tests/app_fixture.h"

namespace csv2sql::testing {
namespace {

TEST(ArgumentText, JoinsTheWordsAfterTheProgramNameWithSingleBlanks) {
  char name[] = "csv2sql", one[] = "NTSERVICE", two[] = "a  b";
  char* words[] = {name, one, two, nullptr};
  EXPECT_EQ(argumentText(1, words), "");
  EXPECT_EQ(argumentText(3, words), "NTSERVICE a  b");
}

// A host that records what the entry routine asks of it; its loop returns at once.
class RecordingHost final : public Host {
 public:
  void installPorts(Session&) override { calls += "installPorts"; }
  void attach(Program&) override { calls += " attach"; }
  int run(bool showWindow) override {
    calls += showWindow ? " run shown" : " run hidden";
    return 7;
  }

  std::string calls;
};

struct StartCase {
  const char* name;
  const char* arguments;
  const char* extraConfig;
  const char* calls;
  int status;
  bool unattended;
  bool timerOn;
  long long rows;
};

class RunProgram : public AppTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(RunProgram, SetsTheModesAndStartsWhatTheArgumentsAsk) {
  const StartCase& c = GetParam();
  writeConfig(c.extraConfig);
  drop("a.csv");
  session.UnattendedMode = !c.unattended;  // Form_Load decides it afresh
  RecordingHost host;
  EXPECT_EQ(runProgram(session, c.arguments, host), c.status);
  EXPECT_EQ(host.calls, c.calls);
  EXPECT_EQ(session.ServiceMode, host.calls.ends_with("hidden"));
  EXPECT_EQ(session.UnattendedMode, c.unattended);
  EXPECT_EQ(session.frmMain.Timer1.enabled(), c.timerOn);
  EXPECT_EQ(rows(), c.rows);
  EXPECT_TRUE(test.messageBox.shown.empty());
}

constexpr const char* kShown = "installPorts attach run shown";
constexpr const char* kNoLoop = "installPorts attach";
constexpr const char* kOn = "AUTORUNEVERY=10\r\n";  // chkAutoRun checked
constexpr const char* kOff = "AUTORUNEVERY=-1\r\n";

// A service start runs automatic runs whatever chkAutoRun holds; "2" only when it is checked.
INSTANTIATE_TEST_SUITE_P(
    Arguments, RunProgram,
    ::testing::Values(StartCase{"none", "", kOn, kShown, 7, false, false, 0},
                      StartCase{"service", "ntservice", kOff, "installPorts attach run hidden", 7,
                                false, true, 0},
                      StartCase{"two_unchecked", "2", kOff, kShown, 7, true, false, 0},
                      StartCase{"two_checked", "2", kOn, kShown, 7, true, true, 0},
                      StartCase{"two_with_blank", "2 ", kOn, kShown, 7, false, false, 0},
                      StartCase{"one", "1", kOn, kNoLoop, 0, true, false, 2},
                      StartCase{"one_failed", "1", "CNN_DATASOURCE=missing/dest.db\r\n", kNoLoop, 1,
                                true, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppTest, FormLoadListsTheProvidersThenLoadsTheSettings) {
  writeConfig("CNN_PROVIDER=PostgreSQL\r\n");
  Program program(session);
  program.Form_Load("");
  EXPECT_EQ(session.frmMain.cboOleProvider.items().size(), 6u);
  EXPECT_EQ(session.frmMain.cboOleProvider.text(), "PostgreSQL");
}

}  // namespace
}  // namespace csv2sql::testing
