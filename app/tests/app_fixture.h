#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/program.h"
#include "core/datetime.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// A CSV file with a header line and `readings` rows, written under a temporary name and then
// renamed, so that a program watching the folder never sees it half-written.
void dropReadings(const std::filesystem::path& folder, const std::string& name, int readings);
// 2 March 2026 at the given time of day.
DateTime at(int hour, int minute, int second);
// The texts of lstLog's lines, without their time stamps.
std::vector<std::string> logTexts(const Session& session);
// The lines of the only file in a log folder (none when there is not exactly one file).
std::vector<std::string> onlyLogLines(const std::filesystem::path& logFolder);

// A program on a test session whose controls point at a SQLite destination "dest.db" with the
// table CSVDATA, at the source folder "in/" and, archiving on, at the archive folder "archive/"
// of the session's program folder: each file is imported once.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();

  FrmMain& form() { return session.frmMain; }
  void drop(const std::string& name, int readings = 2) { dropReadings(source, name, readings); }
  long long rows() const { return countRows(database); }
  bool inSource(const std::string& name) const { return std::filesystem::exists(source / name); }

  TestSession test;
  Session& session = test.session;
  const std::filesystem::path source = test.folder.path() / "in";
  const std::filesystem::path archive = test.folder.path() / "archive";
  const std::filesystem::path database = test.folder.path() / "dest.db";
  Program program{session};
};

}  // namespace csv2sql::testing
