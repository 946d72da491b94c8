// Files still being written, seen by the real program: a logger that holds its file open, a
// file stamped in the future, and how long a file must stay unchanged (SETTLESECONDS).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/app_fixture.h"
#include "app/tests/installation.h"
#include "core/platform.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

// A logger as plants run them: one C stream held open for its whole life, a reading every 0.3 s
// through a 4 KiB buffer that the C library writes out whenever it is full, in mid-line.
class Logger {
 public:
  // With lines of 2,041 bytes the header and two readings are 4,101 bytes: the first 4 KiB
  // written out end in "...,12" and keep "34.5\n" of the second reading in the buffer.
  static constexpr std::size_t kLongLineBytes = 2041;
  static constexpr const char* kHeader = "DateTime,Tag,Value\n";

  // lineBytes: each line padded to that length; 0: as short as it comes (32 bytes, so the
  // first 4 KiB go out after some 128 readings, 38 seconds). Not inherited by the program
  // started after it ("e"): the program must see one writer only.
  Logger(const fs::path& file, std::size_t lineBytes)
      : file_(platform::openFile(file, "wbe")), lineBytes_(lineBytes) {
    std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
    std::fputs(kHeader, file_);
  }
  ~Logger() { close(); }
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Writes `count` readings, one every 0.3 s; the tag is padded with blanks (which the import
  // trims) to make each line lineBytes long.
  void write(int count) {
    for (int i = 0; i < count; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      char stamp[32];
      std::snprintf(stamp, sizeof stamp, "2026-03-01 10:%02d:%02d", written_ / 60, written_ % 60);
      const std::string head = std::string(stamp) + ",T";
      const std::string tail = ",1234.5\n";
      const std::size_t padding =
          std::max(lineBytes_, head.size() + tail.size()) - head.size() - tail.size();
      std::fputs((head + std::string(padding, ' ') + tail).c_str(), file_);
      readings_.push_back(std::string(stamp) + "|T|1234.5");
      ++written_;
    }
  }
  void close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }
  // Each reading as the table holds it, "DateTime|Tag|Value".
  const std::vector<std::string>& readings() const { return readings_; }

 private:
  std::FILE* file_;
  std::size_t lineBytes_;
  char buffer_[4096];
  int written_ = 0;
  std::vector<std::string> readings_;
};

