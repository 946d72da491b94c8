#include "import/retention.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "import/archive.h"
#include "import/import_run.h"
#include "import/reject_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

// A name and whether it is the program's own in a folder of each kind.
struct NameCase {
  const char* name;
  bool archived;
  bool setAside;
  bool runLogs;
};

class OwnName : public ::testing::TestWithParam<NameCase> {};

TEST_P(OwnName, IsTheProgramsOnlyInTheFolderThatHoldsThatKind) {
  const NameCase& c = GetParam();
  EXPECT_EQ(isOwnFile(c.name, OwnFiles::Archived), c.archived) << c.name;
  EXPECT_EQ(isOwnFile(c.name, OwnFiles::SetAside), c.setAside) << c.name;
  EXPECT_EQ(isOwnFile(c.name, OwnFiles::RunLogs), c.runLogs) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, OwnName,
    ::testing::Values(
        // Archived, and set aside.
        NameCase{"plant1__240307_140509.csv", true, true, false},
        NameCase{"a b.c__991231_235959.csv", true, true, false},
        NameCase{"__240307_140509.csv", true, true, false},  // from ".csv"
        NameCase{"x__240229_000000.csv", true, true, false},
        NameCase{"plant1__240307_140509.csv.err", false, true, false},
        NameCase{"plant1__240307_140509.csv.gz", true, true, false},
        NameCase{"plant1__240307_140509.csv.GZ", true, true, false},
        NameCase{"plant1__240307_140509.csv.gz.err", false, true, false},
        // Other names that FILES lists keep their extension; one without any only gains the time.
        NameCase{"export__240307_140509.txt", true, true, false},
        NameCase{"export__240307_140509.TXT.gz", true, true, false},
        NameCase{"plant1__240307_140509.gz", true, true, false},  // from "plant1.gz"
        NameCase{"plant1__240307_140509.err", true, true,
                 false},  // "plant1.err"; "plant1" set aside
        // Not the archive's form.
        NameCase{"notes.csv", false, false, false}, NameCase{"readme.txt", false, false, false},
        NameCase{"plant1__240307_140509.CSV", false, false, false},
        NameCase{"plant1_240307_140509.csv", false, false, false},
        NameCase{"plant1__24037_140509.csv", false, false, false},
        NameCase{"plant1__2403077_140509.csv", false, false, false},
        NameCase{"plant1__240307-140509.csv", false, false, false},
        NameCase{"plant1__2403O7_140509.csv", false, false, false},
        NameCase{"plant1__241307_140509.csv", false, false, false},  // month 13
        NameCase{"plant1__240230_140509.csv", false, false, false},  // 30 February
        NameCase{"plant1__240307_240000.csv", false, false, false},  // hour 24
        NameCase{"plant1__240307_146009.csv", false, false, false},  // minute 60
        NameCase{"plant1__240307_140509.csv.bak", false, false, false},
        NameCase{"plant1.csv.gz", false, false, false},
        NameCase{".plant1__240307_140509.csv.partial", false, false, false},
        NameCase{"plant1__240307_140509.csv.ERR", false, false, false},
        NameCase{"plant1__240307_140509.csv.err.err", false, false, false},
        NameCase{"__240307_140509.cs", false, false, false},
        NameCase{"plant1__240307_140509.csv.txt", false, false, false},
        NameCase{"", false, false, false},
        // Run logs and their reject files.
        NameCase{"R27731_____03_07_2024__14_05.log", false, false, true},
        NameCase{"R27731_____12_31_1999__23_59.rejects.csv", false, false, true},
        NameCase{"R27731_____02_29_2024__00_00.log", false, false, true},
        // Not a run log's form.
        NameCase{"R27731_____02_30_2024__00_00.log", false, false, false},
        NameCase{"R27731_____03_07_2024__24_00.log", false, false, false},
        NameCase{"R27731_____3_07_2024__14_05.log", false, false, false},
        NameCase{"R27731____03_07_2024__14_05.log", false, false, false},
        NameCase{"R27731_____03_07_2024_14_05.log", false, false, false},
        NameCase{"R12345_____03_07_2024__14_05.log", false, false, false},
        NameCase{"r27731_____03_07_2024__14_05.log", false, false, false},
        NameCase{"R27731_____03_07_2024__14_05.LOG", false, false, false},
        NameCase{"R27731_____03_07_2024__14_05.log.1", false, false, false},
        NameCase{"R27731_____03_07_2024__14_05.txt", false, false, false},
        NameCase{"R27731_____03_07_2024__14_05.rejects.csv.err", false, false, false},
        NameCase{"x R27731_____03_07_2024__14_05.log", false, false, false},
        NameCase{"other.log", false, false, false}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

// The names the program makes match, so a change of either side fails here.
TEST(OwnName, MatchesTheNamesTheProgramMakes) {
  const DateTime at = DateTime::fromParts(2031, 11, 30, 7, 8, 9);
  const std::string archived = archiveName("Plant 7.CSV", at);
  EXPECT_TRUE(isOwnFile(archived, OwnFiles::Archived)) << archived;
  EXPECT_TRUE(isOwnFile(archived + ".err", OwnFiles::SetAside)) << archived;

  TestSession test;
  test.clock.set(at);
  RunLog log(test.session);
  log.OpenLogFile(kLogPrefix);
  RejectFile(log).add("a.csv", 2, "x", "no date");
  log.CloseLogFile();
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(log.logFolder())) {
    ++files;
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(isOwnFile(name, OwnFiles::RunLogs)) << name;
  }
  EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace csv2sql::testing
