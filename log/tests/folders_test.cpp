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
using testing::readLines;
using testing::writeFile;

const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

// The explanation for a level that cannot be made, for the path as it stood then.
std::string failureText(const std::string& firstLine, const std::string& description,
                        const std::string& path) {
  return firstLine + "\r" + description + "\r\rDirectoryPath = " + path +
         "\r\rThis is most likely because the \rfunction tried to create a \r"
         "directory on a mapped drive that\rno longer exists.\r";
}

class FoldersTest : public ::testing::Test {
 protected:
  std::string under(const std::string& relative) const {
    return (ts.folder.path() / relative).string();
  }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

struct ExistCase {
  const char* name;
  const char* path;
  bool exists;
};

class DirExistCase : public FoldersTest, public ::testing::WithParamInterface<ExistCase> {};

TEST_P(DirExistCase, AnswersForTheName) {
  fs::create_directory(ts.folder.path() / "Data");
  writeFile(ts.folder.path() / "readings.csv", "x");
  EXPECT_EQ(DirExist(messages, under(GetParam().path)), GetParam().exists);
  EXPECT_TRUE(shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, DirExistCase,
                         ::testing::Values(ExistCase{"folder", "Data", true},
                                           ExistCase{"folder_with_final_separator", "Data/", true},
                                           ExistCase{"file_counts", "readings.csv", true},
                                           ExistCase{"missing", "Archive", false},
                                           ExistCase{"missing_with_final_separator", "Archive/",
                                                     false},
                                           ExistCase{"below_a_file", "readings.csv/Data", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FoldersTest, DirExistDropsOnlyOneFinalSeparatorAndKeepsTheRoot) {
  EXPECT_TRUE(DirExist(messages, ts.folder.path().root_path().string()));
  EXPECT_TRUE(DirExist(messages, ts.folder.path().string() + kSeparator));
  EXPECT_TRUE(shown().empty());
}

TEST_F(FoldersTest, DirExistReportsAFailedLookUpAndAnswersFalse) {
  const std::string tooLong = under(std::string(300, 'x'));
  EXPECT_FALSE(DirExist(messages, tooLong));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Error in Procedure DirExist\r\nError 52 - Bad file name or number");
  EXPECT_EQ(shown()[0].buttons, mb::Critical);
}

TEST_F(FoldersTest, CreateDirectoryOnExistingFolderCreatesAndShowsNothing) {
  fs::create_directory(ts.folder.path() / "Data");
  CreateDirectory(messages, under("Data"));
  CreateDirectory(messages, under("Data/"));
  EXPECT_TRUE(shown().empty());
  EXPECT_TRUE(fs::is_empty(ts.folder.path() / "Data"));
}

TEST_F(FoldersTest, CreateDirectoryMakesEveryMissingLevel) {
  CreateDirectory(messages, under("Data/Logs/Run"));
  CreateDirectory(messages, under("Other/Level/"));
  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Data" / "Logs" / "Run"));
  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Other" / "Level"));
  EXPECT_TRUE(shown().empty());
}

TEST_F(FoldersTest, CreateDirectoryOnExistingFileShowsNothing) {
  writeFile(ts.folder.path() / "log", "x");
  CreateDirectory(messages, under("log"));
  EXPECT_TRUE(fs::is_regular_file(ts.folder.path() / "log"));
  EXPECT_TRUE(shown().empty());
}

// Here a level below a plain file is what gives "path not found" (the system says "not a
// directory"); the file level itself exists and is walked over.
TEST_F(FoldersTest, PathNotFoundShowsThePlainBoxTextByteForByte) {
  writeFile(ts.folder.path() / "Data", "x");
  const std::string path = under("Data") + kSeparator + "Logs";
  CreateDirectory(messages, path);

  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt,
            failureText("Function CreateDirectory: Error 76", "Path not found", path + kSeparator));
  EXPECT_EQ(shown()[0].buttons, mb::OkOnly);
  EXPECT_FALSE(shown()[0].title.has_value());
}

TEST_F(FoldersTest, PathGivenWithFinalSeparatorIsShownAsGiven) {
  writeFile(ts.folder.path() / "Data", "x");
  const std::string path = under("Data") + kSeparator + "Logs" + kSeparator;
  CreateDirectory(messages, path);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt,
            failureText("Function CreateDirectory: Error 76", "Path not found", path));
}

TEST_F(FoldersTest, PlainBoxIsShownEvenWhenUnattended) {
  ts.session.UnattendedMode = true;
  writeFile(ts.folder.path() / "Data", "x");
  CreateDirectory(messages, under("Data/Logs"));
  EXPECT_EQ(shown().size(), 1u);
}

TEST_F(FoldersTest, BadNameShowsThePlainBoxAndKeepsTheLevelsMadeBefore) {
  const std::string path =
      under("Made/Also") + kSeparator + std::string(300, 'x') + kSeparator + "Never";
  CreateDirectory(messages, path);

  EXPECT_TRUE(fs::is_directory(ts.folder.path() / "Made" / "Also"));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, failureText("Function CreateDirectory: Error 52",
                                           "Bad file name or number", path + kSeparator));
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

TEST_F(FoldersTest, ServiceStartNeverWaitsAndKeepsTheTextInErrorStreamAndLog) {
  ts.session.ServiceMode = true;
  log.OpenLogFile("R27731");
  writeFile(ts.folder.path() / "Data", "x");
  const std::string path = under("Data") + kSeparator + "Logs";
  CreateDirectory(messages, path);

  const std::string text =
      failureText("Function CreateDirectory: Error 76", "Path not found", path + kSeparator);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(ts.errors.str(), text + "\n");
  const auto lines = readLines(log.logFolder() / log.LogFileName());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[2].find("SILENT VEXMSGBOX"), std::string::npos);
  EXPECT_NE(lines.back().find(std::string(77, '=')), std::string::npos);
}

}  // namespace
}  // namespace csv2sql