// The table against the readings written: each written one stored once, nothing else.
struct Tally {
  long lost = 0, duplicated = 0, wrong = 0;
  bool operator==(const Tally&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Tally& t) {
  return out << "lost " << t.lost << ", duplicated " << t.duplicated << ", wrong " << t.wrong;
}
Tally tally(const std::vector<std::string>& written, const std::vector<std::string>& stored) {
  std::map<std::string, long> times;
  for (const std::string& row : stored) ++times[row];
  Tally t;
  for (const std::string& reading : written) {
    const auto found = times.find(reading);
    if (found == times.end()) {
      ++t.lost;
      continue;
    }
    t.duplicated += found->second - 1;
    times.erase(found);
  }
  for (const auto& [row, count] : times) t.wrong += count;
  return t;
}

struct WriterCase {
  const char* name;
  bool ledger;
  // Readings written before the program starts, then a pause of the logger (seconds), then
  // readings again.
  int before;
  int pauseSeconds;
  int after;
  std::size_t lineBytes = Logger::kLongLineBytes;
};

class OpenWriter : public Installation, public ::testing::WithParamInterface<WriterCase> {};

// The service runs every 200 ms while the logger writes; once it has closed its file, the
// table holds every reading once.
TEST_P(OpenWriter, EveryReadingIsStoredOnceWhateverTheRunsSawWhileTheFileWasOpen) {
  const WriterCase& c = GetParam();
  writeConfig(std::string("AUTORUNEVERY=1\r\n") + (c.ledger ? "LEDGERTABLE=CSVLEDGER\r\n" : ""));
  Logger logger(source / "logger.csv", c.lineBytes);
  logger.write(c.before);
  start("ntservice", "CSV2SQL_TIMER_INTERVAL_MS=200");
  std::this_thread::sleep_for(std::chrono::seconds(c.pauseSeconds));
  logger.write(c.after);
  logger.close();
  EXPECT_TRUE(eventually([&] { return !inSource("logger.csv"); })) << output();
  askToStop();
  EXPECT_EQ(waitForEnd(), 0) << output();
  const std::vector<std::string> stored =
      queryRows(database, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid");
  const Tally found = tally(logger.readings(), stored);
  std::printf("| %-18s | ledger %-3s | written %zu | %s |\n", c.name, c.ledger ? "on" : "off",
              logger.readings().size(), ::testing::PrintToString(found).c_str());
  EXPECT_EQ(found, Tally{}) << ::testing::PrintToString(stored);
  EXPECT_NE(logText().find(" : Waiting for logger.csv: another program has it open for writing"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Loggers, OpenWriter,
                         ::testing::Values(
                             // Cut at "12" of "1234.5", then silent for longer than the quiet time.
                             WriterCase{"pause_in_mid_line", false, 2, 4, 2},
                             WriterCase{"pause_in_mid_line", true, 2, 4, 2},
                             // Empty, then ending in mid-line or on a line end, at each run.
                             WriterCase{"steady", false, 0, 0, 10},
                             WriterCase{"steady", true, 0, 0, 10},
                             // 200 short readings, a minute: the file stays empty for 38 s.
                             WriterCase{"steady_200_short", false, 0, 0, 200, 0},
                             WriterCase{"steady_200_short", true, 0, 0, 200, 0}),
                         [](const auto& info) {
                           return std::string(info.param.name) +
                                  (info.param.ledger ? "_ledger" : "_noledger");
                         });

// A file server with its clock far ahead: the run does not wait for its time of change.
TEST_F(Installation, FileStampedInTheFutureIsWaitedForAtMostTheQuietTime) {
  writeConfig();
  const fs::path file = source / "future.csv";
  writeFile(file, "DateTime,Tag,Value\r\n2026-03-01 10:00:00,T,1\r\n2026-03-01 10:00:01,T,2");
  fs::last_write_time(file, fs::file_time_type::clock::now() + std::chrono::years(74));
  start("1");
  ASSERT_EQ(waitForEnd(), 0) << output();
  EXPECT_EQ(queryRows(database, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid"),
            (std::vector<std::string>{"2026-03-01 10:00:00|T|1.0", "2026-03-01 10:00:01|T|2.0"}));
  EXPECT_NE(
      logText().find(" : future.csv has a time of change in the future; taken as changed just now"),
      std::string::npos)
      << logText();
  EXPECT_FALSE(inSource("future.csv"));
}

// A writer that pauses in mid-line for longer than the 2 seconds of old, where it does not hold
// the file open: SETTLESECONDS keeps its cut value out of the table.
TEST_F(Installation, SettleSecondsIsHowLongALastLineWithoutLineEndMustStandUnchanged) {
  writeConfig("SETTLESECONDS=6\r\n");
  const fs::path file = source / "slow.csv";
  writeFile(file, "DateTime,Tag,Value\r\n2026-03-01 10:00:00,T,1\r\n2026-03-01 10:00:01,T,12");
  start("1");
  std::this_thread::sleep_for(std::chrono::seconds(3));
  std::ofstream(file, std::ios::app | std::ios::binary) << "34.5\r\n";
  EXPECT_EQ(waitForEnd(), 0) << output();
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_EQ(
      queryRows(database, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY DateTime"),
      (std::vector<std::string>{"2026-03-01 10:00:00|T|1.0", "2026-03-01 10:00:01|T|1234.5"}));
  EXPECT_FALSE(inSource("slow.csv"));
}

struct BadSetting {
  const char* name;
  const char* text;
};

class BadSettleSeconds : public Installation, public ::testing::WithParamInterface<BadSetting> {};

// Anything but a whole number of seconds, 0 or more, ends the run before any file is read.
TEST_P(BadSettleSeconds, EndsTheRunNamingTheKey) {
  const std::string text = GetParam().text;
  writeConfig("SETTLESECONDS=" + text + "\r\n");
  drop("a.csv");
  start("1");
  EXPECT_EQ(waitForEnd(), 1) << output();
  EXPECT_NE(logText().find(" : Error 5 - Invalid procedure call or argument: SETTLESECONDS "
                           "(Unchanged For (seconds)) is " +
                           text + ", it must be a whole number, 0 or more"),
            std::string::npos)
      << logText();
  EXPECT_EQ(rows(), 0);
  EXPECT_TRUE(inSource("a.csv"));
}

INSTANTIATE_TEST_SUITE_P(Texts, BadSettleSeconds,
                         ::testing::Values(BadSetting{"below_zero", "-1"},
                                           BadSetting{"fraction", "2.5"},
                                           BadSetting{"word", "two"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
