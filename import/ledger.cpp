#include "import/ledger.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <vector>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

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
  if (!readable()) {
    try {
      connection_.Execute(ledgerTableSql(connection_.dialect(), tableSql_));
    } catch (const db::DatabaseError& error) {
      // Another loader starting at the same moment may have created it first.
      if (!readable()) {
        throw Error(error.number(),
                    "The ledger table " + table.text() +
                        " is missing and cannot be created: " + error.description());
      }
    }
  }
  const std::unique_ptr<db::Recordset> columns = connection_.OpenRecordset(table);
  nameSql_ = columns->columnSql("FileName");
  markSql_ = columns->columnSql("ByteLength") + ", " + columns->columnSql("Hash");
  columnsSql_ = nameSql_ + ", " + markSql_;
  for (const char* column : {"Readings", "RowsSkipped", "ImportedAt"}) {
    columnsSql_ += ", " + columns->columnSql(column);
  }
  columns->close();
}

bool Ledger::readable() {
  try {
    connection_.Query("SELECT * FROM " + tableSql_ + " WHERE 1 = 0");
    return true;
  } catch (const db::DatabaseError&) {
    return false;  // missing, or not readable: the creation says which
  }
}

void Ledger::lookAhead(std::span<const std::string> names) {
  lookedAhead_.clear();
  for (std::size_t first = 0; first < names.size(); first += kNamesPerQuery) {
    const std::span<const std::string> batch =
        names.subspan(first, std::min(kNamesPerQuery, names.size() - first));
    std::vector<db::FieldValue> parameters;
    std::string markers;
    for (const std::string& name : batch) {
      parameters.emplace_back(std::string_view(name));
      markers += markers.empty() ? "?" : ",?";
      lookedAhead_[name];
    }
    const db::TextRows rows =
        connection_.Query("SELECT " + nameSql_ + ", " + markSql_ + " FROM " + tableSql_ +
                              " WHERE " + nameSql_ + " IN (" + markers + ")",
                          parameters);
    for (const auto& row : rows) {
      if (row.size() != 3) continue;
      // A server that compares names without letter case (SQL Server's usual collation) may
      // give another spelling: it then counts for each name that is the same but for case.
      const LineMark mark{.offset = toLength(row[1]), .hash = row[2]};
      if (const auto exact = lookedAhead_.find(row[0]); exact != lookedAhead_.end()) {
        exact->second.push_back(mark);
        continue;
      }
      for (const std::string& name : batch) {
        if (equalsIgnoreCase(name, row[0])) lookedAhead_[name].push_back(mark);
      }
    }
  }
}

std::vector<LineMark> Ledger::beginnings(const std::string& name) {
  if (const auto found = lookedAhead_.find(name); found != lookedAhead_.end()) {
    std::vector<LineMark> recorded = std::move(found->second);
    lookedAhead_.erase(found);
    return recorded;
  }
  const db::FieldValue parameters[] = {std::string_view(name)};
  const db::TextRows rows = connection_.Query(
      "SELECT " + markSql_ + " FROM " + tableSql_ + " WHERE " + nameSql_ + " = ?", parameters);
  std::vector<LineMark> recorded;
  for (const auto& row : rows) {
    if (row.size() == 2) recorded.push_back({.offset = toLength(row[0]), .hash = row[1]});
  }
  return recorded;
}

void Ledger::record(std::span<const Row> rows) {
  for (std::size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
    const std::span<const Row> batch =
        rows.subspan(first, std::min(kRowsPerStatement, rows.size() - first));
    std::vector<db::FieldValue> parameters;
    std::string values;
    for (const Row& row : batch) {
      parameters.insert(parameters.end(), {row.name, static_cast<double>(row.length), row.hash,
                                           static_cast<double>(row.counts.stored),
                                           static_cast<double>(row.counts.skipped), row.at});
      values += values.empty() ? "(?, ?, ?, ?, ?, ?)" : ", (?, ?, ?, ?, ?, ?)";
    }
    connection_.Execute("INSERT INTO " + tableSql_ + " (" + columnsSql_ + ") VALUES " + values,
                        parameters);
  }
}

std::optional<std::uint64_t> importedLength(const std::vector<LineMark>& recorded,
                                            const FileScan& scan, std::uint64_t end) {
  std::optional<std::uint64_t> longest;
  for (const LineMark& beginning : recorded) {
    const LineMark* found = scan.beginning(beginning.offset);
    if (beginning.offset <= end && found != nullptr && found->hash == beginning.hash &&
        beginning.offset >= longest.value_or(0)) {
      longest = beginning.offset;
    }
  }
  return longest;
}

}  // namespace csv2sql
