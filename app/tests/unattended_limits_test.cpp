// Files a run without a window sets aside rather than stop on or import: over their reject
// limit, or unreadable. The exit status that tells of them, and the status a monitoring system
// reads with --status.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/run_status.h"
#include "app/tests/installation.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "DateTime,Tag,Value\r\n";

// `good` readings of the tag, then `bad` rows of the same readings with semicolons, as an
// exporter writes them after a change of its delimiter.
std::string readings(const std::string& tag, int good, int bad = 0) {
  std::string text = kHeader;
  for (int i = 0; i < good; ++i)
    text += "2026-03-01 10:00:0" + std::to_string(i) + "," + tag + ",1\r\n";
  for (int i = 0; i < bad; ++i)
    text += "2026-03-01 11:00:0" + std::to_string(i) + ";" + tag + ";1\r\n";
  return text;
}

// The installation with a.csv (tag A) and c.csv (tag C), two readings each, around b.csv.
class SetAsideTest : public Installation {
 public:
  SetAsideTest() {
    fs::create_directories(errors);
    writeFile(source / "a.csv", readings("A", 2));
    writeFile(source / "c.csv", readings("C", 2));
  }

  using Installation::source;
  using Installation::writeConfig;

  // "csv2sql 1" to its end: its exit status.
  std::optional<int> runOnce() {
    start("1");
    return waitForEnd();
  }
  void runNormally() {
    writeConfig();
    EXPECT_EQ(runOnce(), 0) << output();
  }
  // Moves the times of the status file back to the start of 2020, as if no run had ended
  // since.
  void ageStatus() const {
    const fs::path file = statusFile(folder);
    std::string aged;
    std::istringstream lines(readFile(file));
    for (std::string line; std::getline(lines, line);) {
      for (const char* key : {"started=", "ended=", "last_normal_end="}) {
        if (line.starts_with(key)) line = key + std::string("2020-01-01 00:00:00");
      }
      aged += line + "\n";
    }
    writeFile(file, aged);
  }

 protected:
  // csv2sql --status and its arguments, through a script such as a monitoring system calls:
  // its exit status and what it printed.
  std::pair<std::optional<int>, std::string> runStatusCheck(const std::string& arguments = "") {
    const fs::path script = folder / "check_csv2sql";
    writeFile(script, "#!/bin/sh\nexec \"" + program.string() + "\" --status " + arguments + "\n");
    fs::permissions(script, fs::perms::owner_all);
    const fs::path printed = folder / "status.txt";
    ChildProcess check(script, "", {}, "", printed);
    std::optional<int> status;
    eventually([&] { return (status = check.exitStatus()).has_value(); });
    return {status, readFile(printed)};
  }
  // Whether the run log holds the line, whole.
  bool logged(const std::string& line) const {
    return logText().find(" : " + line + "\r\n") != std::string::npos;
  }
  std::vector<std::string> tags() const {
    return queryRows(database, "SELECT Tag FROM CSVDATA ORDER BY rowid");
  }
  std::vector<std::string> namesIn(const fs::path& where) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(where)) {
      names.push_back(entry.path().filename().string());
    }
    std::ranges::sort(names);
    return names;
  }
  std::string placed(std::string text) const {
    for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}")) {
      text.replace(at, 5, folder.string());
    }
    return text;
  }

  const fs::path errors = folder / "errors";
};

// b.csv holds one reading of tag B and three rows of another shape: 3 of 4 rows skipped.
struct LimitCase {
  const char* name;
  std::string config;  // after the installation's lines; "{dir}" the installation's folder
  int status;
  std::string line;  // the run log's line of b.csv
  std::vector<std::string> tags;
  std::vector<std::string> errorFolder;  // its files after the run
  bool bLeft;                            // b.csv still in the source folder
  std::string note = {};                 // b.csv's .err note in the error folder
};

const std::vector<std::string> kAC = {"A", "A", "C", "C"};
const std::vector<std::string> kABC = {"A", "A", "B", "C", "C"};
constexpr const char* kErrors = "ERRORFOLDER={dir}/errors\r\n";
constexpr const char* kLedger = "LEDGERTABLE=CSVLEDGER\r\n";
const std::string kNote = "File: b.csv\r\nRows skipped: 3 of 4\r\nReject limit: 2\r\n";

