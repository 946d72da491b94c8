#include <algorithm>
#include <chrono>
#include <climits>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "core/platform.h"
#include "dbaccess/drivers.h"
#include "dbaccess/pg_driver.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db::pg {

namespace {

// Rows are handed to libpq in chunks of about this size: large enough that the per-call cost
// vanishes, small enough to keep memory flat.
constexpr std::size_t kCopyChunk = 64 * 1024;

// A statement's wait lasts this much longer than the server's statement_timeout, so that a
// server that still answers reports its own cut first.
constexpr int kServerFirstMs = 1000;

// How long a time-out waits for the cancel request to reach the server.
constexpr auto kCancelWait = std::chrono::seconds(2);

bool isSuccess(ExecStatusType status) {
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
}

DatabaseError resultError(const PGresult* result) {
  const char* sqlState = libpq().PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* primary = libpq().PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  return DatabaseError(0, sqlState ? sqlState : "",
                       oneLine(primary ? primary : libpq().PQresultErrorMessage(result)));
}

std::string millisecondsText(std::int32_t seconds) {
  return std::to_string(std::min<std::int64_t>(seconds * 1000LL, INT_MAX));
}

// Asks the server to cancel the running command. libpq's request waits until the server has
// taken it, which a server that does not answer never does, so it runs on a thread of its own
// that owns the request, and is waited for only briefly.
void cancelBriefly(PGconn* connection) {
  PGcancel* cancel = libpq().PQgetCancel(connection);
  if (!cancel) return;
  auto sent = std::make_shared<std::promise<void>>();
  std::future<void> done = sent->get_future();
  std::thread([cancel, sent] {
    char error[256];
    libpq().PQcancel(cancel, error, sizeof error);
    libpq().PQfreeCancel(cancel);
    sent->set_value();
  }).detach();
  done.wait_for(kCancelWait);
}

}  // namespace

PgDriver::PgDriver(PgConnection connection) : connection_(std::move(connection)) {
  // Every wait is the driver's own, on the socket, within the command time-out.
  if (libpq().PQsetnonblocking(connection_.get(), 1) != 0) throw sessionError();
  copyBuffer_.reserve(kCopyChunk + 4096);
}

PgDriver::~PgDriver() {
  for (PgRecordset* recordset : recordsets_) recordset->release();
}

void PgDriver::execute(std::string_view sql, std::span<const FieldValue> parameters) {
  send(sql, parameters);
}

TextRows PgDriver::query(std::string_view sql, std::span<const FieldValue> parameters) {
  const Result result = send(sql, parameters);
  TextRows rows(static_cast<std::size_t>(libpq().PQntuples(result.get())));
  for (int row = 0; row < libpq().PQntuples(result.get()); ++row) {
    for (int column = 0; column < libpq().PQnfields(result.get()); ++column) {
      rows[static_cast<std::size_t>(row)].emplace_back(
          libpq().PQgetvalue(result.get(), row, column));
    }
  }
  return rows;
}

Result PgDriver::send(std::string_view sql, std::span<const FieldValue> parameters) {
  endCopy(true);
  if (parameters.empty()) return exec(std::string(sql));
  const char* standard =
      libpq().PQparameterStatus(connection_.get(), "standard_conforming_strings");
  std::size_t markers = 0;
  const std::string text =
      numberPlaceholders(sql, standard && std::string_view(standard) == "on", markers);
  if (markers != parameters.size()) throw parameterCountError(markers, parameters.size());
  parameters_.clear();
  for (const FieldValue& value : parameters) parameters_.add(value);
  return run(libpq().PQsendQueryParams(connection_.get(), text.c_str(), parameters_.count(),
                                       nullptr, parameters_.values(), nullptr, nullptr, 0));
}

void PgDriver::begin() {
  // The server only warns about a BEGIN inside a transaction; nesting is a fault here.
  if (inTransaction()) throw DatabaseError(0, "25001", "A transaction is already in progress.");
  exec("BEGIN");
}

void PgDriver::commit() {
  try {
    endCopy(false);
    const PGTransactionStatusType status = libpq().PQtransactionStatus(connection_.get());
    if (status == PQTRANS_IDLE) {
      throw DatabaseError(0, "25P01", "There is no transaction in progress.");
    }
    if (status == PQTRANS_INERROR) {
      throw DatabaseError(0, "25P02",
                          "The transaction was aborted by an earlier error and is rolled back.");
    }
    exec("COMMIT");
  } catch (...) {
    rollbackQuietly(*this);
    throw;
  }
  timeoutSetInTransaction_ = false;
}

