#include <algorithm>
#include <climits>
#include <filesystem>

#include "dbaccess/drivers.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/sqlite_driver.h"

namespace csv2sql::db {

namespace sqlite {

namespace {

// The busy handler's wait for a lock; a time-out of 0 waits without limit.
int busyMilliseconds(std::int32_t seconds) {
  return seconds == 0 ? INT_MAX
                      : static_cast<int>(std::min<std::int64_t>(seconds * 1000LL, INT_MAX));
}

void bindParameter(sqlite3_stmt* statement, int index, const FieldValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    // The caller's text outlives the statement's run; an empty text must not bind as NULL.
    sqlite3_bind_text64(statement, index, text->empty() ? "" : text->data(), text->size(),
                        SQLITE_STATIC, SQLITE_UTF8);
  } else if (const auto* number = std::get_if<double>(&value)) {
    sqlite3_bind_double(statement, index, *number);
  } else if (const auto* stamp = std::get_if<DateTime>(&value)) {
    char buffer[kTimestampTextMax];
    const std::size_t length = formatTimestamp(*stamp, buffer);
    sqlite3_bind_text64(statement, index, buffer, length, SQLITE_TRANSIENT, SQLITE_UTF8);
  } else {
    sqlite3_bind_null(statement, index);
  }
}

}  // namespace

SqliteDriver::SqliteDriver(Database db) : db_(std::move(db)) {
  sqlite3_extended_result_codes(db_.get(), 1);
  begin_ = prepare("BEGIN IMMEDIATE");
  commit_ = prepare("COMMIT");
  rollback_ = prepare("ROLLBACK");
}

SqliteDriver::~SqliteDriver() {
  for (SqliteRecordset* recordset : recordsets_) recordset->release();
}

void SqliteDriver::execute(std::string_view sql, std::span<const FieldValue> parameters) {
  query(sql, parameters);
}

TextRows SqliteDriver::query(std::string_view sql, std::span<const FieldValue> parameters) {
  for (SqliteRecordset* recordset : recordsets_) recordset->flush();
  TextRows rows;
  std::size_t used = 0;
  while (!sql.empty()) {
    Statement statement = prepare(sql, &sql);
    if (!statement) continue;
    const auto markers = static_cast<std::size_t>(sqlite3_bind_parameter_count(statement.get()));
    if (used + markers > parameters.size()) {
      throw parameterCountError(used + markers, parameters.size());
    }
    for (std::size_t i = 0; i < markers; ++i) {
      bindParameter(statement.get(), static_cast<int>(i + 1), parameters[used + i]);
    }
    used += markers;
    run(statement.get(), &rows);
  }
  if (used != parameters.size()) throw parameterCountError(used, parameters.size());
  return rows;
}

void SqliteDriver::begin() {
  run(begin_.get());
}

void SqliteDriver::commit() {
  try {
    for (SqliteRecordset* recordset : recordsets_) recordset->flush();
    run(commit_.get());
  } catch (...) {
    rollbackQuietly(*this);
    throw;
  }
}

void SqliteDriver::rollback() {
  for (SqliteRecordset* recordset : recordsets_) recordset->drop();
  if (inTransaction()) run(rollback_.get());
}

std::string SqliteDriver::tableSql(const TableName& table) const {
  return table.quoted('"', '"', BareNameCase::AsTyped);
}

std::unique_ptr<Recordset> SqliteDriver::openRecordset(const TableName& table) {
  std::string sql = tableSql(table);
  Statement statement = prepare(columnProbeSql(sql));
  if (!statement) throw sqliteError(SQLITE_MISUSE, "No table was named.");
  std::vector<std::string> columns;
  for (int i = 0, count = sqlite3_column_count(statement.get()); i < count; ++i) {
    columns.emplace_back(sqlite3_column_name(statement.get(), i));
  }
  auto recordset =
      std::make_unique<SqliteRecordset>(*this, table, std::move(sql), std::move(columns));
  recordsets_.push_back(recordset.get());
  return recordset;
}

void SqliteDriver::setCommandTimeout(std::int32_t seconds) {
  commandTimeout_ = seconds;
  sqlite3_busy_timeout(db_.get(), busyMilliseconds(seconds));
  if (seconds > 0) {
    sqlite3_progress_handler(db_.get(), 1000, &SqliteDriver::onProgress, this);
  } else {
    sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
  }
}

std::size_t SqliteDriver::parameterLimit() const {
  return static_cast<std::size_t>(sqlite3_limit(db_.get(), SQLITE_LIMIT_VARIABLE_NUMBER, -1));
}

Statement SqliteDriver::prepare(std::string_view sql, std::string_view* rest) {
  if (sql.size() > INT_MAX) throw sqliteError(SQLITE_TOOBIG, "The statement is too long.");
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()),
                         SQLITE_PREPARE_PERSISTENT, &statement, &tail) != SQLITE_OK) {
    throw lastError();
  }
  if (rest) *rest = sql.substr(static_cast<std::size_t>(tail - sql.data()));
  return Statement(statement);
}