LimitCase moved(const char* name, std::string config) {
  return {name,  std::move(config),
          3,     "Moved b.csv to {dir}/errors: 3 of 4 rows skipped, over the reject limit 2",
          kAC,   {"b__@.csv", "b__@.csv.err"},
          false, kNote};
}
LimitCase left(const char* name, std::string config, const std::string& limit) {
  return {name, std::move(config),
          3,    "Left b.csv in place: 3 of 4 rows skipped, over the reject limit " + limit,
          kAC,  {},
          true};
}
LimitCase imported(const char* name, std::string config) {
  return {name, std::move(config), 0, "1 readings stored, 3 rows skipped", kABC, {}, false};
}

class RejectLimitRun : public SetAsideTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(RejectLimitRun, SetsTheFileAsideOverItsLimitAndKeepsTheOthers) {
  const LimitCase& c = GetParam();
  writeConfig(placed(c.config));
  writeFile(source / "b.csv", readings("B", 1, 3));
  EXPECT_EQ(runOnce(), c.status) << output();
  EXPECT_TRUE(logged(placed(c.line))) << logText();
  EXPECT_EQ(tags(), c.tags);
  EXPECT_EQ(inSource("b.csv"), c.bLeft);
  EXPECT_FALSE(inSource("a.csv") || inSource("c.csv"));
  std::vector<std::string> moved = namesIn(errors);
  for (std::string& name : moved) name.replace(3, 13, "@");  // the archive name's time
  EXPECT_EQ(moved, c.errorFolder);
  if (!c.note.empty()) {
    EXPECT_EQ(readFile(errors / (namesIn(errors).front() + ".err")), c.note);
  }
  const std::string figures = "Run done: 3 files, " + std::to_string(c.tags.size()) +
                              " readings stored, " + (c.tags == kAC ? "0" : "3") + " rows skipped";
  EXPECT_NE(output().find(figures), std::string::npos) << output();
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RejectLimitRun,
    ::testing::Values(
        imported("no_limit", ""), imported("count_at_the_limit", "REJECTLIMIT=3\r\n"),
        imported("share_at_the_limit", "REJECTLIMIT=75%\r\n"),
        moved("count_over_with_error_folder", std::string(kErrors) + "REJECTLIMIT=2\r\n"),
        left("count_over_without_error_folder", "REJECTLIMIT=2\r\n", "2"),
        left("share_over_without_error_folder", "REJECTLIMIT=74.99%\r\n", "74.99%"),
        left("none_allowed", "REJECTLIMIT=0\r\n", "0"),
        // With the ledger a, b and c share one transaction: only b's rows are rolled back.
        moved("count_over_in_a_ledger_group", std::string(kErrors) + kLedger + "REJECTLIMIT=2\r\n"),
        left("share_over_in_a_ledger_group", std::string(kLedger) + "REJECTLIMIT=50%\r\n", "50%")),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetAsideTest, LimitThatIsNoCountOrShareEndsTheRunBeforeAnyFile) {
  writeConfig("REJECTLIMIT=5 rows\r\n");
  EXPECT_EQ(runOnce(), 1) << output();
  EXPECT_TRUE(
      logged("Error 5 - Invalid procedure call or argument: REJECTLIMIT (Reject Limit) "
             "is 5 rows, it must be a number of rows such as 10 or a share of the rows "
             "such as 5%"))
      << logText();
  EXPECT_EQ(logText().find("Loading file"), std::string::npos) << logText();
  EXPECT_TRUE(inSource("a.csv") && inSource("c.csv"));
  EXPECT_EQ(rows(), 0);
}

