#include <memory>
#include <string>

#include "components/db/drivers.h"
#include "components/db/odbc_connection_string.h"
#include "components/db/odbc_recordset.h"
#include "components/db/odbc_session.h"

namespace csv2sql::db {
namespace {

class OdbcDriver final : public Driver {
 public:
  explicit OdbcDriver(std::shared_ptr<odbc::Session> session) : session_(std::move(session)) {}

  void execute(std::string_view sql, std::span<const FieldValue> parameters) override {
    session_->execute(sql, parameters);
  }
  TextRows query(std::string_view sql, std::span<const FieldValue> parameters) override {
    TextRows rows;
    session_->query(sql, parameters, &rows);
    return rows;
  }
  Dialect dialect() const override { return session_->dialect(); }
  void begin() override { session_->begin(); }
  void commit() override { session_->commit(); }
  void rollback() override { session_->rollback(); }
  void setCommandTimeout(std::int32_t seconds) override { session_->setCommandTimeout(seconds); }

  std::string tableSql(const TableName& table) const override {
    return session_->quotedName(table);
  }

  std::unique_ptr<Recordset> openRecordset(const TableName& table) override {
    std::string sql = tableSql(table);
    std::vector<std::string> columns =
        session_->describeColumns("SELECT * FROM " + sql + " WHERE DateTime > '2035-01-01'");
    return std::make_unique<odbc::OdbcRecordset>(session_, table, std::move(sql),
                                                 std::move(columns));
  }

 private:
  // Shared only so that recordsets can tell when the connection is gone; the driver alone
  // keeps it alive.
  std::shared_ptr<odbc::Session> session_;
};

}  // namespace

std::unique_ptr<Driver> openOdbc(const ConnectionSettings& settings, const OpenOptions& options,
                                 const std::string& odbcDriver) {
  return std::make_unique<OdbcDriver>(
      std::make_shared<odbc::Session>(odbc::odbcConnectionString(settings, odbcDriver), options));
}

}  // namespace csv2sql::db
