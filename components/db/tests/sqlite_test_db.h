#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

namespace csv2sql::db::testing {

// Runs statements on a database file with the sqlite3 library itself (creating the file when
// asked), apart from the driver under test.
inline void runSql(const std::filesystem::path& file, const std::string& sql, bool create = false) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  ASSERT_EQ(sqlite3_open_v2(file.string().c_str(), &db, flags, nullptr), SQLITE_OK);
  char* message = nullptr;
  const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  ASSERT_EQ(result, SQLITE_OK) << text;
}

inline void createDatabase(const std::filesystem::path& file,
                           const std::string& ddl =
                               "CREATE TABLE CSVDATA (DateTime TEXT, Tag "
                               "TEXT, Value REAL)") {
  runSql(file, ddl, true);
}

// Every row of a query, each row's columns as text joined by "|" (NULL as "NULL").
inline std::vector<std::string> queryRows(const std::filesystem::path& file,
                                          const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  while (statement && sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
      if (i > 0) row += '|';
      const auto* text = sqlite3_column_text(statement, i);
      row += text ? std::string(reinterpret_cast<const char*>(text),
                                static_cast<std::size_t>(sqlite3_column_bytes(statement, i)))
                  : "NULL";
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

inline std::string queryOne(const std::filesystem::path& file, const std::string& sql) {
  const auto rows = queryRows(file, sql);
  return rows.empty() ? "(no row)" : rows.front();
}

}  // namespace csv2sql::db::testing
