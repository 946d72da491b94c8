#include <gtest/gtest.h>

#include <algorithm>

#include "import/tests/run_fixture.h"

namespace csv2sql::testing {
namespace {

// A file whose rows the database refuses for their data: a trigger refuses tags longer than 8.
struct RefusalCase {
  std::string name;
  std::string errorFolder;  // "{err}": the error folder beside the source folder
  std::string refusedFile;  // holds the refused row; "ok.csv" follows it, one reading
  RunEnd end;
  std::string line;  // the "Moved" line or the error line
  std::string note;  // the .err text beside the moved file; "" when none is moved
  std::size_t rows;  // in CSVDATA at the end
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
  return out << c.name;
}

// A header line and `count` readings the database takes.
std::string readings(int count) {
  std::string text = "DateTime,Tag,Value\r\n";
  for (int row = 0; row < count; ++row) text += "2024-03-07 14:05:09,T,1\r\n";
  return text;
}

const std::string kLongTag = "2024-03-07 14:05:09,LONGER_THAN_8,2";

class Quarantine : public ImportRunTest, public ::testing::WithParamInterface<RefusalCase> {
 protected:
  std::string placed(std::string text) const {
    for (auto at = text.find("{err}"); at != std::string::npos; at = text.find("{err}")) {
      text.replace(at, 5, errors.string());
    }
    return text;
  }
  const std::filesystem::path errors = test.folder.path() / "errors";
};

TEST_P(Quarantine, MovesTheRefusedFileWithANoteOrEndsTheRunNamingTheRow) {
  const RefusalCase& c = GetParam();
  std::filesystem::create_directories(errors);
  database.exec(
      "CREATE TRIGGER short_tags BEFORE INSERT ON CSVDATA WHEN length(NEW.Tag) > 8 "
      "BEGIN SELECT RAISE(ABORT, 'tag longer than 8'); END");
  form().txtErrorFolder.setText(placed(c.errorFolder));
  writeCsv("bad.csv", c.refusedFile);
  writeCsv("ok.csv", readings(1));

  EXPECT_EQ(run.btnTransferData_Click(), c.end);
  const std::vector<std::string> lines = logTexts();
  EXPECT_NE(std::find(lines.begin(), lines.end(), placed(c.line)), lines.end()) << placed(c.line);
  EXPECT_EQ(tableRows().size(), c.rows);
  EXPECT_EQ(inSource("bad.csv"), c.note.empty());
  const auto moved = errors / "bad__261205_081541.csv";
  EXPECT_EQ(std::filesystem::exists(moved), !c.note.empty());
  if (!c.note.empty()) {
    EXPECT_EQ(readFile(moved.string() + ".err"), c.note);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, Quarantine,
    ::testing::Values(RefusalCase{"moved_with_a_note", "{err}", readings(2) + kLongTag + "\r\n",
                                  RunEnd::Normal, "Moved bad.csv to {err}: tag longer than 8",
                                  "File: bad.csv\r\nRow: 4\r\nLine: " + kLongTag +
                                      "\r\nDatabase: tag longer than 8\r\n",
                                  1},
                      RefusalCase{"row_found_inside_a_batch", "{err}",
                                  readings(2500) + kLongTag + "\r\n" + readings(500).substr(20),
                                  RunEnd::Normal, "Moved bad.csv to {err}: tag longer than 8",
                                  "File: bad.csv\r\nRow: 2502\r\nLine: " + kLongTag +
                                      "\r\nDatabase: tag longer than 8\r\n",
                                  1},
                      RefusalCase{"without_error_folder_the_run_ends", "",
                                  readings(1) + kLongTag + "\r\n", RunEnd::Failed,
                                  "Error -2147467259 - tag longer than 8 (file bad.csv, row 3: " +
                                      kLongTag + ")",
                                  "", 0},
                      RefusalCase{"error_folder_missing", "{err}/gone", readings(1), RunEnd::Failed,
                                  "Error 76 - Path not found: error folder {err}/gone/", "", 0}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace csv2sql::testing
