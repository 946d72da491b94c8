#include "log/folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "core/system_error.h"
#include "log/messages.h"
#include "log/run_log.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

namespace fs = std::filesystem;

class FoldersTest : public ::testing::Test {
 protected:
  std::string under(const std::string& relative) const {
    return (ts.folder.path() / relative).make_preferred().string();
  }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

TEST_F(FoldersTest, DirExistAnswersForFoldersAndFiles) {
  testing::writeFile(under("plain"), "x");
  EXPECT_TRUE(DirExist(messages, under("plain")));  // a file counts
  EXPECT_TRUE(DirExist(messages, under("")));       // the final separator is dropped
  EXPECT_TRUE(DirExist(messages, ts.folder.path().root_path().string()));
  EXPECT_FALSE(DirExist(messages, under("Archive/")));
#ifndef _WIN32  // there a name too long for the system is only not found
  EXPECT_FALSE(DirExist(messages, under(std::string(300, 'x'))));  // a failed look-up
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Error in Procedure DirExist\r\nError 52 - Bad file name or number");
#endif
}

// A symbolic link to itself is neither missing nor a bad name: the system's message is reported.
// A level below a plain file gives "path not found" in a plain box, even in an unattended run.
TEST_F(FoldersTest, CreateDirectoryMakesEveryMissingLevelOrShowsWhyNot) {
  CreateDirectory(messages, under("Data/Logs/"));
  EXPECT_TRUE(fs::is_directory(under("Data/Logs")));
  testing::writeFile(under("plain"), "x");
  CSV2SQL_SYMLINK_OR_SKIP("Loop", under("Loop"));
  CreateDirectory(messages, under("Loop/Data"));
  ts.session.UnattendedMode = true;
  CreateDirectory(messages, under("plain/Logs"));
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_EQ(shown()[1].prompt,
            "Function CreateDirectory: Error 76\rPath not found\r\r"
            "DirectoryPath = " +
                under("plain/Logs/") +
                "\r\rThis is most likely because the \rfunction tried to "
                "create a \rdirectory on a mapped drive that\rno longer "
                "exists.\r");
  EXPECT_EQ(shown()[1].buttons, mb::OkOnly);
  EXPECT_EQ(shown()[0].prompt,
            "Error in Procedure CreateDirectory\r\nError 75 - Path/File access error: " +
                std::make_error_code(std::errc::too_many_symbolic_link_levels).message());
}

// The tests above and the settings tests meet the other mappings for real.
TEST(ErrorFromSystem, DiskFullAndRefusedAccessHaveTheirOwnNumbers) {
  using std::errc;
  EXPECT_STREQ(errorFromSystem(make_error_code(errc::no_space_on_device)).what(), "61 - Disk full");
  EXPECT_STREQ(errorFromSystem(make_error_code(errc::permission_denied)).what(),
               "75 - Path/File access error");
}

}  // namespace
}  // namespace csv2sql
