#include "components/db/odbc_recordset.h"

namespace csv2sql::db::odbc {

OdbcRecordset::OdbcRecordset(std::weak_ptr<Session> session, const TableName& table,
                             std::string tableSql, std::vector<std::string> columns)
    : TableRecordset(table, std::move(tableSql), std::move(columns)),
      session_(std::move(session)) {}

void OdbcRecordset::close() {
  if (!isOpen()) return;
  dropPendingRow();
  open_ = false;
  session_.lock()->sendHeld();
}

void OdbcRecordset::writeRow(const RowValues& row) {
  values_.clear();
  for (const FieldValue& value : row.values) values_.push_back(ownedValue(value));
  if (!sameEntries(row.set, insertColumns_)) {
    insertHead_ = "INSERT INTO " + tableSql() + ' ' + columnList(row.set) + " VALUES ";
    insertColumns_ = row.set;
  }
  session_.lock()->insert(insertHead_, values_);
}

}  // namespace csv2sql::db::odbc
