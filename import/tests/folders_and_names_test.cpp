#include <gtest/gtest.h>

#include "import/folder_text.h"
#include "import/source_listing.h"
#include "import/text_encoding.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

struct FolderCase {
  std::string name;
  std::string typed;
  std::string folder;
};

class FolderText : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderText, TrimsAndEndsWithOneSeparator) {
  EXPECT_EQ(folderFromText(GetParam().typed), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Typed, FolderText,
                         ::testing::Values(FolderCase{"with_separator", "/data/in/", "/data/in/"},
                                           FolderCase{"without_separator", "/data/in", "/data/in/"},
                                           FolderCase{"spaces_around", "  /data/in  ", "/data/in/"},
                                           FolderCase{"tab_is_kept", "/data/in\t", "/data/in\t/"},
                                           FolderCase{"empty", "", "/"}),
                         [](const auto& info) { return info.param.name; });

TEST(SourceListing, CsvFilesInAnyCaseSortedWithoutRegardToCase) {
  TempDir folder;
  for (const char* name :
       {"b.csv", "A.CSV", "c.Csv", "a.csv", ".hidden.csv", "x.txt", "x.csv.bak", "csv"}) {
    writeFile(folder.path() / name, "h\r\n");
  }
  std::filesystem::create_directory(folder.path() / "dir.csv");
  std::filesystem::create_symlink(folder.path() / "missing", folder.path() / "dangling.csv");
  std::filesystem::create_symlink(folder.path() / "loop.csv", folder.path() / "loop.csv");
  const SourceListing listing = listSourceFiles(folder.path());
  EXPECT_EQ(listing.names, (std::vector<std::string>{"A.CSV", "a.csv", "b.csv", "c.Csv"}));
  using PassedOver = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(listing.passedOver, (PassedOver{{"dangling.csv", "it is a link to nothing"},
                                            {"dir.csv", "it is a folder"},
                                            {"loop.csv", "Too many levels of symbolic links"}}));
}

struct Utf8Case {
  std::string name;
  std::string bytes;
  bool valid;
};

class Utf8Check : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Check, AcceptsOnlyWellFormedSequences) {
  EXPECT_EQ(isValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Check,
    ::testing::Values(
        Utf8Case{"ascii", "FIT101", true}, Utf8Case{"empty", "", true},
        Utf8Case{"two_bytes", "\xC2\xB0", true}, Utf8Case{"three_bytes", "\xE2\x82\xAC", true},
        Utf8Case{"four_bytes", "\xF0\x9F\x98\x80", true}, Utf8Case{"latin1_degree", "\xB0", false},
        Utf8Case{"cut_short", "\xE2\x82", false}, Utf8Case{"overlong_slash", "\xC0\xAF", false},
        Utf8Case{"overlong_three", "\xE0\x80\xAF", false},
        Utf8Case{"surrogate", "\xED\xA0\x80", false},
        Utf8Case{"past_10FFFF", "\xF4\x90\x80\x80", false},
        Utf8Case{"lone_continuation", "\x80", false},
        Utf8Case{"five_byte_lead", "\xF8\x88\x80\x80\x80", false}),
    [](const auto& info) { return info.param.name; });

TEST(Windows1252, IsConvertedToUtf8) {
  std::string buffer;
  EXPECT_EQ(asUtf8("TT1 \xB0"
                   "C",
                   buffer),
            "TT1 \xC2\xB0"
            "C");
  EXPECT_EQ(asUtf8("\x80 \x9F \xFF \x81", buffer), "\xE2\x82\xAC \xC5\xB8 \xC3\xBF \xC2\x81");
}

TEST(Windows1252, Utf8TextIsReturnedAsItIs) {
  std::string buffer;
  const std::string text =
      "TT1 \xC2\xB0"
      "C";
  const std::string_view result = asUtf8(text, buffer);
  EXPECT_EQ(result.data(), text.data());
  EXPECT_TRUE(buffer.empty());
}

}  // namespace
}  // namespace csv2sql::testing
