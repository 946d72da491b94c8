// Process tests of the real program: a copy in a fresh folder with a config.ini beside it,
// started with fork and exec (test code only), every wait bounded.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
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

// One bad input given to "csv2sql 1": in "{dir}" the installation folder stands, in "{in}" the
// source folder. Its destination refuses tags longer than 8 characters.
struct BadInput {
  const char* name;
  std::string config;                                      // config.ini lines after CSVFOLDER
  std::vector<std::pair<std::string, std::string>> files;  // written into the source folder
  std::function<void(const std::filesystem::path& in)> setup;
  int status;
  std::vector<std::string> lines;  // in the run log in this order, without time stamps
  std::vector<std::string> rows;   // CSVDATA as "DateTime|Tag|Value"
  std::string note = {};           // the .err file in {dir}/errors; none when empty
};

const std::string kHeader = "DateTime,Tag,Value\r\n";
const std::string kReading = "2024-01-01 00:00:00,T,1\r\n";
const std::string kRow = "2024-01-01 00:00:00|T|1.0";
const std::string kLongTag = "2024-01-01 00:01:00,LONGER_THAN_8,2";
std::string repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

// a.csv: the header line, then the lines given; no other setting.
BadInput lines(const char* name, const std::string& text, std::string line,
               std::vector<std::string> rows) {
  return {name, "", {{"a.csv", kHeader + text}}, {}, 0, {std::move(line)}, std::move(rows)};
}
// A setting that ends the run before a.csv, a good file, is read.
BadInput fault(const char* name, std::string config, std::string line) {
  return {name, std::move(config), {{"a.csv", kHeader + kReading}}, {}, 1, {std::move(line)}, {}};
}
// An entry a.csv made by setup that is passed over; b.csv, a good file, is imported.
BadInput passedOver(const char* name, std::function<void(const std::filesystem::path&)> setup,
                    const std::string& why) {
  return {name,
          "",
          {{"b.csv", kHeader + kReading}},
          std::move(setup),
          0,
          {"Passed over {in}/a.csv: it cannot be read as a file (" + why + ")"},
          {kRow}};
}

std::string placed(std::string text, const std::filesystem::path& dir) {
  for (const auto& [mark, path] : {std::pair{"{dir}", dir}, std::pair{"{in}", dir / "in"}}) {
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
      text.replace(at, std::string_view(mark).size(), path.string());
    }
  }
  return text;
}

class BadInputRun : public Installation, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadInputRun, GivesItsSkipOrErrorLineAndExactlyItsRows) {
  const BadInput& c = GetParam();
  execSql(database,
          "CREATE TRIGGER short_tags BEFORE INSERT ON CSVDATA WHEN length(NEW.Tag) > 8 "
          "BEGIN SELECT RAISE(ABORT, 'tag longer than 8'); END");
  std::filesystem::create_directories(folder.path() / "errors");
  writeConfig("CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=dest.db\r\n" +
              placed(c.config, folder.path()));
  for (const auto& [name, bytes] : c.files) writeFile(source / name, bytes);
  if (c.setup) c.setup(source);
  start("1");
  EXPECT_EQ(waitForEnd(), c.status) << programOutput();
  std::vector<std::string> texts;
  for (const auto& line : logLines()) texts.push_back(line.substr(line.find(" : ") + 3));
  auto from = texts.begin();
  for (const std::string& line : c.lines) {
    from = std::find(from, texts.end(), placed(line, folder.path()));
    EXPECT_NE(from, texts.end()) << "no line " << placed(line, folder.path()).substr(0, 400);
  }
  EXPECT_EQ(readingLines(database), c.rows);
  std::vector<std::string> notes;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "errors")) {
    if (entry.path().extension() == ".err") notes.push_back(readFile(entry.path()));
  }
  EXPECT_EQ(notes, c.note.empty() ? std::vector<std::string>{} : std::vector{c.note});
}

