#include "app/tests/app_fixture.h"

namespace csv2sql::testing {

void dropReadings(const std::filesystem::path& folder, const std::string& name, int readings) {
  std::string text = "DateTime,Tag,Value\r\n";
  for (int i = 0; i < readings; ++i) {
    text += "2026-03-01 10:" + std::string(i < 10 ? "0" : "") + std::to_string(i % 60) + ":00,TAG" +
            std::to_string(i) + "," + std::to_string(i) + ".5\r\n";
  }
  const auto partial = folder / (name + ".part");
  writeFile(partial, text);
  std::filesystem::rename(partial, folder / name);
}

DateTime at(int hour, int minute, int second) {
  return DateTime::fromParts(2026, 3, 2, hour, minute, second);
}

std::vector<std::string> logTexts(const Session& session) {
  std::vector<std::string> texts;
  for (const std::string& line : session.frmMain.lstLog.items()) {
    const auto separator = line.find(" : ");
    texts.push_back(separator == std::string::npos ? line : line.substr(separator + 3));
  }
  return texts;
}

std::vector<std::string> onlyLogLines(const std::filesystem::path& logFolder) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(logFolder)) {
    for (const auto& entry : std::filesystem::directory_iterator(logFolder)) {
      files.push_back(entry.path());
    }
  }
  if (files.size() != 1) return {};
  return readLines(files.front());
}

ProgramTest::ProgramTest() {
  std::filesystem::create_directories(source);
  std::filesystem::create_directories(archive);
  createDestination(database);
  form().cboOleProvider.setText("SQLite");
  form().txtDataSource.setText("dest.db");
  form().txtSourceCSV.setText(source.string());
  form().chkArchive.setValue(1);
  form().txtArchiveFolder.setText(archive.string());
}

}  // namespace csv2sql::testing