// A file left over its limit is looked at again by each run, with one line each time, and is
// imported once it is of the shape the settings read; with the ledger it is never recorded
// before.
TEST_F(SetAsideTest, LeftFileIsLeftAgainUntilItChangesThenImportedOnce) {
  writeConfig(std::string(kLedger) + "REJECTLIMIT=2\r\n");
  writeFile(source / "b.csv", readings("B", 1, 3));
  EXPECT_EQ(runOnce(), 3) << output();
  writeFile(source / "d.csv", readings("D", 1));
  EXPECT_EQ(runOnce(), 3) << output();
  const std::string line = "Left b.csv in place: 3 of 4 rows skipped, over the reject limit 2";
  const std::string log = logText();
  EXPECT_NE(log.find(line), log.rfind(line)) << "one line for each run";
  EXPECT_EQ(queryRows(database, "SELECT FileName FROM CSVLEDGER ORDER BY FileName"),
            (std::vector<std::string>{"a.csv", "c.csv", "d.csv"}));
  writeFile(source / "b.csv", readings("B", 4));
  EXPECT_EQ(runOnce(), 0) << output();
  EXPECT_EQ(tags(), (std::vector<std::string>{"A", "A", "C", "C", "D", "B", "B", "B", "B"}));
  EXPECT_FALSE(inSource("b.csv"));
}

// A service whose run left a file goes on with its automatic runs, as after any normal run.
TEST_F(SetAsideTest, ServiceGoesOnAfterARunThatLeftAFileAndItsStatusNamesTheNextRun) {
  writeConfig("AUTORUNEVERY=1\r\nREJECTLIMIT=2\r\n");
  writeFile(source / "b.csv", readings("B", 1, 3));
  // One scheduled minute lasts 200 ms under the test seam.
  start("ntservice", "CSV2SQL_TIMER_INTERVAL_MS=200");
  const fs::path file = statusFile(folder);
  EXPECT_TRUE(eventually([&] {
    return fs::exists(file) && readFile(file).find("\nnext_run=") != std::string::npos;
  })) << output();
  EXPECT_TRUE(eventually([&] { return rows() == 4; })) << output();
  // Several scheduled minutes: a service that took the run for a failed one would have ended.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(statusNow().has_value()) << output();
  const auto [status, printed] = runStatusCheck();
  EXPECT_EQ(status, 1) << printed;
  EXPECT_NE(printed.find("; Left b.csv in place: 3 of 4 rows skipped, over the reject limit 2; "
                         "next run "),
            std::string::npos)
      << printed;
  askToStop();
  EXPECT_EQ(waitForEnd(), 0) << output();
}

// A file the program's user may not read stops no run: the files after it are imported.
struct UnreadableCase {
  const char* name;
  // Makes b.csv unreadable; the reason to skip when it cannot be made so here.
  std::function<std::optional<std::string>(const fs::path& file)> make;
  std::string why;
};

// Whether this process can open the file for reading: a user that may read everything (root)
// reads a file of mode 000.
bool opens(const fs::path& file) {
  return std::ifstream(file).is_open();
}

class UnreadableFile : public SetAsideTest, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableFile, IsPassedOverAndTheFilesAfterItAreImported) {
  const UnreadableCase& c = GetParam();
  writeConfig();
  if (const auto skip = c.make(source / "b.csv")) GTEST_SKIP() << *skip;
  EXPECT_EQ(runOnce(), 3) << output();
  EXPECT_TRUE(logged("Passed over b.csv: it cannot be read (" + c.why + ")")) << logText();
  EXPECT_EQ(logText().find(" : Error "), std::string::npos) << logText();
  EXPECT_EQ(tags(), kAC);
  EXPECT_EQ(namesIn(source), std::vector<std::string>{"b.csv"});
  const auto [status, printed] = runStatusCheck();
  EXPECT_EQ(status, 1) << printed;
  EXPECT_NE(printed.find("; Passed over b.csv: it cannot be read (" + c.why + ")"),
            std::string::npos)
      << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableFile,
    ::testing::Values(
        UnreadableCase{"mode_000",
                       [](const fs::path& file) -> std::optional<std::string> {
                         writeFile(file, readings("B", 1));
                         fs::permissions(file, fs::perms::none);
                         if (opens(file)) {
                           return "running as root, which reads a file of mode 000";
                         }
                         return std::nullopt;
                       },
                       "Permission denied"},
        // Even root may not read this one.
        UnreadableCase{"link_to_a_file_no_one_may_read",
                       [](const fs::path& file) -> std::optional<std::string> {
                         const fs::path target = "/proc/sys/vm/drop_caches";
                         if (!fs::exists(target) || opens(target)) {
                           return target.string() + " is readable here";
                         }
                         fs::create_symlink(target, file);
                         return std::nullopt;
                       },
                       "Permission denied"},
        // Opens, but its first read fails: the memory of the reading process at address 0.
        UnreadableCase{"link_to_a_file_whose_read_fails",
                       [](const fs::path& file) -> std::optional<std::string> {
                         if (!fs::exists("/proc/self/mem")) return "no /proc/self/mem here";
                         fs::create_symlink("/proc/self/mem", file);
                         return std::nullopt;
                       },
                       "Input/output error"}),
    [](const auto& info) { return std::string(info.param.name); });

