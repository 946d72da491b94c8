// KEEPDAYS through the real program: the files it named itself in the archive, error and log
// folders go once older than the days; nothing else there is ever touched.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tests/installation.h"
#include "core/clock.h"
#include "import/archive.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

// A file in one of the installation's folders, changed `days` ago.
struct Planted {
  std::string folder;  // "archive", "errors" or "log"
  std::string name;
  int days;
  bool removedAfter30Days;
};

// KEEPDAYS=30: 40 days is older, 20 days is not.
const std::vector<Planted> kPlanted = {
    {"archive", "plant1__250101_120000.csv", 40, true},
    {"archive", "__250101_120000.csv", 40, true},
    {"archive", "plant1__250102_120000.csv", 20, false},
    {"archive", "notes.csv", 40, false},
    {"archive", "readme.txt", 40, false},
    {"archive", "plant1__250101_120000.CSV", 40, false},
    {"archive", "plant1__251301_120000.csv", 40, false},
    {"archive", "plant1__250101_120000.csv.bak", 40, false},
    {"archive", ".plant1__250101_120000.csv.partial", 40, false},
    {"archive", "plant1__250101_120000.csv.err", 40, false},  // a note belongs in the error folder
    {"errors", "bad__250101_120000.csv", 40, true},
    {"errors", "bad__250101_120000.csv.err", 40, true},
    {"errors", "bad__250102_120000.csv.err", 20, false},
    {"errors", "bad.err", 40, false},
    {"errors", "R27731_____01_01_2025__12_00.log", 40, false},  // a log belongs in the log folder
    {"log", "R27731_____01_01_2025__12_00.log", 40, true},
    {"log", "R27731_____01_01_2025__12_00.rejects.csv", 40, true},
    {"log", "R27731_____01_02_2025__12_00.log", 20, false},
    {"log", "R27731_____02_30_2025__12_00.log", 40, false},
    {"log", "R27731_____01_01_2025__12_00.log.1", 40, false},
    {"log", "other.log", 40, false},
    {"log", "plant1__250101_120000.csv", 40, false},  // an archive name belongs in the archive
};

void setAge(const fs::path& path, int days) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24 * days));
}

class Retention : public Installation {
 protected:
  Retention() {
    fs::create_directories(folder / "errors");
    fs::create_directories(folder / "log");
    for (const Planted& p : kPlanted) plant(p);
  }

  void plant(const Planted& p) const {
    const fs::path path = folder / p.folder / p.name;
    writeFile(path, p.name);
    setAge(path, p.days);
  }
  // Configured with `keepDays` (none: no KEEPDAYS line), a.csv to import, then "csv2sql 1".
  int runOnce(const std::string& keepDays) {
    writeConfig("ERRORFOLDER=errors\r\n" +
                (keepDays.empty() ? "" : "KEEPDAYS=" + keepDays + "\r\n"));
    drop("a.csv", 3);
    start("1");
    return waitForEnd().value_or(-1);
  }
  // The planted files still there.
  std::vector<std::string> left(const std::vector<Planted>& planted) const {
    std::vector<std::string> names;
    for (const Planted& p : planted) {
      if (fs::exists(folder / p.folder / p.name)) names.push_back(p.folder + "/" + p.name);
    }
    return names;
  }
  static std::vector<std::string> kept(const std::vector<Planted>& planted) {
    std::vector<std::string> names;
    for (const Planted& p : planted) {
      if (!p.removedAfter30Days) names.push_back(p.folder + "/" + p.name);
    }
    return names;
  }
  static std::vector<std::string> all(const std::vector<Planted>& planted) {
    std::vector<std::string> names;
    for (const Planted& p : planted) names.push_back(p.folder + "/" + p.name);
    return names;
  }
};

TEST_F(Retention, RemovesOnlyTheProgramsOwnFilesOlderThanTheDaysAndSaysHowMany) {
  // Moved yesterday within the file system: the source's old time of change came along.
  const DateTime yesterday = SystemClock().now().addDays(-1);
  std::vector<Planted> planted = kPlanted;
  planted.push_back({"archive", archiveName("late.csv", yesterday), 40, false});
  plant(planted.back());
  // Never a folder or a link, whatever their names.
  fs::create_directory(archive / "dir__250101_120000.csv");
  setAge(archive / "dir__250101_120000.csv", 40);
  writeFile(folder / "target__250101_120000.csv", "x");
  setAge(folder / "target__250101_120000.csv", 40);
  CSV2SQL_SYMLINK_OR_SKIP(folder / "target__250101_120000.csv",
                          archive / "link__250101_120000.csv");

  EXPECT_EQ(runOnce("30"), 0) << output();
  EXPECT_EQ(left(planted), kept(planted));
  EXPECT_TRUE(fs::is_directory(archive / "dir__250101_120000.csv"));
  EXPECT_TRUE(fs::is_symlink(archive / "link__250101_120000.csv"));
  EXPECT_TRUE(fs::exists(folder / "target__250101_120000.csv"));
  // The file this run archived is new.
  EXPECT_EQ(rows(), 3);
  EXPECT_FALSE(inSource("a.csv"));
  const std::string log = logText();
  const auto removed = log.find(" : Removed 6 files older than 30 days\r\n");
  EXPECT_NE(removed, std::string::npos) << log;
  EXPECT_LT(removed, log.find(" : Run done: 1 files")) << log;
}

TEST_F(Retention, WithoutKeepDaysNothingIsRemoved) {
  EXPECT_EQ(runOnce(""), 0) << output();
  EXPECT_EQ(left(kPlanted), all(kPlanted));
  EXPECT_EQ(logText().find(" : Removed "), std::string::npos) << logText();
}

class BadKeepDays : public Retention, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadKeepDays, FailsTheRunBeforeAnyFileIsTouched) {
  EXPECT_EQ(runOnce(GetParam()), 1) << output();
  EXPECT_EQ(left(kPlanted), all(kPlanted));
  EXPECT_TRUE(inSource("a.csv"));
  EXPECT_EQ(rows(), 0);
  const std::string line = std::string(" : Error 5 - Invalid procedure call or argument: ") +
                           "KEEPDAYS (Keep Files (days)) is " + GetParam() +
                           ", it must be a whole number, 1 or more\r\n";
  EXPECT_NE(logText().find(line), std::string::npos) << logText();
}

INSTANTIATE_TEST_SUITE_P(Texts, BadKeepDays,
                         ::testing::Values("abc", "0", "-5", "1.5", "2147483648", "30 days"));

}  // namespace
}  // namespace csv2sql::testing
