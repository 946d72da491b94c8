#pragma once

#include "dbaccess/pg_library.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "dbaccess/database.h"
#include "dbaccess/pg_binary.h"
#include "dbaccess/pg_text.h"
#include "dbaccess/table_recordset.h"

namespace csv2sql::db::pg {

struct ConnectionCloser {
  void operator()(PGconn* connection) const { libpq().PQfinish(connection); }
};
using PgConnection = std::unique_ptr<PGconn, ConnectionCloser>;

struct ResultClearer {
  void operator()(PGresult* result) const { libpq().PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClearer>;

class PgRecordset;

// One session with a PostgreSQL server. Inside a transaction the rows of a recordset stream
// to the server with COPY, in the binary form when every column set has one (pg_binary.h),
// else as text; a row the binary form cannot carry turns the rest of that COPY into text. The
// stream ends before any other statement and at commit. The
// session is non-blocking: no wait on the server lasts longer than the command time-out (plus
// a second); one that does ends the session.
class PgDriver final : public Driver {
 public:
  explicit PgDriver(PgConnection connection);
  ~PgDriver() override;

  void execute(std::string_view sql, std::span<const FieldValue> parameters) override;
  TextRows query(std::string_view sql, std::span<const FieldValue> parameters) override;
  Dialect dialect() const override { return Dialect::PostgreSql; }
  void begin() override;
  void commit() override;  // rolls back before it reports a failure
  void rollback() override;
  std::string tableSql(const TableName& table) const override;
  std::unique_ptr<Recordset> openRecordset(const TableName& table) override;
  void setCommandTimeout(std::int32_t seconds) override;

  // For the recordsets.
  bool inTransaction() const;
  void copyRow(PgRecordset& recordset, const RowValues& row);
  void insertRow(const std::string& insert, const RowValues& row);
  // Ends the recordset's COPY, if it has one running, and reports what the server refused.
  void endCopyOf(const PgRecordset* recordset);
  void forget(PgRecordset* recordset);

 private:
  Result exec(const std::string& sql);
  // Sends a statement with its parameters bound; its result.
  Result send(std::string_view sql, std::span<const FieldValue> parameters);
  // The result of a command sent (`sent`: what the PQsend call returned); throws its failure.
  Result run(int sent);
  // Reads the results of the last command to their end, or to a COPY's start: the first
  // failure is thrown, else the last result is returned.
  Result results();
  // Sends what libpq holds, then reads until a result is complete, each wait on the socket
  // within the command time-out.
  void awaitInput();
  void flush();
  // Waits for the socket; a time-out cancels the command and ends the session.
  void awaitSocket(platform::SocketWait what);
  DatabaseError sessionError() const;
  void startCopy(PgRecordset& recordset, const std::vector<char>& set, bool binary);
  // Appends the row in the running COPY's form; false when the binary form cannot carry it.
  bool appendCopyRow(const RowValues& row);
  void sendCopyBuffer();
  [[noreturn]] void copyFailed();
  void endCopy(bool restoreTimeout);
  void abandonCopy() noexcept;
  void applyCommandTimeout(const char* scope, std::int32_t seconds);

  PgConnection connection_;
  std::int32_t commandTimeout_ = 0;
  bool timeoutSetInTransaction_ = false;
  std::vector<PgRecordset*> recordsets_;
  PgRecordset* copyOwner_ = nullptr;
  std::vector<char> copySet_;
  std::vector<BinaryField> copyFields_;  // per set column; empty for a text COPY
  std::string copyBuffer_;
  ParameterTexts parameters_;
};

// Rows added to one table: inside a transaction streamed by the session's COPY, outside one
// inserted one by one at once.
class PgRecordset final : public TableRecordset {
 public:
  // types: each column's type (PQftype).
  PgRecordset(PgDriver& driver, const TableName& table, std::string tableSql,
              std::vector<std::string> columns, std::vector<Oid> types);
  ~PgRecordset() override;

  void close() override;
  void release() noexcept;  // the session ends: no further use
  std::string copyStatement(const std::vector<char>& set, bool binary) const;
  const std::vector<Oid>& types() const { return types_; }

 protected:
  bool isOpen() const override { return driver_ != nullptr; }
  void writeRow(const RowValues& row) override;

 private:
  void detach() noexcept;  // closes: leaves the session's list

  PgDriver* driver_;
  std::vector<Oid> types_;
  std::vector<char> insertSet_;
  std::string insert_;
};

}  // namespace csv2sql::db::pg
