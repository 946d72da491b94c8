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

void OdbcRecordset::writeRow(const PendingRow& row) {
  const std::vector<char>& set = row.setColumns();
  std::vector<Value> values;
  values.reserve(row.setCount());
  for (std::size_t column = 0; column < set.size(); ++column) {
    if (set[column]) values.push_back(ownedValue(row.value(column)));
  }
  if (set != insertColumns_) {
    insertHead_ = "INSERT INTO " + tableSql() + ' ' + columnList(set) + " VALUES ";
    insertColumns_ = set;
  }
  session_.lock()->insert(insertHead_, std::move(values));
}

}  // namespace csv2sql::db::odbc