void SqliteDriver::run(sqlite3_stmt* statement, TextRows* rows) {
  timedOut_ = false;
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(commandTimeout_);
  int result = SQLITE_ROW;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    if (rows == nullptr) continue;
    auto& row = rows->emplace_back();
    for (int i = 0, count = sqlite3_column_count(statement); i < count; ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
      row.emplace_back(text != nullptr ? text : "");
    }
  }
  if (result != SQLITE_DONE) {
    DatabaseError error = lastError();
    sqlite3_reset(statement);
    throw error;
  }
  sqlite3_reset(statement);
}

void SqliteDriver::forget(SqliteRecordset* recordset) {
  std::erase(recordsets_, recordset);
}

DatabaseError SqliteDriver::lastError() const {
  const int code = sqlite3_extended_errcode(db_.get());
  std::string message = sqlite3_errmsg(db_.get());
  if (code == SQLITE_INTERRUPT && timedOut_) {
    message += " (the statement ran longer than the command time-out of " +
               std::to_string(commandTimeout_) + " s)";
  }
  return sqliteError(code, std::move(message));
}

int SqliteDriver::onProgress(void* driver) {
  auto* self = static_cast<SqliteDriver*>(driver);
  if (std::chrono::steady_clock::now() < self->deadline_) return 0;
  self->timedOut_ = true;
  return 1;
}

}  // namespace sqlite

std::unique_ptr<Driver> openSqlite(const ConnectionSettings& settings, const OpenOptions& options) {
  if (settings.dataSource.empty()) {
    throw sqlite::sqliteError(SQLITE_CANTOPEN, "No database file is named in Data Source.");
  }
  std::filesystem::path file(settings.dataSource);
  if (file.is_relative()) file = options.programFolder / file;
  const std::u8string name = file.u8string();
  const std::string shown(name.begin(), name.end());
  sqlite3* raw = nullptr;
  // Read-write without create: a missing file is an error, never a new empty database.
  const int result =
      sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &raw,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite::Database db(raw);
  if (result != SQLITE_OK) {
    std::error_code ignored;
    const bool missing = !std::filesystem::exists(file, ignored);
    throw sqlite::sqliteError(
        result, std::string(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(result)) + ": " + shown +
                    (missing ? " (no such file)" : ""));
  }
  sqlite3_busy_timeout(db.get(), sqlite::busyMilliseconds(options.connectionTimeout));
  auto driver = std::make_unique<sqlite::SqliteDriver>(std::move(db));
  try {
    // Reading the schema proves the file is a database now, not at the first row.
    driver->execute("SELECT count(*) FROM sqlite_master", {});
  } catch (const DatabaseError& error) {
    throw sqlite::sqliteError(error.nativeCode(), error.message() + ": " + shown);
  }
  driver->setCommandTimeout(options.commandTimeout);
  return driver;
}

}  // namespace csv2sql::db
