#include "app/ui/tests/window_fixture.h"

#include <sqlite3.h>
#include <QTest>

// Qt's font and desktop libraries keep some memory to the end of the process on purpose; the
// leak check of sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace csv2sql::testing {

QApplication& application() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  // Kept for the whole process: Qt wants its application object to outlive every widget.
  static auto* const app = new QApplication(argc, argv);
  return *app;
}

bool eventually(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

namespace {

void execSql(const std::filesystem::path& database, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(database.string().c_str(), &db), SQLITE_OK) << database;
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK)
      << sql << ": " << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

}  // namespace

void createDestination(const std::filesystem::path& database) {
  execSql(database, "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL)");
}

long long countRows(const std::filesystem::path& database) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  long long count = -1;
  if (sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM CSVDATA", -1, &statement, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    count = sqlite3_column_int64(statement, 0);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return count;
}

WindowTest::WindowTest() {
  // Settings with no entries: the controls keep their first contents and no box comes up.
  writeFile(test.folder.path() / "config.ini", "");
  window.attach(program);
  program.Form_Load("");
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

std::vector<std::string> WindowTest::prompts() const {
  std::vector<std::string> texts;
  for (const auto& request : test.messageBox.shown) texts.push_back(request.prompt);
  return texts;
}

}  // namespace csv2sql::testing
