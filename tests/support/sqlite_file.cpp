#include "tests/support/sqlite_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

namespace csv2sql::testing {
namespace {

// Runs SQL on a SQLite file, the rows of its one statement into rows when given (each cell's
// bytes whole, NUL included); the reason when it fails.
std::optional<std::string> run(const std::filesystem::path& database, const std::string& sql,
                               std::vector<std::string>* rows, int flags) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  int status = sqlite3_open_v2(database.string().c_str(), &db, flags, nullptr);
  if (status == SQLITE_OK && rows == nullptr) {
    status = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  } else if (status == SQLITE_OK &&
             (status = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr)) == SQLITE_OK) {
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
        const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, i));
        row += (i > 0 ? "|" : "") + (text ? std::string(text, bytes) : std::string("NULL"));
      }
      rows->push_back(row);
    }
    if (status == SQLITE_DONE) status = SQLITE_OK;
  }
  std::optional<std::string> error;
  if (status != SQLITE_OK) error = database.string() + ": " + sql + ": " + sqlite3_errmsg(db);
  sqlite3_finalize(statement);
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
