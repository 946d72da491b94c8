#include "import/ledger.h"

#include <xxhash.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "core/error.h"

namespace csv2sql {

namespace {

// XXH3's 128-bit hash as 32 hexadecimal digits.
std::string hashText(std::string_view bytes) {
  const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return text;
}

std::uint64_t toLength(const std::string& text) {
  std::uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

std::string ledgerTableSql(db::Dialect dialect, const std::string& tableSql) {
  const bool sqlServer = dialect == db::Dialect::SqlServer;
  const bool sqlite = dialect == db::Dialect::Sqlite;
  const char* name = sqlServer ? "NVARCHAR(255)" : sqlite ? "TEXT" : "VARCHAR(255)";
  const char* time = sqlServer ? "DATETIME2" : sqlite ? "TEXT" : "TIMESTAMP";
  return "CREATE TABLE " + tableSql + " (FileName " + name +
         " NOT NULL, ByteLength BIGINT NOT NULL, Hash CHAR(32) NOT NULL, Readings BIGINT NOT "
         "NULL, RowsSkipped BIGINT NOT NULL, ImportedAt " +
         time + " NOT NULL, PRIMARY KEY (FileName, ByteLength, Hash))";
}

Ledger::Ledger(db::Connection& connection, const db::TableName& table)
    : connection_(connection), tableSql_(connection.tableSql(table)) {
  try {
    connection_.Query("SELECT ByteLength FROM " + tableSql_ + " WHERE 1 = 0");
    return;
  } catch (const db::DatabaseError&) {
    // Missing, or not readable: the creation says which.
  }
  try {
    connection_.Execute(ledgerTableSql(connection_.dialect(), tableSql_));
  } catch (const db::DatabaseError& error) {
    throw Error(error.number(), "The ledger table " + table.text() +
                                    " is missing and cannot be created: " + error.description());
  }
}

std::optional<std::uint64_t> Ledger::importedLength(const std::string& name,
                                                    std::string_view bytes) {
  const db::FieldValue parameters[] = {std::string_view(name)};
  const db::TextRows rows = connection_.Query(
      "SELECT ByteLength, Hash FROM " + tableSql_ + " WHERE FileName = ?", parameters);
  std::vector<std::pair<std::uint64_t, const std::string*>> ledgered;
  for (const auto& row : rows) {
    if (row.size() == 2) ledgered.emplace_back(toLength(row[0]), &row[1]);
  }
  std::ranges::sort(ledgered, std::greater<>{});
  for (const auto& [length, hash] : ledgered) {
    if (length <= bytes.size() && hashText(bytes.substr(0, length)) == *hash) return length;
  }
  return std::nullopt;
}

void Ledger::record(const std::string& name, std::string_view bytes, const FileCounts& counts,
                    DateTime at) {
  const std::string hash = hashText(bytes);
  const db::FieldValue parameters[] = {std::string_view(name),
                                       static_cast<double>(bytes.size()),
                                       std::string_view(hash),
                                       static_cast<double>(counts.stored),
                                       static_cast<double>(counts.skipped),
                                       at};
  connection_.Execute("INSERT INTO " + tableSql_ +
                          " (FileName, ByteLength, Hash, Readings, RowsSkipped, ImportedAt) "
                          "VALUES (?, ?, ?, ?, ?, ?)",
                      parameters);
}

}  // namespace csv2sql
