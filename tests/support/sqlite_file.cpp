#include "tests/support/sqlite_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

namespace csv2sql::testing {
namespace {

int collect(void* rows, int columns, char** values, char**) {
  std::string row;
  for (int i = 0; i < columns; ++i)
    row += (i > 0 ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
  static_cast<std::vector<std::string>*>(rows)->push_back(row);
  return 0;
}

// Runs SQL on a SQLite file, the rows of a query into rows; the reason when it fails.
std::optional<std::string> run(const std::filesystem::path& database, const std::string& sql,
                               std::vector<std::string>* rows, int flags) {
  sqlite3* db = nullptr;
  char* message = nullptr;
  std::optional<std::string> error;
  if (sqlite3_open_v2(database.string().c_str(), &db, flags, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, sql.c_str(), rows ? collect : nullptr, rows, &message) != SQLITE_OK) {
    error = database.string() + ": " + sql + ": " + (message ? message : sqlite3_errmsg(db));
  }
  sqlite3_free(message);
  sqlite3_close(db);
  return error;
}

}  // namespace

void execSql(const std::filesystem::path& database, const std::string& sql) {
  if (const auto error = run(database, sql, nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
    ADD_FAILURE() << *error;
}

void createDestination(const std::filesystem::path& database) {
  execSql(database, "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL)");
}

long long countRows(const std::filesystem::path& database) {
  std::vector<std::string> rows;
  const bool read = !run(database, "SELECT COUNT(*) FROM CSVDATA", &rows, SQLITE_OPEN_READONLY);
  return read && rows.size() == 1 ? std::stoll(rows.front()) : -1;
}

std::vector<std::string> queryRows(const std::filesystem::path& database, const std::string& sql) {
  std::vector<std::string> rows;
  if (const auto error = run(database, sql, &rows, SQLITE_OPEN_READONLY)) ADD_FAILURE() << *error;
  return rows;
}

}  // namespace csv2sql::testing
