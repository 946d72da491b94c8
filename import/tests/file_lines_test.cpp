#include "import/file_lines.h"

#include <gtest/gtest.h>

#include <xxhash.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/error.h"
#include "import/file_scan.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using namespace std::string_literals;

struct Line {
  std::string text;
  std::uint64_t end;
  bool operator==(const Line&) const = default;
};

class FileLinesTest : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& bytes) {
    testing::writeFile(dir.path() / "in.csv", bytes);
    return dir.path() / "in.csv";
  }
  static std::vector<Line> drain(FileLines& file) {
    std::vector<Line> lines;
    while (file.next()) lines.push_back({std::string(file.text()), file.end()});
    return lines;
  }
  static std::vector<Line> read(const std::filesystem::path& path, std::uint64_t limit) {
    FileLines file(path, limit);
    return drain(file);
  }
  static FileScan scanOf(const std::filesystem::path& path, std::vector<std::uint64_t> lengths) {
    FileLines lines(path);
    return scanFile(lines, std::move(lengths));
  }
  testing::TempDir dir;
};

// The import tests read files of readings; here the line ends and bytes they do not meet,
// across the reads the file is taken in (64 KiB, then 1 MiB blocks).
TEST_F(FileLinesTest, SplitsAtEachLineEndWithTheOffsetPastIt) {
  constexpr std::uint64_t kFirstRead = 64 << 10;
  const std::string block(kFirstRead - 1, 'x');  // a line that ends at the first read's last byte
  const std::string bom = "\xEF\xBB\xBF";
  const std::string longest(FileLines::kLongestLine, 'y');
  const struct {
    const char* name;
    std::string bytes;
    std::vector<Line> lines;
  } cases[] = {
      {"bare_lf_and_crlf", "a,b\nc\r\n", {{"a,b", 4}, {"c", 7}}},
      {"cr_at_end_of_file_ends_the_line", "a\r\nb,c\r", {{"a", 3}, {"b,c", 7}}},
      {"lone_cr_ends_a_line", "a\rb\r\r\n", {{"a", 2}, {"b", 4}, {"", 6}}},
      {"cr_lf_split_by_the_read_block",
       block + "\r\nb",
       {{block, kFirstRead + 1}, {"b", kFirstRead + 2}}},
      {"lone_cr_last_in_the_read_block",
       block + "\rb",
       {{block, kFirstRead}, {"b", kFirstRead + 1}}},
      {"line_as_long_as_a_block",
       longest + "\nz",
       {{longest, longest.size() + 1}, {"z", longest.size() + 2}}},
      {"byte_order_mark_dropped_only_at_the_start",
       bom + "a\n" + bom + "b",
       {{"a", 5}, {bom + "b", 9}}},
      {"only_a_byte_order_mark", bom, {}},
      {"empty_lines_count", "\r\na\n\n", {{"", 2}, {"a", 4}, {"", 5}}},
      {"nul_and_invalid_utf8", "a\0b,\xff\xc3(\r\n"s, {{"a\0b,\xff\xc3("s, 9}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileLines file(write(c.bytes));
    EXPECT_EQ(drain(file), c.lines);
    // A second pass from the buffer, which here still holds the file's start.
    ASSERT_TRUE(file.rewindTo(c.bytes.size(), FileLines::Hashing::On));
    EXPECT_EQ(drain(file), c.lines);
  }
  // Lines passed in one read are dropped before the next, so the start is gone.
  std::string manyLines;
  while (manyLines.size() <= kFirstRead) manyLines += "a,1\n";
  FileLines longer(write(manyLines));
  drain(longer);
  EXPECT_FALSE(longer.rewindTo(manyLines.size(), FileLines::Hashing::On));
  const std::vector<Line> firstFive{{"ab", 3}, {"cd", 5}};
  const auto path = write("ab\ncd\nef");
  EXPECT_EQ(read(path, 5), firstFive);
  // A first pass without hashing, a second with it.
  FileLines file(path, FileLines::kWholeFile, FileLines::Hashing::Off);
  drain(file);
  EXPECT_EQ(file.hash(), "");
  ASSERT_TRUE(file.rewindTo(5, FileLines::Hashing::On));
  EXPECT_EQ(drain(file), firstFive);
  FileLines fresh(path, 5);
  drain(fresh);
  EXPECT_EQ(file.hash(), fresh.hash());
}

// A line longer than kLongestLine is held only in part, whatever its length, through every
// place a block read can end; the bytes are hashed all the same.
TEST_F(FileLinesTest, LineLongerThanAMebibyteKeepsItsFirstMebibyteOnly) {
  constexpr std::size_t kHeld = FileLines::kLongestLine;
  // The reads end at 64 KiB, then every 1 MiB after it: a CR as the last byte of the third.
  constexpr std::size_t kThirdRead = (64 << 10) + (2 << 20);
  const struct {
    const char* name;
    std::string line;  // the long line, then a line end and "z"
    std::string end;   // its line end
    std::uint64_t cutFieldEnd;
  } cases[] = {
      {"one_byte_too_long", std::string(kHeld + 1, 'y'), "\n", kHeld + 1},
      {"cells_past_the_cut", std::string(kHeld + 5, 'y') + ",T,1", "\r\n", kHeld + 5},
      {"comma_right_after_the_held_bytes", std::string(kHeld, 'y') + ",T,1", "\n", kHeld},
      {"cr_lf_split_by_a_read", std::string(kThirdRead - 1, 'y'), "\r\n", kThirdRead - 1},
      {"lone_cr_last_in_a_read", std::string(kThirdRead - 1, 'y'), "\r", kThirdRead - 1},
      {"sixty_four_mebibytes", std::string(64 << 20, '1') + ",T,1", "\r\n", 64 << 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = c.line + c.end + "z";
    FileLines file(write(bytes));
    ASSERT_TRUE(file.next());
    EXPECT_TRUE(file.cut());
    EXPECT_EQ(file.text(), std::string_view(c.line).substr(0, kHeld));
    EXPECT_EQ(file.cutFieldEnd(), c.cutFieldEnd);
    EXPECT_EQ(file.end(), c.line.size() + c.end.size());
    EXPECT_EQ(file.endsWithLineFeed(), c.end.back() == '\n');
    ASSERT_TRUE(file.next());
    EXPECT_FALSE(file.cut());
    EXPECT_EQ(file.text(), "z");
    EXPECT_FALSE(file.next());
    const XXH128_hash_t whole = XXH3_128bits(bytes.data(), bytes.size());
    char hash[33];
    std::snprintf(hash, sizeof hash, "%016llx%016llx",
                  static_cast<unsigned long long>(whole.high64),
                  static_cast<unsigned long long>(whole.low64));
    EXPECT_EQ(file.hash(), hash);
  }
  // The last line, without a line end; data past the cut makes a row of a line of commas.
  FileLines last(write("h\n" + std::string(3 << 20, 'y')));
  ASSERT_TRUE(last.next());
  ASSERT_TRUE(last.next());
  EXPECT_TRUE(last.cut());
  EXPECT_EQ(last.end(), (3u << 20) + 2);
  EXPECT_FALSE(last.next());
  EXPECT_EQ(scanOf(write("h\n" + std::string(3 << 20, ',') + "x\n\n"), {}).rows(), 2);
  EXPECT_EQ(scanOf(write("h\n" + std::string(3 << 20, ',') + "\n\n"), {}).rows(), 1);
}

// The scan tells what the rows loaded and the complete lines are, and hashes the beginnings
// the ledger asks for the same as a read that stops there.
TEST_F(FileLinesTest, ScanMarksTheLastDataRowTheLastLineFeedAndAskedBeginnings) {
  const auto path = write("h\r\na,1\r\n,,\r\nb,2\r\n,\r\n\r\nc");
  const FileScan scan = scanOf(path, {8, 9, 23});
  EXPECT_EQ(scan.rows(), 7);
  EXPECT_FALSE(scan.endsWithLineFeed());
  EXPECT_EQ(scan.size(), 23u);
  EXPECT_EQ(scan.lastLineFeed.offset, 22u);
  EXPECT_EQ(scan.lastLineFeed.lines, 6);
  EXPECT_EQ(scan.lastLineFeed.lastDataRow, 4);
  ASSERT_EQ(scan.beginnings.size(), 2u);  // 9 is no line end
  for (const LineMark& mark : scan.beginnings) {
    FileLines lines(path, mark.offset);
    while (lines.next()) {
    }
    EXPECT_EQ(lines.hash(), mark.hash) << mark.offset;
  }
  EXPECT_NE(scan.beginnings[0].hash, scan.beginnings[1].hash);
  EXPECT_FALSE(scanOf(dir.path() / "gone.csv", {}).found);
  EXPECT_THROW(scanOf(dir.path(), {}), Error);  // a folder
}

// The import's read must meet the lines the scan counted: bytes added after them change nothing,
// a beginning or a line structure rewritten in between is error 75.
TEST_F(FileLinesTest, ASecondReadOfOtherBytesThanTheScanSawIsError75) {
  const auto path = write("h\na,1\nb,2\n");
  const FileScan scan = scanOf(path, {2});
  const auto secondRead = [&](const std::string& bytes) {
    write(bytes);
    FileLines lines(path, scan.whole.offset);
    passTo(lines, *scan.beginning(2), path);
    return finishAt(lines, scan.whole, path);
  };
  EXPECT_EQ(secondRead("h\na,1\nb,2\nc,3\n"), scanOf(path, {10}).beginnings.at(0).hash);
  EXPECT_THROW(secondRead("H\na,1\nb,2\n"), Error);
  EXPECT_THROW(secondRead("h\na,1\nb\n2\n"), Error);
  EXPECT_THROW(secondRead("h\na,1\n"), Error);
}

}  // namespace
}  // namespace csv2sql

namespace csv2sql {
namespace {

// Over many blocks of the file, so that byte pairs and surrogate pairs fall across them, and
// limited to a line's end as a second pass is.
TEST_F(FileLinesTest, Utf16FileReadsAsItsUtf8Text) {
  std::string utf8;
  for (int row = 0; row < 20000; ++row)
    utf8 += "2024-03-07 10:00:00,T\xF0\x9F\x98\x80\xC2\xB0,1\r\n";
  utf8 += "last\xF0\x9F\x98\x80";
  // The mark counts as the UTF-8 one.
  const std::vector<Line> expected = read(write("\xEF\xBB\xBF" + utf8), FileLines::kWholeFile);
  for (const bool little : {true, false}) {
    const auto path = write(testing::asUtf16(utf8, little));
    EXPECT_EQ(read(path, FileLines::kWholeFile), expected) << little;
    const std::uint64_t end = expected[9999].end;
    EXPECT_EQ(read(path, end), std::vector<Line>(expected.begin(), expected.begin() + 10000));
  }
  // Half a pair at the end stands for a character that cannot be read.
  const auto cut = write(testing::asUtf16("a\xF0\x9F\x98\x80", true).substr(0, 6));
  EXPECT_EQ(read(cut, FileLines::kWholeFile), (std::vector<Line>{{"a\xEF\xBF\xBD", 7}}));
}

}  // namespace
}  // namespace csv2sql
