#include "settings/ini_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "settings/file_handle.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using Items = std::vector<std::string>;

Items readItems(const std::string& bytes) {
  testing::TempDir folder;
  const auto path = folder.path() / "config.ini";
  testing::writeFile(path, bytes);
  std::error_code ec;
  const FileHandle file = openFile(path, "rb", ec);
  EXPECT_FALSE(ec);
  IniItemReader reader(file.get());
  Items items;
  for (std::string item; reader.next(item);) items.push_back(item);
  return items;
}

struct ItemCase {
  const char* name;
  std::string bytes;
  Items items;
};

void PrintTo(const ItemCase& c, std::ostream* out) {
  *out << c.name;
}

class IniItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(IniItems, SplitsAsTheReadingUnitSays) {
  EXPECT_EQ(readItems(GetParam().bytes), GetParam().items);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Edges, IniItems,
    ::testing::Values(
        ItemCase{"empty_file", "", {}}, ItemCase{"only_spaces", "   ", {}},
        ItemCase{"windows_line_ends", "A=1\r\nB=2\r\n", {"A=1", "B=2"}},
        ItemCase{"bare_lf", "A=1\nB=2\n", {"A=1", "B=2"}},
        ItemCase{"bare_cr", "A=1\rB=2\r", {"A=1", "B=2"}},
        ItemCase{"mixed_line_ends", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
        ItemCase{"last_line_without_end", "A=1\r\nB=2", {"A=1", "B=2"}},
        ItemCase{"empty_lines_give_empty_items", "A\r\n\r\n\nB", {"A", "", "", "B"}},
        ItemCase{"comma_ends_item", "CSVFOLDER=D:\\In,Old", {"CSVFOLDER=D:\\In", "Old"}},
        ItemCase{"comma_then_line_end", "A,\r\nB", {"A", "", "B"}},
        ItemCase{"spaces_before_item_skipped", "   A=1,   B=2", {"A=1", "B=2"}},
        ItemCase{"spaces_at_end_of_unquoted_dropped", "A=1   ,B= 2 \r\n", {"A=1", "B= 2"}},
        ItemCase{"tabs_are_kept", "\tA=1\t\r\n", {"\tA=1\t"}},
        ItemCase{"quoted_comma", "\"A=1,2\",B", {"A=1,2", "B"}},
        ItemCase{"quoted_keeps_spaces", "  \" A=1 \"  ", {" A=1 "}},
        ItemCase{"quoted_line_ends", "\"A=1\r\n2\r3\n4\"\r\nB", {"A=1\r\n2\r3\n4", "B"}},
        ItemCase{"after_closing_quote_dropped", "\"A=1\" junk, more\r\nB", {"A=1", "more", "B"}},
        ItemCase{"unclosed_quote_runs_to_end", "\"A=1,\r\nB=2", {"A=1,\r\nB=2"}},
        ItemCase{"empty_quoted_item", "\"\",A", {"", "A"}},
        ItemCase{"quote_inside_unquoted_is_ordinary", "A=\"x,y\"", {"A=\"x", "y\""}},
        ItemCase{"nul_bytes_pass_through", "A=\0b\0,\0"s, {"A=\0b\0"s, "\0"s}},
        ItemCase{
            "invalid_utf8_passes_through", "A=\xff\xfe\xc3(,\x80", {"A=\xff\xfe\xc3(", "\x80"}},
        // The reader refills its 64 KiB buffer between the CR and the LF.
        ItemCase{"line_end_across_buffer_refill",
                 std::string(64 * 1024 - 1, 'x') + "\r\nB",
                 {std::string(64 * 1024 - 1, 'x'), "B"}},
        ItemCase{"item_longer_than_buffer",
                 "A=" + std::string(200 * 1024, 'v') + ",B",
                 {"A=" + std::string(200 * 1024, 'v'), "B"}},
        ItemCase{"quoted_item_longer_than_buffer",
                 "\"" + std::string(70 * 1024, ',') + "\"",
                 {std::string(70 * 1024, ',')}}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder opens as a C stream on Linux and fails on its first read; Windows refuses to open it.
#ifndef _WIN32
TEST(IniItemsFailure, UnreadableFileRaisesTheSystemsError) {
  testing::TempDir folder;
  std::error_code ec;
  const FileHandle file = openFile(folder.path(), "rb", ec);
  ASSERT_TRUE(file) << ec.message();
  IniItemReader reader(file.get());
  std::string item;
  try {
    reader.next(item);
    FAIL() << "reading a folder succeeded";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), err::PathFileAccess);
  }
}
#endif

}  // namespace
}  // namespace csv2sql
