#include <memory>
#include <string>

#include "dbaccess/drivers.h"
#include "dbaccess/odbc_connection.h"
#include "dbaccess/odbc_connection_string.h"
#include "dbaccess/odbc_recordset.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db {
namespace {

class OdbcDriver final : public Driver {
 public:
  explicit OdbcDriver(std::shared_ptr<odbc::OdbcConnection> connection)
      : connection_(std::move(connection)) {}

  void execute(std::string_view sql, std::span<const FieldValue> parameters) override {
    connection_->execute(sql, parameters);
  }
  TextRows query(std::string_view sql, std::span<const FieldValue> parameters) override {
    TextRows rows;
    connection_->query(sql, parameters, &rows);
    return rows;
  }
  Dialect dialect() const override { return connection_->dialect(); }
  void begin() override { connection_->begin(); }
  void commit() override { connection_->commit(); }
  void rollback() override { connection_->rollback(); }
  void setCommandTimeout(std::int32_t seconds) override { connection_->setCommandTimeout(seconds); }

  std::string tableSql(const TableName& table) const override {
    return connection_->quotedName(table);
  }

  std::unique_ptr<Recordset> openRecordset(const TableName& table) override {
    std::string sql = tableSql(table);
    std::vector<std::string> columns = connection_->describeColumns(columnProbeSql(sql));
    return std::make_unique<odbc::OdbcRecordset>(connection_, table, std::move(sql),
                                                 std::move(columns));
  }

 private:
  // Shared only so that recordsets can tell when the connection is gone; the driver alone
  // keeps it alive.
  std::shared_ptr<odbc::OdbcConnection> connection_;
};

}  // namespace

std::unique_ptr<Driver> openOdbc(const ConnectionSettings& settings, const OpenOptions& options,
                                 const std::string& odbcDriver) {
  return std::make_unique<OdbcDriver>(std::make_shared<odbc::OdbcConnection>(
      odbc::odbcConnectionString(settings, odbcDriver), options));
}

}  // namespace csv2sql::db
