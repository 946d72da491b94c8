#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "destination/destination.h"
#include "import/import_run.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "settings/setting_keys.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

using Lines = std::vector<std::string>;

// What the window would show of a run.
struct TestRunView final : RunObserver {
  void settingsLocked(bool locked) override { settingsLockedNow = locked; }
  void loadDataEnabled(bool enabled) override { loadData = enabled; }
  void progress(const std::string& text) override { progressTexts.push_back(text); }
  bool settingsLockedNow = false;
  bool loadData = true;
  std::vector<std::string> progressTexts;
};

// Automatic runs as a run sees them: on or off.
struct TestSchedule final : RunSchedule {
  bool pauseForRun() override { return automaticRunsOn; }
  void runEnded(bool, RunEnd) override {}
  bool automaticRunsOn = false;
};

// The parts of the program that a run uses, on a fresh program folder whose "dest.db" holds the
// table CSVDATA, reading CSV files from "in/" and archiving into "archive/".
class ImportRunTest : public ::testing::Test {
 public:
  ImportRunTest();

  RunEnd runImport() { return run.btnTransferData_Click(settings); }
  void writeCsv(const std::string& name, const std::string& text) const;
  bool inSource(const std::string& name) const;
  // The names in a folder, sorted.
  static Lines namesIn(const std::filesystem::path& folder);
  // The texts of the log lines written so far, without their time stamps.
  Lines logTexts() const;
  // "DateTime|Tag|Value" of each row of CSVDATA in the order they were added.
  Lines tableRows() const;
  void exec(const std::string& sql) const { execSql(databaseFile, sql); }

  TestSession test;
  Session& session = test.session;
  Settings settings;
  RunLog log{session};
  Lines shownLines;  // every log line, as the window's list would show it
  Messages messages{session, log};
  Destination destination{session, messages};
  TestSchedule schedule;
  TestRunView view;
  ImportRun run{session, log, destination, schedule, view};
  const std::filesystem::path sourceFolder = test.folder.path() / "in";
  const std::filesystem::path archiveFolder = test.folder.path() / "archive";
  const std::filesystem::path databaseFile = test.folder.path() / "dest.db";
};

// The offset table's rows, each "start", "end", "offset".
UtcRows utcRows(const std::vector<Lines>& rows);

// Sets settings by their config.ini keys, "KEY=text|KEY=text", each text as the field's text
// (a flag "YES" or "NO", no trimming), "$" standing for `folder`.
void setFields(Settings& settings, const std::string& fields, const std::filesystem::path& folder);

bool startsWith(const std::string& text, const std::string& prefix);

// The header line and the data lines of a CSV file, each ended with CR LF.
std::string csvLines(const Lines& lines);

}  // namespace csv2sql::testing
