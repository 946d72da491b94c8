#include "import/file_settling.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What happens to the file once it is listed.
enum class Then { Nothing, Changed, Removed, WrittenDuringTheWait };

// When a file counts as written whole, on real files: the system's word on its writers is given
// here, so that a file whose writers it cannot tell (a network share) is tried too.
struct SettlingCase {
  const char* name;
  bool onLineEnd;
  bool noWriter;
  fs::file_time_type::duration age;  // of its time of change when listed; negative: future
  bool listed;
  Then then;
  bool whole;
  std::vector<std::string> log;
};

class WrittenWhole : public ::testing::TestWithParam<SettlingCase> {
 protected:
  WrittenWhole() {
    log.showLinesIn([this](const std::string& line) { lines.push_back(line.substr(14)); });
  }
  testing::TestSession test;
  RunLog log{test.session};
  std::vector<std::string> lines;  // without their times
};

TEST_P(WrittenWhole, WhenUnchangedLongEnoughOrEndingOnALineEndWithoutWriters) {
  const SettlingCase& c = GetParam();
  const fs::path file = test.folder.path() / "a.csv";
  testing::writeFile(file, c.onLineEnd ? "DateTime,Tag,Value\r\n" : "DateTime,Tag,Va");
  // Left as written when no age is asked: setting a time keeps whole seconds on Windows.
  if (c.age != 0s) fs::last_write_time(file, fs::file_time_type::clock::now() - c.age);
  FileEnding ending{stampOf(file), c.onLineEnd, c.noWriter};
  if (!c.listed) ending.listed.reset();
  if (c.then == Then::Changed) std::ofstream(file, std::ios::app) << "x";
  if (c.then == Then::Removed) fs::remove(file);
  std::thread writer([&] {
    if (c.then != Then::WrittenDuringTheWait) return;
    std::this_thread::sleep_for(200ms);
    std::ofstream(file, std::ios::app) << "lue\r\n";
  });
  EXPECT_EQ(writtenWhole(file, "a.csv", ending, 1s, log), c.whole);
  writer.join();
  EXPECT_EQ(lines, c.log);
}

const std::vector<std::string> kFuture = {
    "a.csv has a time of change in the future; taken as changed just now"};
constexpr auto kYears74 = -24h * 365 * 74;

INSTANTIATE_TEST_SUITE_P(
    Files, WrittenWhole,
    ::testing::Values(
        SettlingCase{"line_end_without_writers", true, true, 0s, true, Then::Nothing, true, {}},
        SettlingCase{"changed_since_listed", true, true, 1h, true, Then::Changed, false, {}},
        SettlingCase{"gone", true, false, 0s, true, Then::Removed, true, {}},
        SettlingCase{
            "line_end_writers_unknown_quiet", true, false, 1h, true, Then::Nothing, true, {}},
        SettlingCase{"line_end_writers_unknown_written_to_meanwhile",
                     true,
                     false,
                     0s,
                     true,
                     Then::WrittenDuringTheWait,
                     false,
                     {}},
        SettlingCase{"last_line_open_quiet", false, true, 1h, true, Then::Nothing, true, {}},
        SettlingCase{"last_line_open_written_to_meanwhile",
                     false,
                     true,
                     0s,
                     true,
                     Then::WrittenDuringTheWait,
                     false,
                     {}},
        SettlingCase{"last_line_open_not_listed", false, true, 1h, false, Then::Nothing, false, {}},
        SettlingCase{"last_line_open_stamped_in_the_future", false, true, kYears74, true,
                     Then::Nothing, true, kFuture},
        SettlingCase{"future_written_to_meanwhile", false, false, -1h, true,
                     Then::WrittenDuringTheWait, false, kFuture}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql
