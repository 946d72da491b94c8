#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "import/file_lines.h"
#include "import/file_scan.h"
#include "import/tests/gzipped.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using testing::gzipped;

// Readings enough to fill several of the file's reads, compressed and not.
std::string manyReadings() {
  std::string text = "Time,Tag,Value\n";
  for (int i = 0; text.size() < (3 << 20); ++i) {
    text += "2024-03-07 10:00:00,T" + std::to_string(i % 97) + "," + std::to_string(i) + ".5\n";
  }
  return text;
}

class GzipTest : public ::testing::Test {
 protected:
  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    testing::writeFile(dir.path() / name, bytes);
    return dir.path() / name;
  }
  static std::vector<std::string> lines(const std::filesystem::path& path) {
    FileLines file(path);
    std::vector<std::string> read;
    while (file.next()) read.emplace_back(file.text());
    return read;
  }
  testing::TempDir dir;
};

TEST_F(GzipTest, AFileNamedGzIsReadAsTheTextItHolds) {
  const std::string text = "h\n2024-03-07 10:00:00,T1,12.5\r\n2024-03-07 10:01:00,T1,13\n";
  const std::vector<std::string> expected{"h", "2024-03-07 10:00:00,T1,12.5",
                                          "2024-03-07 10:01:00,T1,13"};
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"plant.csv.gz", gzipped(text), expected},
      {"PLANT.CSV.GZ", gzipped(text), expected},
      {"members.csv.gz", gzipped(text.substr(0, 10)) + gzipped(text.substr(10)), expected},
      {"empty.csv.gz", "", {}},
      {"empty_member.csv.gz", gzipped(""), {}},
      // The name decides: gzip's first bytes under another name are read as they are.
      {"plant.csv", "\x1f\x8b\x08,T1,1\n", {"\x1f\x8b\x08,T1,1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(lines(write(c.name, c.bytes)), c.lines);
  }
}

// Offsets, rows and hash are those of the text, so the ledger knows a compressed file as it
// would the same file uncompressed, through the blocks both are read in.
TEST_F(GzipTest, ALargeFileScansAsItsTextWould) {
  const std::string text = manyReadings();
  const std::string compressed = gzipped(text);
  ASSERT_GT(compressed.size(), std::size_t{256} << 10);
  const auto scan = [](const std::filesystem::path& path) {
    FileLines lines(path);
    return scanFile(lines, {15});
  };
  const FileScan plain = scan(write("plain.csv", text));
  const FileScan gzip = scan(write("plain.csv.gz", compressed));
  EXPECT_EQ(gzip.whole.offset, text.size());
  EXPECT_EQ(gzip.whole.lines, plain.whole.lines);
  EXPECT_EQ(gzip.rows(), plain.rows());
  ASSERT_EQ(gzip.beginnings.size(), 1U);
  EXPECT_EQ(gzip.beginnings[0].hash, plain.beginnings[0].hash);
  // A second pass up to a limit, as the import's.
  FileLines limited(dir.path() / "plain.csv.gz", 15);
  ASSERT_TRUE(limited.next());
  EXPECT_EQ(limited.text(), "Time,Tag,Value");
  EXPECT_FALSE(limited.next());
}

// A damaged or cut file is error 75 naming it and why, before its last line is read: it is
// passed over as any file that cannot be read, never imported in part.
TEST_F(GzipTest, DamagedOrCutDataIsError75NamingTheFile) {
  const std::string compressed = gzipped(manyReadings());
  std::string flipped = compressed;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
  std::string badCheck = gzipped("h\na,1\n");
  badCheck[badCheck.size() - 8] = static_cast<char>(badCheck[badCheck.size() - 8] ^ 1);
  const struct {
    const char* name;
    std::string bytes;
    const char* why;
  } cases[] = {
      {"cut_in_the_data.csv.gz", compressed.substr(0, compressed.size() / 2),
       "it ends before its compressed data does"},
      {"cut_in_the_trailer.csv.gz", compressed.substr(0, compressed.size() - 3),
       "it ends before its compressed data does"},
      {"cut_in_the_header.csv.gz", compressed.substr(0, 5),
       "it ends before its compressed data does"},
      {"flipped.csv.gz", flipped, ""},
      {"bad_check.csv.gz", badCheck, "incorrect data check"},
      {"not_gzip.csv.gz", "h\na,1\n", "incorrect header check"},
      {"trailing_bytes.csv.gz", gzipped("h\na,1\n") + "h\n", "incorrect header check"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = write(c.name, c.bytes);
    try {
      lines(path);
      ADD_FAILURE() << "read as whole";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), err::PathFileAccess);
      EXPECT_EQ(
          error.description().rfind(
              "Path/File access error: " + path.string() + " is no whole gzip file: " + c.why, 0),
          0U)
          << error.description();
    }
  }
}

}  // namespace
}  // namespace csv2sql
