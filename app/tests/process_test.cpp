// Process tests of the real program: a copy in a fresh folder with a config.ini beside it,
// started with fork and exec (test code only), every wait bounded.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/app_fixture.h"
#include "core/platform.h"

extern char** environ;

namespace csv2sql::testing {
namespace {

constexpr auto kLongestWait = std::chrono::seconds(20);

// The program as CMake built it, beside this test binary.
std::filesystem::path builtProgram() {
  return platform::executablePath().parent_path() / CSV2SQL_PROGRAM_FILE;
}

// Polls until the condition holds or the longest wait has passed.
bool eventually(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + kLongestWait;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// A copy of the program in its own folder, with a SQLite destination, a source folder and an
// archive folder beside it.
class Installation : public ::testing::Test {
 protected:
  Installation() {
    std::filesystem::copy_file(builtProgram(), program);
    std::filesystem::create_directories(source);
    std::filesystem::create_directories(archive);
    createDestination(database);
  }
  ~Installation() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  void writeConfig(const std::string& lines) {
    writeFile(folder.path() / "config.ini", "CSVFOLDER=" + source.string() + "\r\n" + lines);
  }

  // Starts the program with one argument (none when empty) and extra environment entries; the
  // display variables are removed, so any attempt at a window shows.
  void start(const std::string& argument, const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      const std::string name = text.substr(0, text.find('='));
      if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
          name != "CSV2SQL_TIMER_INTERVAL_MS") {
        environment.push_back(text);
      }
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (auto& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::string programText = program.string();
    std::string argumentCopy = argument;
    std::vector<char*> argv = {programText.data()};
    if (!argument.empty()) argv.push_back(argumentCopy.data());
    argv.push_back(nullptr);
    const std::string outputText = output.string();

    pid_ = ::fork();
    ASSERT_GE(pid_, 0) << std::strerror(errno);
    if (pid_ == 0) {
      const int out = ::open(outputText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
  }

  // The exit status once the program has ended by itself, or nothing after the longest wait.
  std::optional<int> waitForEnd() {
    int status = 0;
    const bool ended = eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) return std::nullopt;
    pid_ = 0;
    if (!WIFEXITED(status)) return 1000 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return WEXITSTATUS(status);
  }

  std::string programOutput() const { return readFile(output); }
  std::vector<std::string> logLines() const { return onlyLogLines(folder.path() / "log"); }
  // Whether any line of any run log holds the fragment.
  bool logHas(const std::string& fragment) const {
    const auto logFolder = folder.path() / "log";
    if (!std::filesystem::is_directory(logFolder)) return false;
    for (const auto& entry : std::filesystem::directory_iterator(logFolder)) {
      for (const auto& line : readLines(entry.path())) {
        if (line.find(fragment) != std::string::npos) return true;
      }
    }
    return false;
  }
  void sendSignal(int number) const { ::kill(pid_, number); }

  TempDir folder;
  const std::filesystem::path program = folder.path() / "csv2sql";
  const std::filesystem::path source = folder.path() / "in";
  const std::filesystem::path archive = folder.path() / "archive";
  const std::filesystem::path database = folder.path() / "dest.db";
  const std::filesystem::path output = folder.path() / "output.txt";

 private:
  pid_t pid_ = 0;
};

TEST_F(Installation, OneImportsTheFolderAndEndsWithStatusZeroAndTheClosingLines) {
  writeConfig("CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=dest.db\r\n");
  dropReadings(source, "a.csv", 2);
  dropReadings(source, "b.csv", 5);
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << programOutput();
  EXPECT_EQ(countRows(database), 7);
  const auto lines = logLines();
  ASSERT_GE(lines.size(), 4u) << programOutput();
  EXPECT_TRUE(lines[lines.size() - 2].ends_with(" : ")) << lines[lines.size() - 2];
  EXPECT_TRUE(lines.back().ends_with(" : Logging off.")) << lines.back();
}

TEST_F(Installation, OnePrintsTheFiguresOfTheShippedSample) {
  writeConfig("CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=dest.db\r\n");
  std::filesystem::copy_file(CSV2SQL_SAMPLE_FILE, source / "plant1.csv");
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << programOutput();
  EXPECT_TRUE(logHas(" : 5 readings stored, 2 rows skipped"));
  EXPECT_NE(programOutput().find("Run done: 1 files, 5 readings stored, 2 rows skipped, "),
            std::string::npos)
      << programOutput();
}

struct CommandCase {
  const char* argument;
  const char* printed;
};

class Command : public Installation, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Command, PrintsAndEndsWithStatusZeroWithoutADisplay) {
  start(GetParam().argument);
  EXPECT_EQ(waitForEnd(), 0);
  EXPECT_TRUE(programOutput().starts_with(GetParam().printed)) << programOutput();
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "log"));
}

INSTANTIATE_TEST_SUITE_P(Arguments, Command,
                         ::testing::Values(CommandCase{"--help", "Usage: csv2sql "},
                                           CommandCase{"--version", "csv2sql 1."}),
                         [](const auto& info) { return std::string(info.param.argument + 2); });

struct Unreachable {
  const char* name;
  const char* connection;  // config.ini lines
};

class UnreachableDestination : public Installation,
                               public ::testing::WithParamInterface<Unreachable> {};

TEST_P(UnreachableDestination, OneEndsWithStatusOneAndTheErrorLineInTheLog) {
  writeConfig(GetParam().connection);
  dropReadings(source, "a.csv", 2);
  start("1");
  EXPECT_EQ(waitForEnd(), 1) << programOutput();
  EXPECT_TRUE(logHas(" : Error ")) << programOutput();
  EXPECT_NE(programOutput().find("csv2sql: the run failed: Error "), std::string::npos)
      << "the journal shows why";
  EXPECT_TRUE(std::filesystem::exists(source / "a.csv"));
  EXPECT_FALSE(logHas("Pa55word"));
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, UnreachableDestination,
    ::testing::Values(Unreachable{"sqlite_missing_folder",
                                  "CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=missing/dest.db\r\n"},
                      Unreachable{"postgresql_refused",
                                  "CNN_PROVIDER=PostgreSQL\r\nCNN_DATASOURCE=127.0.0.1:1\r\n"
                                  "CNN_INITIALCATALOG=plant\r\nCNN_USERID=reader\r\n"
                                  "CNN_PASSWORD=Pa55word\r\nCNN_CONNECTION_TIMEOUT=5\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class NoDisplay : public Installation, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoDisplay, WindowStartExplainsTheStartsWithoutAWindowAndEndsWithStatusTwo) {
  writeConfig("CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=dest.db\r\n");
  start(GetParam());
  EXPECT_EQ(waitForEnd(), 2);
  const std::string text = programOutput();
  EXPECT_NE(text.find("argument 1"), std::string::npos) << text;
  EXPECT_NE(text.find("NTSERVICE"), std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "log"));
}

INSTANTIATE_TEST_SUITE_P(Arguments, NoDisplay, ::testing::Values("", "2", "NTSERVICE 1"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) c = c == ' ' ? '_' : c;
                           return name.empty() ? std::string("none") : "argument_" + name;
                         });

class ServiceStart : public Installation, public ::testing::WithParamInterface<int> {};

TEST_P(ServiceStart, ImportsADroppedFileAndEndsWithStatusZeroOnTheSignal) {
  writeConfig(
      "CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=dest.db\r\nARCHIVEFILES=YES\r\n"
      "ARCHIVEFOLDER=" +
      archive.string() + "\r\nAUTORUNEVERY=1\r\n");
  // One scheduled minute lasts 200 ms under the test seam.
  start("ntservice", {"CSV2SQL_TIMER_INTERVAL_MS=200"});
  dropReadings(source, "a.csv", 3);
  EXPECT_TRUE(eventually([&] {
    return !std::filesystem::exists(source / "a.csv") && countRows(database) == 3;
  })) << programOutput();
  sendSignal(GetParam());
  EXPECT_EQ(waitForEnd(), 0) << programOutput();
  EXPECT_EQ(countRows(database), 3);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(archive),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_TRUE(logHas(" : Trans Data Start"));
  EXPECT_FALSE(logHas(" : Error "));
}

INSTANTIATE_TEST_SUITE_P(Signals, ServiceStart, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) {
                           return std::string(info.param == SIGTERM ? "sigterm" : "sigint");
                         });

}  // namespace
}  // namespace csv2sql::testing
