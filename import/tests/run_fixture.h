#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "db/destination.h"
#include "import/import_run.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

using Lines = std::vector<std::string>;

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

  FrmMain& form() { return session.frmMain; }
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
  RunLog log{session};
  Messages messages{session, log};
  Destination destination{session, messages};
  TestSchedule schedule;
  ImportRun run{session, log, destination, schedule};
  const std::filesystem::path sourceFolder = test.folder.path() / "in";
  const std::filesystem::path archiveFolder = test.folder.path() / "archive";
  const std::filesystem::path databaseFile = test.folder.path() / "dest.db";
};

// Fills the grid from row 1, a line of cells per row.
void setRows(Grid& grid, const std::vector<Lines>& rows);

bool startsWith(const std::string& text, const std::string& prefix);

// The header line and the data lines of a CSV file, each ended with CR LF.
std::string csvLines(const Lines& lines);

}  // namespace csv2sql::testing
