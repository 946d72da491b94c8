#include <gtest/gtest.h>

#include <algorithm>

#include "import/file_patterns.h"
#include "import/folder_text.h"
#include "import/source_listing.h"
#include "import/text_encoding.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

// "@" is the separator the program adds: the platform's own.
TEST(FolderText, TrimsAndEndsWithOneSeparator) {
  const std::pair<const char*, std::string> cases[] = {{"/data/in/", "/data/in/"},
                                                       {"  /data/in", "/data/in@"},
                                                       {"/data/in\t", "/data/in\t@"},
                                                       {"", "@"}};
  for (auto [typed, folder] : cases) {
    std::ranges::replace(folder, '@',
                         static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(folderFromText(typed), folder) << typed;
  }
}

TEST(FolderText, ARelativeFolderIsBelowTheProgramsFolder) {
  const std::filesystem::path program = std::filesystem::temp_directory_path() / "program";
  const std::filesystem::path elsewhere = std::filesystem::temp_directory_path() / "data";
  EXPECT_EQ(runFolder(program, "in"), program / "in" / "");
  EXPECT_EQ(runFolder(program, " ../in "), program / ".." / "in" / "");
  EXPECT_EQ(runFolder(program, elsewhere), elsewhere / "");
}

TEST(SourceListing, CsvFilesInAnyCaseSortedWithoutRegardToCase) {
  TempDir folder;
  for (const char* name :
       {"b.csv", "A.CSV", "c.Csv", "a.csv", ".hidden.csv", "x.txt", "x.csv.bak", "csv"}) {
    writeFile(folder.path() / name, "h\r\n");
  }
  std::filesystem::create_directory(folder.path() / "dir.csv");
  CSV2SQL_SYMLINK_OR_SKIP(folder.path() / "missing", folder.path() / "dangling.csv");
  std::filesystem::create_symlink(folder.path() / "loop.csv", folder.path() / "loop.csv");
  const SourceListing listing = listSourceFiles(folder.path());
  EXPECT_EQ(listing.names, (std::vector<std::string>{"A.CSV", "a.csv", "b.csv", "c.Csv"}));
  using PassedOver = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(listing.passedOver, (PassedOver{{"dangling.csv", "it is a link to nothing"},
                                            {"dir.csv", "it is a folder"},
                                            {"loop.csv", "Too many levels of symbolic links"}}));
}

// "*" lists every file but the lock that loaders sharing the folder hold, whose leading dot hides
// nothing on Windows.
TEST(SourceListing, EveryNameButTheLoadersLock) {
  TempDir folder;
  for (const char* name : {"b.txt", "a", ".csv2sql.lock"}) writeFile(folder.path() / name, "h\r\n");
  const SourceListing listing = listSourceFiles(folder.path(), FilePatterns::read("*"));
  EXPECT_EQ(listing.names, (std::vector<std::string>{"a", "b.txt"}));
}

TEST(Utf8Check, AcceptsOnlyWellFormedSequences) {
  for (const char* valid : {"FIT101", "", "\xC2\xB0", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
    EXPECT_TRUE(isValidUtf8(valid)) << valid;
  }
  for (const char* invalid : {"\xB0", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                              "\xF4\x90\x80\x80", "\x80", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_FALSE(isValidUtf8(invalid)) << invalid;
  }
}

// Text that is not UTF-8 is read as Windows-1252; UTF-8 text is returned as it is, uncopied.
TEST(Windows1252, IsConvertedToUtf8) {
  std::string buffer;
  EXPECT_EQ(asUtf8("\xB0 \x80 \x9F \xFF \x81", buffer),
            "\xC2\xB0 \xE2\x82\xAC \xC5\xB8 \xC3\xBF \xC2\x81");
  const std::string utf8 = "TT1 \xC2\xB0";
  EXPECT_EQ(asUtf8(utf8, buffer).data(), utf8.data());
}

}  // namespace
}  // namespace csv2sql::testing
