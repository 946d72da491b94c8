#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/destination.h"
#include "import/import_run.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// A row read back from a table, every value as text ("NULL" for a null).
using TableRow = std::vector<std::string>;

// A SQLite database opened with the sqlite3 library itself, to lay out a destination and to read
// back what a run wrote.
class SqliteFile {
 public:
  explicit SqliteFile(const std::filesystem::path& path);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  void exec(const std::string& sql);
  std::vector<TableRow> rows(const std::string& query);

 private:
  sqlite3* db_ = nullptr;
};

// Automatic runs as a run sees them: on or off, and how each run ended.
struct TestSchedule final : RunSchedule {
  bool pauseForRun() override { return automaticRunsOn; }
  void runEnded(bool paused, RunEnd end) override { ends.push_back({paused, end}); }
  bool automaticRunsOn = false;
  std::vector<std::pair<bool, RunEnd>> ends;
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
  static std::vector<std::string> namesIn(const std::filesystem::path& folder);
  // The texts of the log lines written so far, without their time stamps.
  std::vector<std::string> logTexts() const;
  // The log lines of one run: those after the index where it began.
  std::vector<std::string> logTextsFrom(std::size_t first) const;
  // DateTime, Tag and Value of the rows of CSVDATA in the order they were added.
  std::vector<TableRow> tableRows();
  void setUtcTable(const std::vector<std::vector<std::string>>& periods);

  TestSession test;
  Session& session = test.session;
  RunLog log{session};
  Messages messages{session, log};
  Destination destination{session, messages};
  TestSchedule schedule;
  ImportRun run{session, log, destination, schedule};
  const std::filesystem::path sourceFolder = test.folder.path() / "in";
  const std::filesystem::path archiveFolder = test.folder.path() / "archive";
  SqliteFile database{test.folder.path() / "dest.db"};
};

bool startsWith(const std::string& text, const std::string& prefix);

// The header line and the data lines of a CSV file, each ended with CR LF.
std::string csvLines(const std::vector<std::string>& lines);

// The eight example lines: a header, three valid rows, then a bad date, a bad value, a
// missing value and a line whose date text loses its leading "T".
const std::string& exampleFile();

}  // namespace csv2sql::testing
