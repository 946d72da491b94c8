#include "import/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "import/run_plan.h"
#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

const DateTime kMoveTime = DateTime::fromParts(2024, 3, 7, 14, 5, 9);
const std::string kArchived = "plant1__240307_140509.csv";

TEST(ArchiveName, ReplacesTheExtensionWithTheTimeAndLowerCaseCsv) {
  const std::pair<const char*, const char*> names[] = {
      {"plant1.csv", "plant1__240307_140509.csv"},
      {"DATA.CSV", "DATA__240307_140509.csv"},
      {"a.b.csv", "a.b__240307_140509.csv"},
      {".csv", "__240307_140509.csv"},
      {"plant1.csv.gz", "plant1__240307_140509.csv.gz"},
      {"DATA.CSV.GZ", "DATA__240307_140509.csv.GZ"},
      {"a.gz", "a__240307_140509.gz"},
      {"export.TXT", "export__240307_140509.TXT"},
      {"a.b.dat.gz", "a.b__240307_140509.dat.gz"},
      {"noextension", "noextension__240307_140509"},
      {".hidden", ".hidden__240307_140509"}};
  for (const auto& [file, archived] : names) EXPECT_EQ(archiveName(file, kMoveTime), archived);
}

// Read back: the name before archiving (a CSV file's extension as ".csv") and the time.
TEST(ArchiveName, ReadsBackTheNameAndTheTimeOfTheMove) {
  const std::pair<const char*, const char*> names[] = {
      {"plant1.csv", "plant1.csv"},   {"DATA.CSV", "DATA.csv"},
      {"a.b.csv", "a.b.csv"},         {"plant1.csv.gz", "plant1.csv.gz"},
      {"DATA.CSV.GZ", "DATA.csv.GZ"}, {"export.TXT", "export.TXT"},
      {"a.b.dat.gz", "a.b.dat.gz"},   {"noextension", "noextension"},
      {".hidden", ".hidden"}};
  for (const auto& [file, original] : names) {
    const auto archived = readArchiveName(archiveName(file, kMoveTime));
    ASSERT_TRUE(archived) << file;
    EXPECT_EQ(archived->original, original);
    EXPECT_EQ(archived->at, kMoveTime);
  }
  for (const char* other : {"plant1.csv", "x__240307_1405.csv", "x__241307_140509.csv",
                            "x__240307_140509.csv.err", "x_240307_140509.csv"}) {
    EXPECT_FALSE(readArchiveName(other)) << other;
  }
}

class ArchiveTest : public ImportRunTest {
 public:
  ArchiveTest() {
    test.clock.set(kMoveTime);
    settings.archive = true;
    writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  }
  ArchiveMove plan() {
    const RunPlan run = readRunPlan(session, settings);
    return planArchive(run.sourceFolder, run.archiveFolder, "plant1.csv", test.clock.now());
  }
};

// A run whose file cannot be archived: the file's rows are rolled back and it stays in place.
// A file gone, or whose archive name is taken, is another loader's on the same folder: passed
// over, and the run ends normally.
struct FailureCase {
  const char* name;
  std::function<void(ArchiveTest&)> arrange;
  std::string error;  // the start of the run's line that tells
  std::size_t rows;   // of the files before it
  RunEnd end = RunEnd::Failed;
};

class ArchiveFailure : public ArchiveTest, public ::testing::WithParamInterface<FailureCase> {};

const std::string kTaken = "Passed over plant1.csv: taken by another loader";

