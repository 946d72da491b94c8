#include <algorithm>
#include <climits>
#include <optional>

#include "components/db/pg_session.h"
#include "components/db/sql_text.h"

namespace csv2sql::db::pg {

namespace {

// Rows are handed to libpq in chunks of about this size: large enough that the per-call cost
// vanishes, small enough to keep memory flat.
constexpr std::size_t kCopyChunk = 64 * 1024;

bool isSuccess(ExecStatusType status) {
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
}

DatabaseError resultError(const PGresult* result) {
  const char* sqlState = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  return DatabaseError(0, sqlState ? sqlState : "",
                       oneLine(primary ? primary : PQresultErrorMessage(result)));
}

std::string millisecondsText(std::int32_t seconds) {
  return std::to_string(std::min<std::int64_t>(seconds * 1000LL, INT_MAX));
}

}  // namespace

PgDriver::PgDriver(Session session) : session_(std::move(session)) {
  copyBuffer_.reserve(kCopyChunk + 4096);
}

PgDriver::~PgDriver() {
  for (PgRecordset* recordset : recordsets_) recordset->release();
}

void PgDriver::execute(std::string_view sql, std::span<const FieldValue> parameters) {
  run(sql, parameters);
}

TextRows PgDriver::query(std::string_view sql, std::span<const FieldValue> parameters) {
  const Result result = run(sql, parameters);
  TextRows rows(static_cast<std::size_t>(PQntuples(result.get())));
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    for (int column = 0; column < PQnfields(result.get()); ++column) {
      rows[static_cast<std::size_t>(row)].emplace_back(PQgetvalue(result.get(), row, column));
    }
  }
  return rows;
}

Result PgDriver::run(std::string_view sql, std::span<const FieldValue> parameters) {
  endCopy(true);
  if (parameters.empty()) return check(PQexec(session_.get(), std::string(sql).c_str()));
  const char* standard = PQparameterStatus(session_.get(), "standard_conforming_strings");
  std::size_t markers = 0;
  const std::string text =
      numberPlaceholders(sql, standard && std::string_view(standard) == "on", markers);
  if (markers != parameters.size()) throw parameterCountError(markers, parameters.size());
  parameters_.clear();
  for (const FieldValue& value : parameters) parameters_.add(value);
  return check(PQexecParams(session_.get(), text.c_str(), parameters_.count(), nullptr,
                            parameters_.values(), nullptr, nullptr, 0));
}

void PgDriver::begin() {
  // The server only warns about a BEGIN inside a transaction; nesting is a fault here.
  if (inTransaction()) throw DatabaseError(0, "25001", "A transaction is already in progress.");
  exec("BEGIN");
}

void PgDriver::commit() {
  try {
    endCopy(false);
    const PGTransactionStatusType status = PQtransactionStatus(session_.get());
    if (status == PQTRANS_IDLE) {
      throw DatabaseError(0, "25P01", "There is no transaction in progress.");
    }
    if (status == PQTRANS_INERROR) {
      throw DatabaseError(0, "25P02",
                          "The transaction was aborted by an earlier error and is rolled back.");
    }
    exec("COMMIT");
  } catch (...) {
    rollbackQuietly();
    throw;
  }
  timeoutSetInTransaction_ = false;
}

void PgDriver::rollback() {
  abandonCopy();
  if (inTransaction()) exec("ROLLBACK");
  if (timeoutSetInTransaction_) {
    // The roll-back undid the SET made inside the transaction.
    timeoutSetInTransaction_ = false;
    applyCommandTimeout("", commandTimeout_);
  }
}

void PgDriver::rollbackQuietly() noexcept {
  try {
    rollback();
  } catch (...) {
    // The failure being reported matters more; the server rolls back when the session ends.
  }
}

std::string PgDriver::tableSql(const TableName& table) const {
  // PostgreSQL folds a bare name to lower case.
  return table.quoted('"', '"', BareNameCase::Lower);
}

std::unique_ptr<Recordset> PgDriver::openRecordset(const TableName& table) {
  endCopy(true);
  std::string sql = tableSql(table);
  const std::string source = "SELECT * FROM " + sql + " WHERE DateTime > '2035-01-01'";
  // Prepared and described, never run: the columns come without reading a row.
  check(PQprepare(session_.get(), "", source.c_str(), 0, nullptr));
  const Result description = check(PQdescribePrepared(session_.get(), ""));
  std::vector<std::string> columns;
  for (int i = 0; i < PQnfields(description.get()); ++i) {
    columns.emplace_back(PQfname(description.get(), i));
  }
  auto recordset = std::make_unique<PgRecordset>(*this, table, std::move(sql), std::move(columns));
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
  return PQtransactionStatus(session_.get()) != PQTRANS_IDLE;
}

