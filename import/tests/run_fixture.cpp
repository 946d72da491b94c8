#include "import/tests/run_fixture.h"

#include <algorithm>
#include <sstream>

namespace csv2sql::testing {

ImportRunTest::ImportRunTest() {
  std::filesystem::create_directories(sourceFolder);
  std::filesystem::create_directories(archiveFolder);
  createDestination(databaseFile);
  settings.provider = "SQLite";
  settings.dataSource = "dest.db";
  settings.csvFolder = sourceFolder.string() + "/";
  settings.archiveFolder = archiveFolder;
  log.showLinesIn([this](const std::string& line) { shownLines.push_back(line); });
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
  for (const std::string& item : shownLines) {
    const auto separator = item.find(" : ");
    texts.push_back(separator == std::string::npos ? item : item.substr(separator + 3));
  }
  return texts;
}

Lines ImportRunTest::tableRows() const {
  return queryRows(databaseFile, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid");
}

UtcRows utcRows(const std::vector<Lines>& rows) {
  UtcRows result;
  for (const Lines& row : rows) result.push_back({row.at(0), row.at(1), row.at(2)});
  return result;
}

void setFields(Settings& settings, const std::string& fields, const std::filesystem::path& folder) {
  std::istringstream parts(fields);
  for (std::string part; std::getline(parts, part, '|');) {
    const std::string key = part.substr(0, part.find('='));
    std::string text = part.substr(part.find('=') + 1);
    if (const auto at = text.find('$'); at != std::string::npos)
      text.replace(at, 1, folder.string());
    const auto& keys = settingKeys();
    const auto row = std::ranges::find(keys, key, &SettingKey::key);
    ASSERT_NE(row, keys.end()) << key;
    setFieldText(settings, row->field, text);
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