TEST_P(ArchiveFailure, RollsTheFileBackAndKeepsIt) {
  GetParam().arrange(*this);
  EXPECT_EQ(runImport(), GetParam().end);
  const Lines lines = logTexts();
  EXPECT_TRUE(std::ranges::any_of(lines, [](const std::string& line) {
    return startsWith(line, GetParam().error);
  })) << lines.back();
  EXPECT_EQ(tableRows().size(), GetParam().rows);
  EXPECT_EQ(fs::is_regular_file(sourceFolder / "plant1.csv"), GetParam().rows == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ArchiveFailure,
    ::testing::Values(
        FailureCase{"name_taken",
                    [](ArchiveTest& t) { writeFile(t.archiveFolder / kArchived, "earlier"); },
                    kTaken, 0, RunEnd::Normal},
        FailureCase{"archive_folder_missing", [](ArchiveTest& t) { fs::remove(t.archiveFolder); },
                    "Error 76 - Path not found: archive folder ", 0},
        FailureCase{"file_gone_before_its_turn",
                    [](ArchiveTest& t) {
                      t.writeCsv("a.csv", csvLines({"h", "2024-03-07 13:00:00,A,0"}));
                      t.test.eventLoop.onYield = [&t] {
                        fs::remove(t.sourceFolder / "plant1.csv");
                      };
                    },
                    kTaken, 1, RunEnd::Normal},
        FailureCase{"refused_row",
                    [](ArchiveTest& t) {
                      t.exec("DROP TABLE CSVDATA");
                      t.exec(
                          "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL CHECK "
                          "(Value < 0))");
                    },
                    "Error ", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArchiveTest, FileWrittenToDuringTheRunIsLeftForTheNextRunWhichImportsItOnce) {
  writeCsv("q.csv", csvLines({"h", "2024-03-07 15:00:00,B,4"}));
  test.eventLoop.onYield = [&] {
    writeCsv("q.csv", csvLines({"h", "2024-03-07 15:00:00,B,4", "2024-03-07 15:01:00,B,5"}));
    test.eventLoop.onYield = nullptr;
  };
  EXPECT_EQ(runImport(), RunEnd::Normal);
  const Lines lines = logTexts();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "File q.csv changed while it was being read: its rows are rolled back and "
                      "it stays for the next run"),
            lines.end());
  EXPECT_EQ(tableRows().size(), 1u);
  EXPECT_EQ(runImport(), RunEnd::Normal);
  EXPECT_EQ(tableRows().size(), 3u);
  EXPECT_EQ(namesIn(sourceFolder), Lines{});
}

// A file that cannot be read when its turn comes is passed over, and the run goes on.
TEST_F(ArchiveTest, FileTurnedFolderBeforeItsTurnIsPassedOver) {
  writeCsv("a.csv", csvLines({"h", "2024-03-07 13:00:00,A,0"}));
  writeCsv("z.csv", csvLines({"h", "2024-03-07 15:00:00,Z,0"}));
  test.eventLoop.onYield = [&] {
    fs::remove(sourceFolder / "plant1.csv");
    fs::create_directory(sourceFolder / "plant1.csv");
  };
  EXPECT_EQ(runImport(), RunEnd::Normal);
  const Lines lines = logTexts();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Passed over plant1.csv: it cannot be read (it is not a regular file)"),
            lines.end());
  EXPECT_EQ(run.report().setAside,
            Lines{"Passed over plant1.csv: it cannot be read (it is not a regular file)"});
  EXPECT_EQ(tableRows().size(), 2u);
  EXPECT_TRUE(fs::is_directory(sourceFolder / "plant1.csv"));
}

TEST_F(ArchiveTest, PlanLeavesTheArchiveFolderEmptyUntilTheMove) {
  {
    const ArchiveMove move = plan();
    EXPECT_EQ(namesIn(archiveFolder), Lines{});
    EXPECT_NO_THROW(plan()) << "a plan dropped, or a run killed, blocks no name";
  }
  ArchiveFile(plan());
  EXPECT_EQ(readFile(archiveFolder / kArchived), csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  EXPECT_FALSE(inSource("plant1.csv"));
}

TEST_F(ArchiveTest, SourceFolderUnderAnotherSpellingOrALinkIsRefused) {
  // Windows makes links only for administrators or in developer mode (Wine not at all).
  std::error_code noLinks;
  fs::create_directory_symlink(sourceFolder, test.folder.path() / "link", noLinks);
  if (!noLinks) {
    EXPECT_THROW(checkArchiveFolder(sourceFolder, test.folder.path() / "link/"), Error);
  }
  EXPECT_THROW(checkArchiveFolder(sourceFolder, sourceFolder / ".." / "in"), Error);
  EXPECT_NO_THROW(checkArchiveFolder(sourceFolder, archiveFolder));
}

}  // namespace
}  // namespace csv2sql::testing