void PgDriver::copyRow(PgRecordset& recordset, const PendingRow& row) {
  const std::vector<char>& set = row.setColumns();
  if (copyOwner_ != &recordset || copySet_ != set) {
    endCopy(true);
    startCopy(recordset, set);
  }
  const std::size_t rowStart = copyBuffer_.size();
  try {
    bool first = true;
    for (std::size_t column = 0; column < set.size(); ++column) {
      if (!set[column]) continue;
      if (!first) copyBuffer_ += '\t';
      first = false;
      appendCopyField(copyBuffer_, row.value(column));
    }
  } catch (...) {
    copyBuffer_.resize(rowStart);  // a refused value must not leave half a row in the stream
    throw;
  }
  copyBuffer_ += '\n';
  if (copyBuffer_.size() >= kCopyChunk) sendCopyBuffer();
}

void PgDriver::insertRow(const std::string& insert, const PendingRow& row) {
  endCopy(true);
  parameters_.clear();
  const std::vector<char>& set = row.setColumns();
  for (std::size_t column = 0; column < set.size(); ++column) {
    if (set[column]) parameters_.add(row.value(column));
  }
  check(PQexecParams(session_.get(), insert.c_str(), parameters_.count(), nullptr,
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
  return check(PQexec(session_.get(), sql.c_str()));
}

Result PgDriver::check(PGresult* raw) {
  Result result(raw);
  if (!result) throw sessionError();
  if (!isSuccess(PQresultStatus(result.get()))) throw resultError(result.get());
  return result;
}

DatabaseError PgDriver::sessionError() const {
  const bool lost = PQstatus(session_.get()) == CONNECTION_BAD;
  return DatabaseError(0, lost ? "08006" : "", oneLine(PQerrorMessage(session_.get())));
}

std::optional<DatabaseError> PgDriver::collectResults() {
  std::optional<DatabaseError> failure;
  while (PGresult* raw = PQgetResult(session_.get())) {
    const Result result(raw);
    if (!failure && !isSuccess(PQresultStatus(raw))) failure = resultError(raw);
  }
  return failure;
}

void PgDriver::startCopy(PgRecordset& recordset, const std::vector<char>& set) {
  // The COPY lasts as long as the caller keeps adding rows: the command time-out would cut a
  // long file off, so it is lifted for the COPY and set again when the COPY ends.
  if (commandTimeout_ > 0) applyCommandTimeout("LOCAL ", 0);
  const Result result(PQexec(session_.get(), recordset.copyStatement(set).c_str()));
  if (!result) throw sessionError();
  if (PQresultStatus(result.get()) != PGRES_COPY_IN) throw resultError(result.get());
  copyOwner_ = &recordset;
  copySet_ = set;
}

void PgDriver::sendCopyBuffer() {
  const bool sent =
      PQputCopyData(session_.get(), copyBuffer_.data(), static_cast<int>(copyBuffer_.size())) == 1;
  copyBuffer_.clear();
  if (!sent) {
    // The server has ended the COPY with an error; the transaction is aborted.
    copyOwner_ = nullptr;
    throw collectResults().value_or(sessionError());
  }
}

void PgDriver::endCopy(bool restoreTimeout) {
  if (!copyOwner_) return;
  if (!copyBuffer_.empty()) sendCopyBuffer();
  copyOwner_ = nullptr;
  if (PQputCopyEnd(session_.get(), nullptr) != 1) throw collectResults().value_or(sessionError());
  if (auto failure = collectResults()) throw *failure;
  if (restoreTimeout && commandTimeout_ > 0) applyCommandTimeout("LOCAL ", commandTimeout_);
}

void PgDriver::abandonCopy() noexcept {
  if (!copyOwner_) return;
  copyOwner_ = nullptr;
  copyBuffer_.clear();
  if (PQputCopyEnd(session_.get(), "rolled back by the client") == 1) {
    while (PGresult* raw = PQgetResult(session_.get())) PQclear(raw);
  }
}

void PgDriver::applyCommandTimeout(const char* scope, std::int32_t seconds) {
  exec(std::string("SET ") + scope + "statement_timeout = " + millisecondsText(seconds));
}

}  // namespace csv2sql::db::pg
