#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/odbc_connection.h"
#include "dbaccess/table_recordset.h"

namespace csv2sql::db::odbc {

// New rows for one table, each written by an INSERT that names the fields set. The connection
// holds them inside a transaction, so rows of a recordset destroyed unclosed still go with the
// commit. Once the connection is gone the recordset counts as closed.
class OdbcRecordset final : public TableRecordset {
 public:
  OdbcRecordset(std::weak_ptr<OdbcConnection> connection, const TableName& table,
                std::string tableSql, std::vector<std::string> columns);

  // Drops a row begun but not updated and sends the held rows.
  void close() override;

 protected:
  bool isOpen() const override { return open_ && !connection_.expired(); }
  void writeRow(const RowValues& row) override;

 private:
  std::weak_ptr<OdbcConnection> connection_;
  bool open_ = true;
  std::vector<char> insertColumns_;  // the columns insertHead_ names
  std::string insertHead_;
  std::vector<Value> values_;  // the row being sent, its memory kept from row to row
};

}  // namespace csv2sql::db::odbc
