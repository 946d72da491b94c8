#include "log/folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

// The explanation for a level that cannot be made, for the path as it stood then.
std::string failureText(const std::string& error, const std::string& path) {
  return "Function CreateDirectory: Error " + error + "\r\rDirectoryPath = " + path +
         "\r\rThis is most likely because the \rfunction tried to create a \r"
         "directory on a mapped drive that\rno longer exists.\r";
}

class FoldersTest : public ::testing::Test {
 protected:
  FoldersTest() {
    fs::create_directory(ts.folder.path() / "Data");
    writeFile(ts.folder.path() / "plain", "x");
  }
  std::string under(const std::string& relative) const {
    return (ts.folder.path() / relative).string();
  }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

TEST_F(FoldersTest, DirExistAnswersForFoldersAndFiles) {
  const struct {
    const char* name;
    std::string path;
    bool exists;
  } cases[] = {
      {"folder", under("Data"), true},
      {"final_separator_dropped", under("Data") + kSeparator, true},
      {"file_counts", under("plain"), true},
      {"missing", under("Archive"), false},
      {"missing_with_final_separator", under("Archive/"), false},
      {"below_a_file", under("plain/Data"), false},
      {"root_keeps_its_separator", ts.folder.path().root_path().string(), true},
  };
  for (const auto& c : cases) EXPECT_EQ(DirExist(messages, c.path), c.exists) << c.name;
  EXPECT_TRUE(shown().empty());
  EXPECT_FALSE(DirExist(messages, under(std::string(300, 'x'))));  // a failed look-up
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Error in Procedure DirExist\r\nError 52 - Bad file name or number");
  EXPECT_EQ(shown()[0].buttons, mb::Critical);
}

TEST_F(FoldersTest, CreateDirectoryMakesEveryMissingLevelAndWalksOverExistingOnes) {
  for (const char* path : {"Data", "Data/", "plain", "Data/Logs/Run", "Other/Level/"}) {
    CreateDirectory(messages, under(path));
  }
  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Data" / "Logs" / "Run"));
  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Other" / "Level"));
  EXPECT_TRUE(fs::is_regular_file(ts.folder.path() / "plain"));
  EXPECT_TRUE(shown().empty());
}

// A level below a plain file gives "path not found"; even an unattended run shows the plain box.
TEST_F(FoldersTest, PathNotFoundShowsThePlainBoxTextByteForByte) {
  ts.session.UnattendedMode = true;
  const std::string path = under("plain") + kSeparator + "Logs";
  CreateDirectory(messages, path);
  CreateDirectory(messages, path + kSeparator);
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_EQ(shown()[0].prompt, failureText("76\rPath not found", path + kSeparator));
  EXPECT_EQ(shown()[0].buttons, mb::OkOnly);
  EXPECT_FALSE(shown()[0].title);
  EXPECT_EQ(shown()[1].prompt, shown()[0].prompt);
}

TEST_F(FoldersTest, BadNameShowsThePlainBoxAndKeepsTheLevelsMadeBefore) {
  const std::string path = under("Made/Also") + kSeparator + std::string(300, 'x') + kSeparator;
  CreateDirectory(messages, path + "Never");
  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Made" / "Also"));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt,
            failureText("52\rBad file name or number", path + "Never" + kSeparator));
}

// A symbolic link to itself is neither missing nor a bad name: the system's own message goes
// into the error report.
TEST_F(FoldersTest, OtherFailureGoesToTheErrorReport) {
  fs::create_symlink("Loop", ts.folder.path() / "Loop");
  CreateDirectory(messages, under("Loop/Data"));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt,
            "Error in Procedure CreateDirectory\r\nError 75 - Path/File access error: " +
                std::make_error_code(std::errc::too_many_symbolic_link_levels).message());
  EXPECT_EQ(shown()[0].buttons, mb::Critical);
}

}  // namespace
}  // namespace csv2sql
