// Process tests of the real program: a copy in a fresh folder with a config.ini beside it,
// started with fork and exec (test code only), every wait bounded.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "app/tests/app_fixture.h"
#include "core/platform.h"

namespace csv2sql::testing {
namespace {

// Polls until the condition holds or 20 seconds have passed.
bool eventually(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class Installation : public AppTest {
 protected:
  Installation() {
    std::filesystem::copy_file(platform::executablePath().parent_path() / CSV2SQL_PROGRAM_FILE,
                               program);
  }
  ~Installation() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Starts the program through env(1), which execs it in the same process, without the display
  // variables (so any attempt at a window shows) and with `setting` ("NAME=value") if any.
  void start(const std::string& argument, const std::string& setting = "") {
    std::vector<const char*> argv = {"env", "--unset=DISPLAY", "--unset=WAYLAND_DISPLAY",
                                     "--unset=QT_QPA_PLATFORM",
                                     "--unset=CSV2SQL_TIMER_INTERVAL_MS"};
    if (!setting.empty()) argv.push_back(setting.c_str());
    argv.insert(argv.end(), {program.c_str(), argument.c_str(), nullptr});
    const int out = ::open((folder / "output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_ = ::fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::execvp(argv[0], const_cast<char* const*>(argv.data()));
      ::_exit(127);
    }
    ::close(out);
  }
  // The exit status once the program has ended by itself, or nothing after the longest wait.
  std::optional<int> waitForEnd() {
    int status = 0;
    if (!eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return {};
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  std::string output() const { return readFile(folder / "output.txt"); }

  const std::filesystem::path program = folder / "csv2sql";
  pid_t pid_ = 0;
};

TEST_F(Installation, OneImportsTheFolderAndEndsWithStatusZeroAndTheLogClosed) {
  writeConfig();
  drop("a.csv", 2);
  drop("b.csv", 5);
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_EQ(rows(), 7);
  EXPECT_TRUE(logText().ends_with(" : Logging off.\r\n")) << logText();
}

TEST_F(Installation, WindowStartWithoutADisplayExplainsTheOtherStartsAndEndsWithStatusTwo) {
  writeConfig();
  start("2");
  EXPECT_EQ(waitForEnd(), 2);
  EXPECT_NE(output().find("argument 1"), std::string::npos) << output();
  EXPECT_NE(output().find("NTSERVICE"), std::string::npos) << output();
  EXPECT_FALSE(std::filesystem::exists(folder / "log"));
}

class ServiceStart : public Installation, public ::testing::WithParamInterface<int> {};

TEST_P(ServiceStart, ImportsADroppedFileAndEndsWithStatusZeroOnTheSignal) {
  writeConfig("AUTORUNEVERY=1\r\n");
  // One scheduled minute lasts 200 ms under the test seam.
  start("ntservice", "CSV2SQL_TIMER_INTERVAL_MS=200");
  drop("a.csv", 3);
  EXPECT_TRUE(eventually([&] { return !inSource("a.csv") && rows() == 3; })) << output();
  ::kill(pid_, GetParam());
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_FALSE(std::filesystem::is_empty(archive));
  EXPECT_NE(logText().find(" : Trans Data Start"), std::string::npos);
  EXPECT_EQ(logText().find(" : Error "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, ServiceStart, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) {
                           return std::string(info.param == SIGTERM ? "sigterm" : "sigint");
                         });

}  // namespace
}  // namespace csv2sql::testing