// --status in each of its states, after the runs of the case.
struct StatusCase {
  const char* name;
  std::function<void(SetAsideTest&)> runs;
  std::string arguments;
  int status;
  std::string begins;    // the printed line's start
  std::string contains;  // and a part of it
};

class StatusCheck : public SetAsideTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusCheck, PrintsOneLineOfThePluginConventionAndItsExitStatus) {
  const StatusCase& c = GetParam();
  c.runs(*this);
  const auto [status, printed] = runStatusCheck(c.arguments);
  EXPECT_EQ(status, c.status) << printed;
  EXPECT_EQ(printed.rfind(c.begins, 0), 0u) << printed;
  EXPECT_NE(printed.find(c.contains), std::string::npos) << printed;
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusCheck,
    ::testing::Values(
        StatusCase{"unknown_before_any_run", [](SetAsideTest&) {}, "", 3, "csv2sql UNKNOWN - ",
                   "no run has left its status yet"},
        StatusCase{"ok_after_a_normal_run", [](SetAsideTest& t) { t.runNormally(); }, "", 0,
                   "csv2sql OK - last run ", ": 2 files, 4 readings stored, 0 rows skipped"},
        StatusCase{"ok_within_the_minutes", [](SetAsideTest& t) { t.runNormally(); }, "30", 0,
                   "csv2sql OK - last run ", ": 2 files, 4 readings stored, 0 rows skipped"},
        StatusCase{"warning_after_a_file_left",
                   [](SetAsideTest& t) {
                     t.writeConfig("REJECTLIMIT=2\r\n");
                     writeFile(t.source / "b.csv", readings("B", 1, 3));
                     EXPECT_EQ(t.runOnce(), 3);
                   },
                   "", 1, "csv2sql WARNING - last run ",
                   ": 3 files, 4 readings stored, 0 rows skipped; Left b.csv in place: 3 of 4 "
                   "rows skipped, over the reject limit 2"},
        StatusCase{"critical_after_a_failed_run",
                   [](SetAsideTest& t) {
                     t.runNormally();
                     t.writeConfig("CNN_DATASOURCE=missing/dest.db\r\n");
                     EXPECT_EQ(t.runOnce(), 1);
                   },
                   "30", 2, "csv2sql CRITICAL - last run ", " failed: Error "},
        StatusCase{"critical_when_no_normal_end_within_the_minutes",
                   [](SetAsideTest& t) {
                     t.runNormally();
                     t.ageStatus();
                   },
                   "30", 2, "csv2sql CRITICAL - no run ended normally in the last 30 minutes",
                   "(last run 2020-01-01 00:00:00)"},
        StatusCase{"ok_without_minutes_however_old",
                   [](SetAsideTest& t) {
                     t.runNormally();
                     t.ageStatus();
                   },
                   "", 0, "csv2sql OK - last run 2020-01-01 00:00:00: ", "2 files"},
        StatusCase{"unknown_for_minutes_that_are_no_whole_number",
                   [](SetAsideTest& t) { t.runNormally(); }, "0.5", 3, "csv2sql UNKNOWN - ",
                   "usage: csv2sql --status [MINUTES]"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
