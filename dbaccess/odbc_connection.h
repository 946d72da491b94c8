#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dbaccess/database.h"
#include "dbaccess/odbc_handle.h"
#include "dbaccess/odbc_parameters.h"

namespace csv2sql::db::odbc {

// One connection through the driver manager, with its transaction and the inserted rows it
// holds back until it sends them as one batch.
class OdbcConnection {
 public:
  // Rows held inside a transaction before they are sent, rounded up to whole statements.
  static constexpr std::size_t kBatchRows = 1000;
  // SQL Server's limits on one statement, which PostgreSQL's are well above.
  static constexpr std::size_t kMaxValuesRows = 1000;
  static constexpr std::size_t kMaxParameters = 2100;

  // Connects, or throws the driver's error. The login and connection time-outs are the
  // connection time-out; each statement's query time-out is the command time-out.
  OdbcConnection(const std::string& connectionString, const OpenOptions& options);
  ~OdbcConnection();
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  void setCommandTimeout(std::int32_t seconds);

  // Sends the held rows first, so that the statement sees them.
  void execute(std::string_view sql, std::span<const FieldValue> parameters);
  // As execute, with the rows of the statement's first result in `result` when given.
  void query(std::string_view sql, std::span<const FieldValue> parameters, TextRows* result);
  Dialect dialect() const { return dialect_; }

  void begin();
  // Sends the held rows first; when anything fails, rolls back before the error passes on.
  void commit();
  // Drops the held rows; nothing more without a transaction.
  void rollback();

  std::vector<std::string> describeColumns(std::string_view query);

  // The table as one quoted identifier (SQL Server's brackets, else the driver's own quote
  // character), bare parts folded as the driver says the server folds them. A driver without
  // a quote character gets bare names only; a quoted part is refused before any statement.
  std::string quotedName(const TableName& table) const;

  // One row for the INSERT statement that starts with insertHead ("INSERT INTO t (a,b)
  // VALUES "): sent at once outside a transaction; inside one, held with the rows before it
  // while they share the statement and kinds of value, and sent when a batch is held. SQL
  // Server and PostgreSQL get as many rows per statement as SQL Server's limits let, the
  // statement prepared once and run for each statement's rows; other servers one row per
  // element of one array.
  // The row's values are moved from.
  void insert(const std::string& insertHead, std::span<Value> row);
  void sendHeld();

 private:
  struct HeldRows {
    std::string head;
    ParameterRows rows;
  };
  // A full-length multi-row INSERT, prepared once and run again for each statement's rows:
  // psqlODBC sends an array of parameter sets with the values written into the text, which
  // the server parses anew each time, but runs a prepared statement again with bound values.
  struct PreparedInsert {
    std::string sql;
    Handle statement;
  };

  // Values for an INSERT's rows: PostgreSQL gets numbers and date-times as text.
  ParameterRows newRows(std::size_t columns);
  std::size_t rowsPerStatement(std::size_t columns) const;
  // Runs the INSERT with the slice's rows.
  void insertRows(const std::string& head, ParameterRows& rows, const ParameterSlice& slice);
  // The statement prepared for sql, kept until the transaction ends.
  const Handle& preparedInsert(std::string sql, std::size_t values);

  Handle newStatement() const;
  void setAutocommit(bool on);

  Handle environment_;
  Handle connection_;
  SQLULEN commandTimeout_;
  Dialect dialect_ = Dialect::Other;
  std::pair<char, char> identifierMarks_{'"', '"'};
  BareNameCase bareNameCase_ = BareNameCase::AsTyped;
  bool inTransaction_ = false;
  std::optional<HeldRows> held_;
  ParameterRows::Buffers spareBuffers_;  // those of the last batch sent
  std::optional<PreparedInsert> prepared_;
};

}  // namespace csv2sql::db::odbc
