#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/datetime.h"
#include "core/error.h"
#include "dbaccess/table_name.h"

namespace csv2sql::db {

// A value bound to a statement parameter or a recordset field. A string_view is copied by the
// callee before the call returns.
using FieldValue = std::variant<std::monostate, DateTime, double, std::string_view>;

// An error reported by a database driver: its native code, SQLSTATE and message. number() is
// the native code, or -2147467259 (unspecified provider error) when the driver has none or
// its codes would read as the program's own numbers (SQLite's 13 is "database or disk is
// full", the program's 13 "Type mismatch"); description() is "[SQLSTATE] message" (just the
// message when there is no SQLSTATE).
class DatabaseError : public Error {
 public:
  enum class NativeCode { IsNumber, NotANumber };
  // dataRefused: the driver knows the refusal is for the data sent (SQLite, which has no
  // SQLSTATE); otherwise the SQLSTATE tells.
  DatabaseError(std::int32_t nativeCode, std::string sqlState, std::string message,
                NativeCode use = NativeCode::IsNumber, bool dataRefused = false);
  std::int32_t nativeCode() const noexcept { return nativeCode_; }
  const std::string& sqlState() const noexcept { return sqlState_; }
  const std::string& message() const noexcept { return message_; }
  // The database refused the data it was sent (a value too long or out of range, a constraint,
  // an encoding it rejects: SQLSTATE class 22 or 23), not the session (a lost connection, a
  // time-out, a permission): another file may still be taken.
  bool refusesData() const noexcept { return dataRefused_; }

 private:
  std::int32_t nativeCode_;
  std::string sqlState_;
  std::string message_;
  bool dataRefused_;
};

// The server behind a session, for statements whose types or words differ between servers.
enum class Dialect { Sqlite, PostgreSql, SqlServer, Other };

// Columns of a table by their place in it, as a recordset's columnsOf finds them.
using ColumnOrder = std::vector<std::size_t>;

// A query's rows, each value as text ("" for NULL).
using TextRows = std::vector<std::vector<std::string>>;

// The parts of a connection string that the drivers use.
struct ConnectionSettings {
  std::string provider;
  std::string dataSource;
  std::string initialCatalog;
  std::string userId;
  std::string password;
};

struct OpenOptions {
  std::int32_t connectionTimeout = 30;  // seconds; 0 waits without limit
  std::int32_t commandTimeout = 30;     // seconds; 0 waits without limit
  std::filesystem::path programFolder;  // relative file names are taken from here
};

// Rows added to one table. Fields are set by column name; a name the table lacks fails at
// setField. Outside a transaction update() writes the row before it returns; inside one the
// driver may hold rows and send them in batches: held rows are sent at the latest by the
// connection's next execute, commit or by close(), and a refusal surfaces at the call that
// sends them. A roll-back drops held rows.
class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual void addNew() = 0;
  virtual void setField(std::string_view name, const FieldValue& value) = 0;
  virtual void update() = 0;
  // The row cycle for a stream of rows that set the same fields, without a look-up of each
  // name for each row: the columns are found once (failing as setField does for a name the
  // table lacks), then addRow adds a row of their values in that order, as addNew, setField for
  // each and update would. Its strings need only live until addRow returns.
  virtual ColumnOrder columnsOf(std::span<const std::string_view> names) = 0;
  virtual void addRow(const ColumnOrder& columns, std::span<const FieldValue> values) = 0;
  virtual void close() = 0;
  // The column of that name in any letter case, quoted as the table spells it (a table made
  // with "DateTime" in quotes keeps its capitals on PostgreSQL); fails as setField does.
  virtual std::string columnSql(std::string_view name) = 0;
};

// One open session of a driver.
class Driver {
 public:
  virtual ~Driver() = default;
  // Runs a statement; "?" marks each parameter, in order.
  virtual void execute(std::string_view sql, std::span<const FieldValue> parameters) = 0;
  // Runs a query as execute does and returns its rows.
  virtual TextRows query(std::string_view sql, std::span<const FieldValue> parameters) = 0;
  virtual Dialect dialect() const = 0;
  virtual void begin() = 0;
  virtual void commit() = 0;    // sends held rows first
  virtual void rollback() = 0;  // drops held rows
  // The table's name as one quoted identifier in this server's way.
  virtual std::string tableSql(const TableName& table) const = 0;
  // An updatable recordset on a table, as the column probe (columnProbeSql, sql_text.h) gives
  // one: the columns are learnt without reading rows where the driver can.
  virtual std::unique_ptr<Recordset> openRecordset(const TableName& table) = 0;
  virtual void setCommandTimeout(std::int32_t seconds) = 0;
};

}  // namespace csv2sql::db
