#include "tests/support/sqlite_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

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

std::vector<std::string> readingLines(const std::filesystem::path& database) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  std::vector<std::string> lines;
  EXPECT_EQ(sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  EXPECT_EQ(sqlite3_prepare_v2(db,
                               "SELECT DateTime || '|' || Tag || '|' || Value FROM CSVDATA "
                               "ORDER BY rowid",
                               -1, &statement, nullptr),
            SQLITE_OK);
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, 0));
    lines.push_back(text != nullptr ? std::string(text, bytes) : "NULL");
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return lines;
}

}  // namespace csv2sql::testing