void PgDriver::rollback() {
  // The server rolls back a session that has ended.
  if (!connection_) return;
  abandonCopy();
  if (inTransaction()) exec("ROLLBACK");
  if (timeoutSetInTransaction_) {
    // The roll-back undid the SET made inside the transaction.
    timeoutSetInTransaction_ = false;
    applyCommandTimeout("", commandTimeout_);
  }
}

std::string PgDriver::tableSql(const TableName& table) const {
  // PostgreSQL folds a bare name to lower case.
  return table.quoted('"', '"', BareNameCase::Lower);
}

std::unique_ptr<Recordset> PgDriver::openRecordset(const TableName& table) {
  endCopy(true);
  std::string sql = tableSql(table);
  const std::string source = columnProbeSql(sql);
  // Prepared and described, never run: the columns come without reading a row.
  run(libpq().PQsendPrepare(connection_.get(), "", source.c_str(), 0, nullptr));
  const Result description = run(libpq().PQsendDescribePrepared(connection_.get(), ""));
  std::vector<std::string> columns;
  std::vector<Oid> types;
  for (int i = 0; i < libpq().PQnfields(description.get()); ++i) {
    columns.emplace_back(libpq().PQfname(description.get(), i));
    types.push_back(libpq().PQftype(description.get(), i));
  }
  auto recordset = std::make_unique<PgRecordset>(*this, table, std::move(sql), std::move(columns),
                                                 std::move(types));
  recordsets_.push_back(recordset.get());
  return recordset;
}

void PgDriver::setCommandTimeout(std::int32_t seconds) {
  endCopy(false);
  applyCommandTimeout("", seconds);
  commandTimeout_ = seconds;
  if (inTransaction()) timeoutSetInTransaction_ = true;
}

bool PgDriver::inTransaction() const {
  return libpq().PQtransactionStatus(connection_.get()) != PQTRANS_IDLE;
}

void PgDriver::copyRow(PgRecordset& recordset, const RowValues& row) {
  if (copyOwner_ != &recordset || !sameEntries(copySet_, row.set)) {
    endCopy(true);
    startCopy(recordset, row.set, true);
  }
  if (!appendCopyRow(row)) {
    endCopy(true);
    startCopy(recordset, row.set, false);
    appendCopyRow(row);
  }
  if (copyBuffer_.size() >= kCopyChunk) sendCopyBuffer();
}

bool PgDriver::appendCopyRow(const RowValues& row) {
  const std::size_t rowStart = copyBuffer_.size();
  try {
    if (!copyFields_.empty()) appendFieldCount(copyBuffer_, copyFields_.size());
    for (std::size_t field = 0; field < row.values.size(); ++field) {
      if (copyFields_.empty()) {
        if (field > 0) copyBuffer_ += '\t';
        appendCopyField(copyBuffer_, row.values[field]);
      } else if (!appendBinaryField(copyBuffer_, copyFields_[field], row.values[field])) {
        copyBuffer_.resize(rowStart);
        return false;
      }
    }
  } catch (...) {
    copyBuffer_.resize(rowStart);  // a refused value must not leave half a row in the stream
    throw;
  }
  if (copyFields_.empty()) copyBuffer_ += '\n';
  return true;
}

void PgDriver::insertRow(const std::string& insert, const RowValues& row) {
  endCopy(true);
  parameters_.clear();
  for (const FieldValue& value : row.values) parameters_.add(value);
  run(libpq().PQsendQueryParams(connection_.get(), insert.c_str(), parameters_.count(), nullptr,
                                parameters_.values(), nullptr, nullptr, 0));
}

void PgDriver::endCopyOf(const PgRecordset* recordset) {
  if (copyOwner_ == recordset) endCopy(true);
}

void PgDriver::forget(PgRecordset* recordset) {
  if (copyOwner_ == recordset) abandonCopy();
  std::erase(recordsets_, recordset);
}

Result PgDriver::exec(const std::string& sql) {
  return run(libpq().PQsendQuery(connection_.get(), sql.c_str()));
}

Result PgDriver::run(int sent) {
  if (!sent) throw sessionError();
  Result result = results();
  if (!isSuccess(libpq().PQresultStatus(result.get()))) throw resultError(result.get());  // a COPY
  return result;
}

Result PgDriver::results() {
  Result last;
  std::optional<DatabaseError> failure;
  for (;;) {
    awaitInput();
    Result result(libpq().PQgetResult(connection_.get()));
    if (!result) break;
    const ExecStatusType status = libpq().PQresultStatus(result.get());
    // A COPY's result stands until its data ends.
    if (status == PGRES_COPY_IN) return result;
    if (!failure && !isSuccess(status)) failure = resultError(result.get());
    last = std::move(result);
  }
  if (failure) throw *failure;
  if (!last) throw sessionError();
  return last;
}

