#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace csv2sql::testing {

// A SQLite destination laid out and read through the sqlite3 library itself, so the tests do
// not check the program with its own driver.

// Runs SQL on a SQLite file (created when missing); a failure fails the test.
void execSql(const std::filesystem::path& database, const std::string& sql);
// A new SQLite file holding the empty destination table CSVDATA.
void createDestination(const std::filesystem::path& database);
// The number of rows of CSVDATA; -1 when it cannot be read.
long long countRows(const std::filesystem::path& database);
// The rows of a query, each row's columns as text joined by "|" (NULL as "NULL", NUL bytes
// kept); a failure fails the test.
std::vector<std::string> queryRows(const std::filesystem::path& database, const std::string& sql);

}  // namespace csv2sql::testing
