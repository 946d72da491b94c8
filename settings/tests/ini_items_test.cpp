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
using namespace std::string_literals;

Items readItems(const std::string& bytes) {
  testing::TempDir folder;
  testing::writeFile(folder.path() / "config.ini", bytes);
  std::error_code ec;
  const FileHandle file = openFile(folder.path() / "config.ini", "rb", ec);
  EXPECT_FALSE(ec);
  IniItemReader reader(file.get());
  Items items;
  for (std::string item; reader.next(item);) items.push_back(item);
  return items;
}

TEST(IniItemReader, SplitsAtCommasAndLineEndsWithQuotesKeepingBoth) {
  const std::string longLine(64 * 1024 - 1, 'x'), longItem(200 * 1024, 'v'), commas(70 * 1024, ',');
  const struct {
    const char* name;
    std::string bytes;
    Items items;
  } cases[] = {
      {"empty_file", "", {}},
      {"only_spaces", "   ", {}},
      {"mixed_line_ends", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
      {"empty_lines_give_empty_items", "A\r\n\r\n\nB\r\n", {"A", "", "", "B"}},
      {"comma_ends_item", "CSVFOLDER=D:\\In,Old", {"CSVFOLDER=D:\\In", "Old"}},
      {"comma_then_line_end", "A,\r\nB", {"A", "", "B"}},
      {"spaces_before_item_skipped", "   A=1,   B=2", {"A=1", "B=2"}},
      {"spaces_at_end_of_unquoted_dropped", "A=1   ,B= 2 \r\n", {"A=1", "B= 2"}},
      {"tabs_are_kept", "\tA=1\t\r\n", {"\tA=1\t"}},
      {"quoted_keeps_commas_spaces_and_line_ends",
       "  \" A=1,\r\n2\r3\n4 \"  \r\nB",
       {" A=1,\r\n2\r3\n4 ", "B"}},
      {"after_closing_quote_dropped", "\"A=1\" junk, more\r\nB", {"A=1", "more", "B"}},
      {"unclosed_quote_runs_to_end", "\"A=1,\r\nB=2", {"A=1,\r\nB=2"}},
      {"empty_quoted_item", "\"\",A", {"", "A"}},
      {"quote_inside_unquoted_is_ordinary", "A=\"x,y\"", {"A=\"x", "y\""}},
      {"nul_bytes_pass_through", "A=\0b\0,\0"s, {"A=\0b\0"s, "\0"s}},
      {"invalid_utf8_passes_through", "A=\xff\xfe\xc3(,\x80", {"A=\xff\xfe\xc3(", "\x80"}},
      // The reader refills its 64 KiB buffer between the CR and the LF.
      {"line_end_across_buffer_refill", longLine + "\r\nB", {longLine, "B"}},
      {"item_longer_than_buffer", "A=" + longItem + ",B", {"A=" + longItem, "B"}},
      {"quoted_item_longer_than_buffer", "\"" + commas + "\"", {commas}},
  };
  for (const auto& c : cases) EXPECT_EQ(readItems(c.bytes), c.items) << c.name;
}

// A folder opens as a C stream on Linux and fails on its first read; Windows refuses to open it.
#ifndef _WIN32
TEST(IniItemReader, FailedReadRaisesTheSystemsError) {
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
