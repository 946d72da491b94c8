#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/program.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// 2 March 2026 at the given time of day.
inline DateTime at(int hour, int minute, int second) {
  return DateTime::fromParts(2026, 3, 2, hour, minute, second);
}

// An installation in the test session's program folder: a SQLite destination "dest.db" with
// the table CSVDATA, a source folder "in/" and an archive folder "archive/".
class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    std::filesystem::create_directories(source);
    std::filesystem::create_directories(archive);
    createDestination(database);
  }

  // config.ini for the installation, archiving on, then `extra` (a later line wins).
  void writeConfig(const std::string& extra = "") const {
    test.writeConfig("CSVFOLDER=" + source.string() + "\r\nCNN_PROVIDER=SQLite\r\n" +
                     "CNN_DATASOURCE=dest.db\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=" +
                     archive.string() + "\r\n" + extra);
  }
  // A CSV file of `readings` rows, renamed into place so that no run sees it half-written.
  void drop(const std::string& name, int readings = 2, const std::string& tag = "T") const {
    std::string text = "DateTime,Tag,Value\r\n";
    for (int i = 0; i < readings; ++i)
      text += "2026-03-01 10:00:0" + std::to_string(i) + "," + tag + ",1\r\n";
    writeFile(source / (name + ".part"), text);
    std::filesystem::rename(source / (name + ".part"), source / name);
  }
  long long rows() const { return countRows(database); }
  bool inSource(const std::string& name) const { return std::filesystem::exists(source / name); }
  // Every run log's text.
  std::string logText() const {
    std::string text;
    std::error_code absent;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "log", absent)) {
      text += readFile(entry.path());
    }
    return text;
  }

  TestSession test;
  Session& session = test.session;
  FrmMain form;
  const std::filesystem::path folder = test.folder.path();
  const std::filesystem::path source = folder / "in";
  const std::filesystem::path archive = folder / "archive";
  const std::filesystem::path database = folder / "dest.db";
};

// A program whose controls hold what that config.ini loads.
class ProgramTest : public AppTest {
 protected:
  ProgramTest() {
    writeConfig();
    program.Form_Load("");
  }
  Program program{session, form};
};

}  // namespace csv2sql::testing
