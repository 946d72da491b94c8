#include "import/tests/run_fixture.h"

#include <algorithm>

namespace csv2sql::testing {

SqliteFile::SqliteFile(const std::filesystem::path& path) {
  if (sqlite3_open(path.string().c_str(), &db_) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << path << ": " << sqlite3_errmsg(db_);
  }
}

SqliteFile::~SqliteFile() {
  sqlite3_close(db_);
}

void SqliteFile::exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << (message ? message : "?");
  }
  sqlite3_free(message);
}

std::vector<TableRow> SqliteFile::rows(const std::string& query) {
  std::vector<TableRow> result;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << query << ": " << sqlite3_errmsg(db_);
    return result;
  }
  while (sqlite3_step(statement) == SQLITE_ROW) {
    TableRow row;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      const auto* text = sqlite3_column_text(statement, column);
      row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    result.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  return result;
}

ImportRunTest::ImportRunTest() {
  std::filesystem::create_directories(sourceFolder);
  std::filesystem::create_directories(archiveFolder);
  database.exec("CREATE TABLE CSVDATA (DateTime DATETIME, Tag VARCHAR(50), Value FLOAT)");
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

std::vector<std::string> ImportRunTest::namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ImportRunTest::logTexts() const {
  return logTextsFrom(0);
}

std::vector<std::string> ImportRunTest::logTextsFrom(std::size_t first) const {
  std::vector<std::string> texts;
  const auto& items = session.frmMain.lstLog.items();
  for (std::size_t i = first; i < items.size(); ++i) {
    const auto separator = items[i].find(" : ");
    texts.push_back(separator == std::string::npos ? items[i] : items[i].substr(separator + 3));
  }
  return texts;
}

std::vector<TableRow> ImportRunTest::tableRows() {
  return database.rows("SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid");
}

void ImportRunTest::setUtcTable(const std::vector<std::vector<std::string>>& periods) {
  for (std::size_t row = 0; row < periods.size(); ++row) {
    for (std::size_t column = 0; column < periods[row].size(); ++column) {
      form().spUTC.setCell(static_cast<std::int32_t>(row + 1),
                           static_cast<std::int32_t>(column + 1), periods[row][column]);
    }
  }
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string csvLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

const std::string& exampleFile() {
  static const std::string text =
      csvLines({"Time,Name,Reading", "2024-03-07T14:05:09Z,FIT101,12.5",
                "2024-03-07 14:06:00, LT7 ,0.25", "2024-03-07T14:07:00Z,,7", "bad,FIT101,1",
                "2024-03-07T14:08:00Z,FIT101,n/a", "2024-03-07T14:09:00Z,FIT101", "Total"});
  return text;
}

}  // namespace csv2sql::testing
