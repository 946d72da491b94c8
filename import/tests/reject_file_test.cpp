#include <gtest/gtest.h>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

struct RejectCase {
  std::string name;
  std::string line;      // the data line after a header
  std::string rejected;  // its line in the reject file; "" when none is written
};

class RejectLines : public ImportRunTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectLines, HoldEachSkippedRowAsRead) {
  writeCsv("f.csv", csvLines({"h", GetParam().line}));
  ASSERT_EQ(runImport(), RunEnd::Normal);
  const auto files = namesIn(log.logFolder());
  if (GetParam().rejected.empty()) {
    EXPECT_EQ(files.size(), 1u) << "only the run log";
    return;
  }
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files[0].ends_with(".log"));
  EXPECT_EQ(files[1], files[0].substr(0, files[0].size() - 4) + ".rejects.csv");
  EXPECT_EQ(readFile(log.logFolder() / files[1]),
            "File,Line,Text,Reason\r\n" + GetParam().rejected + "\r\n");
}

const std::string kLong = "2024-03-07 14:05:09,A," + std::string(400, '9') + "x";

INSTANTIATE_TEST_SUITE_P(
    Rows, RejectLines,
    ::testing::Values(RejectCase{"valid_row_writes_no_file", "2024-03-07 14:05:09,A,1", ""},
                      RejectCase{"quotes_doubled", "2024-03-07 \"x\",A,1",
                                 "f.csv,2,\"2024-03-07 \"\"x\"\",A,1\",invalid date"},
                      RejectCase{"long_line_cut", kLong,
                                 "f.csv,2,\"" + kLong.substr(0, 300) + "\",invalid value"},
                      RejectCase{"utf8_not_cut_inside_a_character",
                                 "2024-03-07 14:05:09," + std::string(279, 'A') + "\xC2\xB0,x",
                                 "f.csv,2,\"2024-03-07 14:05:09," + std::string(279, 'A') +
                                     "\",invalid value"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ImportRunTest, RejectFileGathersTheSkippedRowsOfEveryFileOfTheRun) {
  writeCsv("a.csv", csvLines({"h", "2024-03-07 14:06:00,X,1", "bad,A,1",
                              "2024-03-07 14:08:00,A,n/a", "2024-03-07 14:09:00,A", "Total"}));
  writeCsv("b.csv", csvLines({"h", "x,B,1"}));
  ASSERT_EQ(runImport(), RunEnd::Normal);
  const auto files = namesIn(log.logFolder());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(readFile(log.logFolder() / files[1]),
            "File,Line,Text,Reason\r\n"
            "a.csv,3,\"bad,A,1\",invalid date\r\n"
            "a.csv,4,\"2024-03-07 14:08:00,A,n/a\",invalid value\r\n"
            "a.csv,5,\"2024-03-07 14:09:00,A\",invalid value\r\n"
            "a.csv,6,Total,invalid date\r\n"
            "b.csv,2,\"x,B,1\",invalid date\r\n");
}

}  // namespace
}  // namespace csv2sql::testing
