#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/database.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/table_recordset.h"

namespace csv2sql::db::sqlite {

// SQLite's result codes are small numbers that would read as the program's own error numbers,
// so its errors carry the unspecified provider number; the code stays the native code.
// A constraint, a value too big or of the wrong type is a refusal of the data.
inline DatabaseError sqliteError(int code, std::string message) {
  const int primary = code & 0xFF;
  return DatabaseError(
      code, "", std::move(message), DatabaseError::NativeCode::NotANumber,
      primary == SQLITE_CONSTRAINT || primary == SQLITE_TOOBIG || primary == SQLITE_MISMATCH);
}

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

class SqliteRecordset;

// One open database file.
class SqliteDriver final : public Driver {
 public:
  explicit SqliteDriver(Database db);
  ~SqliteDriver() override;

  void execute(std::string_view sql, std::span<const FieldValue> parameters) override;
  TextRows query(std::string_view sql, std::span<const FieldValue> parameters) override;
  Dialect dialect() const override { return Dialect::Sqlite; }
  void begin() override;
  void commit() override;  // rolls back before it reports a failure
  void rollback() override;
  std::string tableSql(const TableName& table) const override;
  std::unique_ptr<Recordset> openRecordset(const TableName& table) override;
  void setCommandTimeout(std::int32_t seconds) override;

  // For the recordsets.
  bool inTransaction() const { return sqlite3_get_autocommit(db_.get()) == 0; }
  std::size_t parameterLimit() const;
  // The first statement of the text; `rest` receives the text after it. Null for blanks only.
  Statement prepare(std::string_view sql, std::string_view* rest = nullptr);
  // Steps the statement to its end within the command time-out and resets it; the rows it
  // gives go to `rows` when asked for.
  void run(sqlite3_stmt* statement, TextRows* rows = nullptr);
  void forget(SqliteRecordset* recordset);

 private:
  DatabaseError lastError() const;
  static int onProgress(void* driver);

  Database db_;
  std::int32_t commandTimeout_ = 0;
  std::chrono::steady_clock::time_point deadline_;
  bool timedOut_ = false;
  std::vector<SqliteRecordset*> recordsets_;
  Statement begin_, commit_, rollback_;
};

// Rows added to one table. Outside a transaction each row is inserted at once; inside one the
// rows are held and inserted many per statement, through prepared statements that are reused.
class SqliteRecordset final : public TableRecordset {
 public:
  SqliteRecordset(SqliteDriver& driver, const TableName& table, std::string tableSql,
                  std::vector<std::string> columns);
  ~SqliteRecordset() override;

  void close() override;
  void flush();             // inserts the held rows
  void drop() noexcept;     // forgets the held rows
  void release() noexcept;  // the session ends: no further use

 protected:
  bool isOpen() const override { return driver_ != nullptr; }
  void writeRow(const RowValues& row) override;

 private:
  struct Held {
    enum class Kind : std::uint8_t { Null, Real, Text } kind = Kind::Null;
    double real = 0;
    std::size_t offset = 0;  // text in heldText_
    std::size_t length = 0;
  };
  struct Insert {
    Statement statement;
    std::vector<char> set;  // the columns it names
    std::size_t rows = 0;
  };
  void detach() noexcept;  // closes: leaves the session's list and lets go of the statements
  Held hold(const FieldValue& value);
  Insert& insertFor(std::size_t rows);
  void bindRows(sqlite3_stmt* statement, std::size_t firstRow, std::size_t rows) const;

  SqliteDriver* driver_;
  std::vector<char> heldSet_;
  std::size_t heldWidth_ = 0;
  std::size_t heldRows_ = 0;
  std::size_t batchRows_ = 1;
  std::vector<Held> held_;
  std::string heldText_;
  TimestampWriter stamps_;
  Insert full_, part_;
};

}  // namespace csv2sql::db::sqlite
