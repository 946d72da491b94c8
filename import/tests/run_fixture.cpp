#include "import/tests/run_fixture.h"

#include <algorithm>

namespace csv2sql::testing {

ImportRunTest::ImportRunTest() {
  std::filesystem::create_directories(sourceFolder);
  std::filesystem::create_directories(archiveFolder);
  createDestination(databaseFile);
  form().cboOleProvider.setText("SQLite");
  form().txtDataSource.setText("dest.db");
  form().txtSourceCSV.setText(sourceFolder.string() + "/");
  form().txtArchiveFolder.setText(archiveFolder.string());
}

void ImportRunTest::writeCsv(const std::string& name, const std::string& text) const {
  writeFile(sourceFolder / name, text);
}

bool ImportRunTest::inSource(const std::string& name) const {
  return std::filesystem::exists(sourceFolder / name);
}

Lines ImportRunTest::namesIn(const std::filesystem::path& folder) {
  Lines names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

Lines ImportRunTest::logTexts() const {
  Lines texts;
  for (const std::string& item : session.frmMain.lstLog.items()) {
    const auto separator = item.find(" : ");
    texts.push_back(separator == std::string::npos ? item : item.substr(separator + 3));
  }
  return texts;
}

Lines ImportRunTest::tableRows() const {
  return queryRows(databaseFile, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid");
}

void setRows(Grid& grid, const std::vector<Lines>& rows) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t column = 0; column < rows[row].size(); ++column) {
      grid.setCell(static_cast<std::int32_t>(row + 1), static_cast<std::int32_t>(column + 1),
                   rows[row][column]);
    }
  }
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string csvLines(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace csv2sql::testing
