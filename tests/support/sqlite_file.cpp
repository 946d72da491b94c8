#include "tests/support/sqlite_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

namespace csv2sql::testing {

void execSql(const std::filesystem::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(database.string().c_str(), &db), SQLITE_OK) << database;
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
      << sql << ": " << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

void createDestination(const std::filesystem::path& database) {
  execSql(database, "CREATE TABLE CSVDATA (DateTime TEXT, Tag TEXT, Value REAL)");
}

namespace {

// The rows of a query, or nothing with the reason when it cannot be read.
std::optional<std::vector<std::string>> readRows(const std::filesystem::path& database,
                                                 const std::string& sql, std::string& error) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  std::optional<std::vector<std::string>> rows;
  if (sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
    rows.emplace();
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (i > 0) row += '|';
        const auto* text = sqlite3_column_text(statement, i);
        row += text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<std::size_t>(sqlite3_column_bytes(statement, i)))
                    : "NULL";
      }
      rows->push_back(row);
    }
  } else {
    error = sqlite3_errmsg(db);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

}  // namespace

long long countRows(const std::filesystem::path& database) {
  std::string error;
  const auto rows = readRows(database, "SELECT COUNT(*) FROM CSVDATA", error);
  return rows && rows->size() == 1 ? std::stoll(rows->front()) : -1;
}

std::vector<std::string> queryRows(const std::filesystem::path& database, const std::string& sql) {
  std::string error;
  auto rows = readRows(database, sql, error);
  if (!rows) ADD_FAILURE() << database << ": " << sql << ": " << error;
  return rows.value_or(std::vector<std::string>{});
}

}  // namespace csv2sql::testing
