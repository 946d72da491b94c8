#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "dbaccess/database.h"

namespace csv2sql::db {

// Splits a connection string ("Key=Value;Key=\"quoted;value\";...") into its parts. Keys are
// matched without regard to case and surrounding blanks ("OLE DB Services =-2" included).
ConnectionSettings parseConnectionString(std::string_view text);

// A value as a connection string holds it: as it stands, unless it would be read back
// differently (a ";" in it, or a double quote first), then in double quotes with any double
// quote inside doubled.
std::string connectionStringValue(std::string_view value);

// The destination connection, in the manner of an ADO connection: closed until Open, then
// open until Close or the next Open. The provider name chooses the driver, as the list in
// providers.h says (any letter case). An unknown name fails the open with an error that lists
// the known ones.
class Connection {
 public:
  static constexpr int StateClosed = 0;
  static constexpr int StateOpen = 1;

  explicit Connection(std::filesystem::path programFolder);
  ~Connection();

  int State() const { return driver_ ? StateOpen : StateClosed; }
  void Close();

  void setConnectionTimeout(std::int32_t seconds) { connectionTimeout_ = seconds; }
  std::int32_t CommandTimeout() const { return commandTimeout_; }
  void setCommandTimeout(std::int32_t seconds);

  // Opens with the credentials inside the string. A failed open leaves the connection closed.
  void Open(const std::string& connectionString);

  // The string of the open connection: provider, data source, catalog and user, never the
  // password. Empty while closed.
  const std::string& ConnectionString() const { return reported_; }
  const ConnectionSettings& settings() const { return settings_; }

  void Execute(std::string_view sql, std::span<const FieldValue> parameters = {});
  TextRows Query(std::string_view sql, std::span<const FieldValue> parameters = {});
  Dialect dialect() { return driver().dialect(); }
  // The table's name as the server's statements write it.
  std::string tableSql(const TableName& table) { return driver().tableSql(table); }
  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  // "DELETE FROM " + table + " WHERE DateTime < ?" with the cut-off bound, the column as the
  // table spells it.
  void deleteRowsBefore(const TableName& table, DateTime cutoff);
  std::unique_ptr<Recordset> OpenRecordset(const TableName& table);

 private:
  Driver& driver();

  std::filesystem::path programFolder_;
  std::int32_t connectionTimeout_ = 15;
  std::int32_t commandTimeout_ = 30;
  ConnectionSettings settings_;
  std::string reported_;
  std::unique_ptr<Driver> driver_;
};

// Rolls back in its destructor unless committed.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

}  // namespace csv2sql::db