void PgDriver::awaitInput() {
  flush();
  while (libpq().PQisBusy(connection_.get())) {
    awaitSocket(platform::SocketWait::Read);
    if (!libpq().PQconsumeInput(connection_.get())) throw sessionError();
  }
}

void PgDriver::flush() {
  for (;;) {
    const int pending = libpq().PQflush(connection_.get());
    if (pending == 0) return;
    if (pending < 0) throw sessionError();
    // The server may answer before it reads on, with an error that ends a COPY.
    awaitSocket(platform::SocketWait::ReadOrWrite);
    if (!libpq().PQconsumeInput(connection_.get())) throw sessionError();
  }
}

void PgDriver::awaitSocket(platform::SocketWait what) {
  if (!connection_) throw sessionError();
  const int limitMs = commandTimeout_ > 0 ? static_cast<int>(std::min<std::int64_t>(
                                                commandTimeout_ * 1000LL + kServerFirstMs, INT_MAX))
                                          : -1;
  if (platform::waitForSocket(libpq().PQsocket(connection_.get()), what, limitMs)) return;
  // A server that sends and takes nothing for that long is treated as gone: the command is
  // cancelled, the session ends and with it the transaction, and nothing more waits on it.
  cancelBriefly(connection_.get());
  copyOwner_ = nullptr;
  copyBuffer_.clear();
  connection_.reset();
  throw DatabaseError(0, "HYT00",
                      "Timeout expired: the server sent and took nothing for " +
                          std::to_string(commandTimeout_) +
                          " s (the command time-out); the command was cancelled and the "
                          "session closed.");
}

DatabaseError PgDriver::sessionError() const {
  if (!connection_) {
    return DatabaseError(0, "08003", "The session was closed after a time-out.");
  }
  const bool lost = libpq().PQstatus(connection_.get()) == CONNECTION_BAD;
  return DatabaseError(0, lost ? "08006" : "", oneLine(libpq().PQerrorMessage(connection_.get())));
}

void PgDriver::startCopy(PgRecordset& recordset, const std::vector<char>& set, bool binary) {
  copyFields_.clear();
  if (binary) {
    const BinarySession session = binarySession(connection_.get());
    for (std::size_t column = 0; column < set.size(); ++column) {
      if (set[column]) copyFields_.push_back(binaryField(recordset.types()[column], session));
    }
    if (std::ranges::find(copyFields_, BinaryField::None) != copyFields_.end()) copyFields_.clear();
  }
  // The COPY lasts as long as the caller keeps adding rows: the server's command time-out
  // would cut a long file off, so it is lifted for the COPY and set again when the COPY ends.
  // This side still limits each wait without progress.
  if (commandTimeout_ > 0) applyCommandTimeout("LOCAL ", 0);
  const std::string statement = recordset.copyStatement(set, !copyFields_.empty());
  if (!libpq().PQsendQuery(connection_.get(), statement.c_str())) throw sessionError();
  const Result result = results();
  if (libpq().PQresultStatus(result.get()) != PGRES_COPY_IN) throw resultError(result.get());
  copyOwner_ = &recordset;
  copySet_ = set;
  if (!copyFields_.empty()) appendBinaryHeader(copyBuffer_);
}

void PgDriver::sendCopyBuffer() {
  // libpq queues the data whole (its buffer grows); it refuses once the server has ended the
  // COPY with an error, which aborts the transaction.
  const bool queued = libpq().PQputCopyData(connection_.get(), copyBuffer_.data(),
                                            static_cast<int>(copyBuffer_.size())) == 1;
  copyBuffer_.clear();
  if (!queued) copyFailed();
  flush();
}

void PgDriver::copyFailed() {
  copyOwner_ = nullptr;
  results();
  throw sessionError();
}

void PgDriver::endCopy(bool restoreTimeout) {
  if (!copyOwner_) return;
  if (!copyFields_.empty()) appendBinaryTrailer(copyBuffer_);
  if (!copyBuffer_.empty()) sendCopyBuffer();
  if (libpq().PQputCopyEnd(connection_.get(), nullptr) != 1) copyFailed();
  copyOwner_ = nullptr;
  results();
  if (restoreTimeout && commandTimeout_ > 0) applyCommandTimeout("LOCAL ", commandTimeout_);
}

void PgDriver::abandonCopy() noexcept {
  if (!copyOwner_) return;
  copyOwner_ = nullptr;
  copyBuffer_.clear();
  try {
    if (libpq().PQputCopyEnd(connection_.get(), "rolled back by the client") == 1) results();
  } catch (...) {
    // The server's answer to the abandoned COPY is its error: expected.
  }
}

void PgDriver::applyCommandTimeout(const char* scope, std::int32_t seconds) {
  exec(std::string("SET ") + scope + "statement_timeout = " + millisecondsText(seconds));
}

}  // namespace csv2sql::db::pg
