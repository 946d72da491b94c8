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
  std::vector<Value> values;
  values.reserve(row.values.size());
  for (const FieldValue& value : row.values) values.push_back(ownedValue(value));
  if (!sameEntries(row.set, insertColumns_)) {
    insertHead_ = "INSERT INTO " + tableSql() + ' ' + columnList(row.set) + " VALUES ";
    insertColumns_ = row.set;
  }
  session_.lock()->insert(insertHead_, std::move(values));
}

}  // namespace csv2sql::db::odbc
