#include <functional>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/tests/app_fixture.h"

namespace csv2sql::testing {
namespace {

TEST(ArgumentText, JoinsTheWordsAfterTheProgramNameWithSingleBlanks) {
  char name[] = "csv2sql", one[] = "NTSERVICE", two[] = "1", spaced[] = "a  b";
  char* none[] = {name, nullptr};
  char* words[] = {name, one, two, nullptr};
  char* word[] = {name, spaced, nullptr};
  EXPECT_EQ(argumentText(1, none), "");
  EXPECT_EQ(argumentText(3, words), "NTSERVICE 1");
  EXPECT_EQ(argumentText(2, word), "a  b");
}

struct StartCase {
  const char* name;
  const char* text;
  bool service;
  bool windowless;
};

class StartKind : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartKind, IsDecidedOnTheWholeText) {
  EXPECT_EQ(isServiceStart(GetParam().text), GetParam().service);
  EXPECT_EQ(startsWithoutWindow(GetParam().text), GetParam().windowless);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StartKind,
    ::testing::Values(StartCase{"service", "NTSERVICE", true, true},
                      StartCase{"service_lower_case", "ntservice", true, true},
                      StartCase{"service_mixed_case", "NtService", true, true},
                      StartCase{"service_then_one", "NTSERVICE 1", false, false},
                      StartCase{"leading_blank", " NTSERVICE", false, false},
                      StartCase{"trailing_blank", "NTSERVICE ", false, false},
                      StartCase{"shorter", "NTSERVIC", false, false},
                      StartCase{"longer", "NTSERVICES", false, false},
                      StartCase{"one", "1", false, true},
                      StartCase{"one_with_blank", "1 ", false, false},
                      StartCase{"two", "2", false, false}, StartCase{"none", "", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A host that records what the entry routine asks of it; its loop is the test's code.
class RecordingHost final : public Host {
 public:
  void installPorts(Session&) override { calls.push_back("installPorts"); }
  void attach(Program& attached) override {
    calls.push_back("attach");
    program = &attached;
  }
  int run(bool showWindow) override {
    calls.push_back(showWindow ? "run shown" : "run hidden");
    if (loop) loop(*program);
    return 7;
  }

  std::vector<std::string> calls;
  std::function<void(Program&)> loop;
  Program* program = nullptr;
};

class RunProgramTest : public ::testing::Test {
 protected:
  RunProgramTest() {
    std::filesystem::create_directories(source);
    createDestination(database);
    writeFile(test.folder.path() / "config.ini",
              "CSVFOLDER=" + source.string() + "\r\nCNN_PROVIDER=SQLite\r\n" +
                  "CNN_DATASOURCE=dest.db\r\nAUTORUNEVERY=-1\r\n");
    test.clock.set(at(10, 0, 0));
  }

  TestSession test;
  Session& session = test.session;
  const std::filesystem::path source = test.folder.path() / "in";
  const std::filesystem::path database = test.folder.path() / "dest.db";
  RecordingHost host;
};

TEST_F(RunProgramTest, ServiceStartInLowerCaseRunsHiddenWithAutomaticRunsAlwaysOn) {
  bool looped = false;
  host.loop = [&](Program& program) {
    looped = true;
    const FrmMain& form = program.session().frmMain;
    EXPECT_TRUE(session.ServiceMode);
    EXPECT_FALSE(session.UnattendedMode);
    EXPECT_EQ(form.chkAutoRun.value(), 0);
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_FALSE(form.btnStartAutoRun.enabled());
    dropReadings(source, "a.csv", 2);
    test.clock.set(at(10, 6, 0));
    form.Timer1.tick();
    EXPECT_EQ(countRows(database), 2);
    // A service start mirrors nothing into lstLog; the log file has every line.
    EXPECT_TRUE(form.lstLog.items().empty());
    const auto lines = onlyLogLines(test.folder.path() / "log");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(lines[2].ends_with(" : Trans Data Start")) << lines[2];
  };
  EXPECT_EQ(runProgram(session, "ntservice", host), 7);
  EXPECT_TRUE(looped);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"installPorts", "attach", "run hidden"}));
}

TEST_F(RunProgramTest, ServiceWordFollowedByMoreStartsInteractively) {
  host.loop = [&](Program& program) {
    EXPECT_FALSE(session.ServiceMode);
    EXPECT_FALSE(session.UnattendedMode);
    EXPECT_FALSE(program.session().frmMain.Timer1.enabled());
  };
  EXPECT_EQ(runProgram(session, "NTSERVICE 1", host), 7);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"installPorts", "attach", "run shown"}));
}

TEST_F(RunProgramTest, PlainStartShowsTheWindowAndStartsNothing) {
  writeFile(test.folder.path() / "config.ini", "AUTORUNEVERY=5\r\n");
  host.loop = [&](Program& program) {
    EXPECT_EQ(program.session().frmMain.chkAutoRun.value(), 1);
    EXPECT_FALSE(program.session().frmMain.Timer1.enabled());
  };
  EXPECT_EQ(runProgram(session, "", host), 7);
  EXPECT_EQ(host.calls.back(), "run shown");
}

TEST_F(RunProgramTest, OneEndsRightAfterItsRunWithoutTheLoop) {
  dropReadings(source, "a.csv", 3);
  EXPECT_EQ(runProgram(session, "1", host), 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"installPorts", "attach"}));
  EXPECT_EQ(countRows(database), 3);
}

TEST_F(RunProgramTest, OneWhoseRunFailsEndsWithStatusOne) {
  writeFile(test.folder.path() / "config.ini",
            "CSVFOLDER=" + source.string() + "\r\nCNN_PROVIDER=NoSuchProvider\r\n");
  EXPECT_EQ(runProgram(session, "1", host), 1);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"installPorts", "attach"}));
}

}  // namespace
}  // namespace csv2sql::testing
