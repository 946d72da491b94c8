#include "import/archive.h"
#include "import/run_plan.h"

#include <gtest/gtest.h>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

using Names = std::vector<std::string>;
using Rows = std::vector<TableRow>;

const DateTime kMoveTime = DateTime::fromParts(2024, 3, 7, 14, 5, 9);

struct NameCase {
  std::string label;
  std::string file;
  std::string archived;
};

class ArchiveName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ArchiveName, ReplacesTheExtensionWithTheTimeAndLowerCaseCsv) {
  EXPECT_EQ(archiveName(GetParam().file, kMoveTime), GetParam().archived);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ArchiveName,
    ::testing::Values(NameCase{"plant1", "plant1.csv", "plant1__240307_140509.csv"},
                      NameCase{"upper_case", "DATA.CSV", "DATA__240307_140509.csv"},
                      NameCase{"inner_dot", "a.b.csv", "a.b__240307_140509.csv"},
                      NameCase{"extension_only", ".csv", "__240307_140509.csv"}),
    [](const auto& info) { return info.param.label; });

// Plans and moves with the folders as a run reads them from the window.
class ArchiveTest : public ImportRunTest {
 protected:
  ArchiveTest() { test.clock.set(kMoveTime); }

  ArchiveMove plan() {
    const RunPlan run = readRunPlan(session);
    return planArchive(run.sourceFolder, run.archiveFolder, "plant1.csv", test.clock.now());
  }

  void expectPlanError(std::int32_t number, const std::string& description) {
    try {
      plan();
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), number);
      EXPECT_EQ(error.description(), description);
    }
  }
};

TEST_F(ArchiveTest, MovesTheFileInOneRename) {
  writeCsv("plant1.csv", "x\r\n");
  form().txtSourceCSV.setText(" " + sourceFolder.string() + " ");
  form().txtArchiveFolder.setText(archiveFolder.string() + "/");
  const ArchiveMove move = plan();
  EXPECT_EQ(move.from, sourceFolder / "plant1.csv");
  EXPECT_EQ(move.to, archiveFolder / "plant1__240307_140509.csv");
  ArchiveFile(move);
  EXPECT_FALSE(inSource("plant1.csv"));
  EXPECT_EQ(readFile(move.to), "x\r\n");
}

TEST_F(ArchiveTest, PlanHoldsTheArchiveNameUntilTheMoveOrItsEnd) {
  writeCsv("plant1.csv", "x\r\n");
  const std::filesystem::path name = archiveFolder / "plant1__240307_140509.csv";
  {
    const ArchiveMove move = plan();
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(std::filesystem::file_size(name), 0u);
    // Another plan for the same name, in the same second, finds it taken.
    expectPlanError(58, "File already exists: " + name.string());
  }
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_TRUE(inSource("plant1.csv"));
}

TEST_F(ArchiveTest, ArchiveFolderThatIsTheSourceFolderIsRefused) {
  writeCsv("plant1.csv", "x\r\n");
  form().txtArchiveFolder.setText(sourceFolder.string() + "/../in");
  expectPlanError(75, "The archive folder " + sourceFolder.string() +
                          "/../in/ is the source folder: archived files would be imported "
                          "again. Choose another archive folder.");
}

TEST_F(ArchiveTest, LinkToTheSourceFolderIsTheSourceFolder) {
  std::filesystem::create_directory_symlink(sourceFolder, test.folder.path() / "link");
  EXPECT_THROW(
      checkArchiveFolder(sourceFolder.string() + "/", (test.folder.path() / "link/").string()),
      Error);
  EXPECT_NO_THROW(checkArchiveFolder(sourceFolder.string() + "/", archiveFolder.string() + "/"));
}

// A folder on another file system than `than` (a rename into it fails as a move across
// volumes), removed with what it holds; empty when the machine has none.
class OtherVolumeFolder {
 public:
  explicit OtherVolumeFolder(const std::filesystem::path& than) {
    std::error_code ec;
    path_ = std::filesystem::path("/dev/shm") / ("csv2sql-" + than.filename().string());
    if (!std::filesystem::create_directory(path_, ec)) {
      path_.clear();
      return;
    }
    writeFile(than / "probe", "");
    std::filesystem::rename(than / "probe", path_ / "probe", ec);
    const bool otherVolume = ec == std::errc::cross_device_link;
    std::filesystem::remove(than / "probe", ec);
    if (!otherVolume) {
      std::filesystem::remove_all(path_, ec);
      path_.clear();
    }
  }
  ~OtherVolumeFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  OtherVolumeFolder(const OtherVolumeFolder&) = delete;
  OtherVolumeFolder& operator=(const OtherVolumeFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST_F(ArchiveTest, ArchiveOnAnotherVolumeIsReachedByCopyAndRemoval) {
  const OtherVolumeFolder other(test.folder.path());
  if (other.path().empty()) GTEST_SKIP() << "no second file system here";
  writeCsv("plant1.csv", "x\r\n");
  form().txtArchiveFolder.setText(other.path().string());
  ArchiveFile(plan());
  EXPECT_FALSE(inSource("plant1.csv"));
  EXPECT_EQ(readFile(other.path() / "plant1__240307_140509.csv"), "x\r\n");
}

TEST_F(ArchiveTest, RunArchivesTheThreeExampleNames) {
  for (const char* name : {"plant1.csv", "DATA.CSV", "a.b.csv"}) {
    writeCsv(name, csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  }
  form().chkArchive.setValue(1);
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Normal);
  EXPECT_EQ(namesIn(archiveFolder), (Names{"DATA__240307_140509.csv", "a.b__240307_140509.csv",
                                           "plant1__240307_140509.csv"}));
  EXPECT_TRUE(namesIn(sourceFolder).empty());
  EXPECT_EQ(tableRows().size(), 3u);
}

TEST_F(ArchiveTest, CollisionRollsTheFileBackAndKeepsIt) {
  writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  writeFile(archiveFolder / "plant1__240307_140509.csv", "earlier\r\n");
  form().chkArchive.setValue(1);

  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);

  const auto lines = logTexts();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Archiving plant1.csv to " + archiveFolder.string());
  EXPECT_EQ(lines.back(), "Error 58 - File already exists: " +
                              (archiveFolder / "plant1__240307_140509.csv").string());
  EXPECT_TRUE(tableRows().empty());
  EXPECT_TRUE(inSource("plant1.csv"));
  EXPECT_EQ(readFile(archiveFolder / "plant1__240307_140509.csv"), "earlier\r\n");
  EXPECT_FALSE(form().btnTransferData.enabled());
}

TEST_F(ArchiveTest, MissingArchiveFolderRollsTheFileBack) {
  writeCsv("plant1.csv", csvLines({"h", "2024-03-07 14:00:00,A,1"}));
  std::filesystem::remove(archiveFolder);
  form().chkArchive.setValue(1);
  EXPECT_EQ(run.btnTransferData_Click(), RunEnd::Failed);
  EXPECT_EQ(logTexts().back(),
            "Error 76 - Path not found: archive folder " + archiveFolder.string() + "/");
  EXPECT_TRUE(tableRows().empty());
  EXPECT_TRUE(inSource("plant1.csv"));
}

}  // namespace
}  // namespace csv2sql::testing
