#include "dbaccess/odbc_recordset.h"

namespace csv2sql::db::odbc {

OdbcRecordset::OdbcRecordset(std::weak_ptr<OdbcConnection> connection, const TableName& table,
                             std::string tableSql, std::vector<std::string> columns)
    : TableRecordset(table, std::move(tableSql), std::move(columns)),
      connection_(std::move(connection)) {}

void OdbcRecordset::close() {
  if (!isOpen()) return;
  dropPendingRow();
  open_ = false;
  connection_.lock()->sendHeld();
}

void OdbcRecordset::writeRow(const RowValues& row) {
  values_.clear();
  for (const FieldValue& value : row.values) values_.push_back(ownedValue(value));
  if (!sameEntries(row.set, insertColumns_)) {
    insertHead_ = "INSERT INTO " + tableSql() + ' ' + columnList(row.set) + " VALUES ";
    insertColumns_ = row.set;
  }
  connection_.lock()->insert(insertHead_, values_);
}

}  // namespace csv2sql::db::odbc