const std::string kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInputRun,
    ::testing::Values(
        BadInput{
            "cr_only_line_ends",
            "",
            {{"a.csv", "DateTime,Tag,Value\r2024-01-01 00:00:00,T,1\r2024-01-01 00:01:00,U,2\r"}},
            {},
            0,
            {"3 rows loaded from file"},
            {kRow, "2024-01-01 00:01:00|U|2.0"}},
        BadInput{"byte_order_mark",
                 "HEADERROWS=0\r\n",
                 {{"a.csv", "\xEF\xBB\xBF" + kReading}},
                 {},
                 0,
                 {"1 rows loaded from file"},
                 {kRow}},
        fault("missing_source_folder", "CSVFOLDER={dir}/gone\r\n",
              "Error 76 - Path not found: source folder {dir}/gone/"),
        fault("column_not_a_number", "COLDATETIME=two\r\n", "Error 13 - Type mismatch"),
        fault("column_zero", "COLTAG=0\r\n",
              "Error 5 - Invalid procedure call or argument: COLTAG (Tag Column #) is 0, it must "
              "be 1 or more"),
        fault("column_below_zero", "COLVALUE=-3\r\n",
              "Error 5 - Invalid procedure call or argument: COLVALUE (Value Column #) is -3, it "
              "must be 1 or more"),
        fault("header_count_below_zero", "HEADERROWS=-1\r\n",
              "Error 5 - Invalid procedure call or argument: HEADERROWS (Header Rows) is -1, it "
              "must be 0 or more"),
        BadInput{"refused_row_inside_a_batch_moved_to_the_error_folder",
                 "ERRORFOLDER={dir}/errors\r\n",
                 {{"a.csv", kHeader + repeated(kReading, 2500) + kLongTag + "\r\n" +
                                repeated(kReading, 500)},
                  {"b.csv", kHeader + kReading}},
                 {},
                 0,
                 {"Moved a.csv to {dir}/errors: tag longer than 8", "Loading file {in}/b.csv"},
                 {kRow},
                 "File: a.csv\r\nRow: 2502\r\nLine: " + kLongTag +
                     "\r\nDatabase: tag longer than 8\r\n"},
        fault("error_folder_missing", "ERRORFOLDER={dir}/gone\r\n",
              "Error 76 - Path not found: error folder {dir}/gone/"),
        BadInput{"refused_tag_without_error_folder",
                 "",
                 {{"a.csv", kHeader + kReading + kLongTag}, {"b.csv", kHeader + kReading}},
                 {},
                 1,
                 {"Error -2147467259 - tag longer than 8 (file a.csv, row 3: " + kLongTag + ")"},
                 {}},
        passedOver(
            "dangling_link",
            [](const auto& in) { std::filesystem::create_symlink(in / "gone", in / "a.csv"); },
            "it is a link to nothing"),
        passedOver(
            "link_loop",
            [](const auto& in) { std::filesystem::create_symlink(in / "a.csv", in / "a.csv"); },
            "Too many levels of symbolic links"),
        passedOver(
            "folder_named_a_csv",
            [](const auto& in) { std::filesystem::create_directory(in / "a.csv"); },
            "it is a folder"),
        lines("nul_bytes", "2024-01-01 00:00:00,T" + kNul + "A,1\r\n2024" + kNul + "-01-01,T,1",
              "Row 3 invalid date (2024" + kNul + "-01-01) record skipped",
              {"2024-01-01 00:00:00|T" + kNul + "A|1.0"}),
        lines("invalid_utf8_read_as_windows_1252", "2024-01-01 00:00:00,\xFF\xC3,1",
              "2 rows loaded from file", {"2024-01-01 00:00:00|\xC3\xBF\xC3\x83|1.0"}),
        BadInput{"line_of_64_mib",
                 "",
                 {},
                 [](const auto& in) {
                   writeFile(in / "a.csv",
                             kHeader + std::string(64 << 20, '1') + ",T,1\r\n" + kReading);
                 },
                 0,
                 {"Row 2 invalid date (" + std::string(300, '1') +
                  "...(cut, 67108864 bytes in all)) record skipped"},
                 {kRow}},
        lines("hundred_thousand_columns", "2024-01-01 00:00:00,T,1" + std::string(99'997 * 2, ','),
              "2 rows loaded from file", {kRow}),
        BadInput{"empty_file", "", {{"a.csv", "\r\n\r\n"}}, {}, 0, {"0 rows loaded from file"}, {}},
        BadInput{"zero_byte_file", "", {{"a.csv", ""}}, {}, 0, {"0 rows loaded from file"}, {}},
        lines("value_1e400", "2024-01-01 00:00:00,T,1e400",
              "Row 2 invalid value (1e400) record skipped", {}),
        lines("value_minus_zero_is_zero", "2024-01-01 00:00:00,T,-0", "2 rows loaded from file",
              {"2024-01-01 00:00:00|T|0.0"}),
        lines("value_nan", "2024-01-01 00:00:00,T,NaN", "Row 2 invalid value (NaN) record skipped",
              {}),
        lines("value_infinity", "2024-01-01 00:00:00,T,Infinity",
              "Row 2 invalid value (Infinity) record skipped", {}),
        lines("value_hex", "2024-01-01 00:00:00,T,0x1A",
              "Row 2 invalid value (0x1A) record skipped", {}),
        lines("dates_at_the_range_limits",
              "0001-01-01 00:00:00,T,1\r\n9999-12-31 23:59:59,T,2\r\n10000-01-01 00:00:00,T,3",
              "Row 4 invalid date (10000-01-01 00:00:00) record skipped",
              {"0001-01-01 00:00:00|T|1.0", "9999-12-31 23:59:59|T|2.0"}),
        lines("february_29_in_a_common_year", "2023-02-29 00:00:00,T,1\r\n2024-02-29 00:00:00,T,2",
              "Row 2 invalid date (2023-02-29 00:00:00) record skipped",
              {"2024-02-29 00:00:00|T|2.0"})),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
