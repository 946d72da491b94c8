#include "dbaccess/odbc_connection.h"

#include "dbaccess/odbc_api.h"

#include <algorithm>

#include "dbaccess/drivers.h"
#include "dbaccess/odbc_statement.h"
#include "dbaccess/odbc_text.h"

namespace csv2sql::db::odbc {
namespace {

Handle newEnvironment() {
  Handle environment(SQL_HANDLE_ENV, nullptr);
  environment.check(SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION,
                                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                    "SQLSetEnvAttr");
  return environment;
}

SQLPOINTER attributeValue(SQLULEN value) {
  return reinterpret_cast<SQLPOINTER>(value);
}

// The connection has refused negative time-outs already.
SQLULEN seconds(std::int32_t value) {
  return static_cast<SQLULEN>(value);
}

void setConnectionAttribute(const Handle& connection, SQLINTEGER attribute, SQLULEN value) {
  connection.check(SQLSetConnectAttr(connection.get(), attribute, attributeValue(value), 0),
                   "SQLSetConnectAttr");
}

// The marks around an identifier: SQL Server's own brackets, which do not depend on the
// session's QUOTED_IDENTIFIER setting; else the driver's identifier quote; blanks when it has
// none.
std::pair<char, char> identifierMarks(const Handle& connection, Dialect dialect) {
  if (dialect == Dialect::SqlServer) return {'[', ']'};
  SQLWCHAR text[64] = {};
  SQLSMALLINT length = 0;
  connection.check(
      SQLGetInfoW(connection.get(), SQL_IDENTIFIER_QUOTE_CHAR, text, sizeof text, &length),
      "SQLGetInfo");
  const bool quote = length > 0 && text[0] > 0x20 && text[0] < 0x7F;
  const char mark = quote ? static_cast<char>(text[0]) : ' ';
  return {mark, mark};
}

Dialect dialectOf(const Handle& connection) {
  SQLWCHAR text[64] = {};
  SQLSMALLINT length = 0;
  connection.check(SQLGetInfoW(connection.get(), SQL_DBMS_NAME, text, sizeof text, &length),
                   "SQLGetInfo");
  const std::string dbms = toUtf8(text, static_cast<std::size_t>(length) / sizeof(SQLWCHAR));
  if (dbms.find("SQL Server") != std::string::npos) return Dialect::SqlServer;
  if (dbms.find("PostgreSQL") != std::string::npos) return Dialect::PostgreSql;
  if (dbms.find("SQLite") != std::string::npos) return Dialect::Sqlite;
  return Dialect::Other;
}

BareNameCase bareNameCase(const Handle& connection) {
  SQLUSMALLINT identifierCase = SQL_IC_MIXED;
  connection.check(SQLGetInfoW(connection.get(), SQL_IDENTIFIER_CASE, &identifierCase,
                               sizeof identifierCase, nullptr),
                   "SQLGetInfo");
  if (identifierCase == SQL_IC_LOWER) return BareNameCase::Lower;
  if (identifierCase == SQL_IC_UPPER) return BareNameCase::Upper;
  return BareNameCase::AsTyped;
}

// The INSERT that starts with head and lists `rows` rows of `columns` markers.
std::string valuesSql(const std::string& head, std::size_t columns, std::size_t rows) {
  std::string row = "(?";
  for (std::size_t i = 1; i < columns; ++i) row += ",?";
  row += ')';
  std::string sql = head;
  sql.reserve(head.size() + rows * (row.size() + 1));
  for (std::size_t i = 0; i < rows; ++i) {
    if (i > 0) sql += ',';
    sql += row;
  }
  return sql;
}

}  // namespace

OdbcConnection::OdbcConnection(const std::string& connectionString, const OpenOptions& options)
    : environment_(newEnvironment()),
      connection_(SQL_HANDLE_DBC, &environment_),
      commandTimeout_(seconds(options.commandTimeout)) {
  const SQLULEN loginTimeout = seconds(options.connectionTimeout);
  setConnectionAttribute(connection_, SQL_ATTR_LOGIN_TIMEOUT, loginTimeout);
  setConnectionAttribute(connection_, SQL_ATTR_CONNECTION_TIMEOUT, loginTimeout);
  WideText text = toWide(connectionString, "the connection string");
  connection_.check(SQLDriverConnectW(connection_.get(), nullptr, text.data(),
                                      static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                      SQL_DRIVER_NOPROMPT),
                    "SQLDriverConnect");
  dialect_ = dialectOf(connection_);
  identifierMarks_ = identifierMarks(connection_, dialect_);
  bareNameCase_ = bareNameCase(connection_);
}

std::string OdbcConnection::quotedName(const TableName& table) const {
  if (const auto [open, close] = identifierMarks_; open != ' ') {
    return table.quoted(open, close, bareNameCase_);
  }
  if (!table.allBare()) {
    throw Error::withDetail(
        err::InvalidArgument,
        "The ODBC driver has no way to quote the table name " + table.text() + ".");
  }
  return table.text();
}

OdbcConnection::~OdbcConnection() {
  // Closing inside a transaction rolls it back, as the server would on a lost connection;
  // some drivers refuse to disconnect otherwise.
  rollbackQuietly(*this);
  SQLDisconnect(connection_.get());
}

void OdbcConnection::setCommandTimeout(std::int32_t value) {
  commandTimeout_ = seconds(value);
  prepared_.reset();
}

Handle OdbcConnection::newStatement() const {
  Handle statement(SQL_HANDLE_STMT, &connection_);
  statement.check(
      SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT, attributeValue(commandTimeout_), 0),
      "SQLSetStmtAttr");
  return statement;
}

void OdbcConnection::execute(std::string_view sql, std::span<const FieldValue> parameters) {
  query(sql, parameters, nullptr);
}

void OdbcConnection::query(std::string_view sql, std::span<const FieldValue> parameters,
                           TextRows* result) {
  sendHeld();
  const Handle statement = newStatement();
  if (parameters.empty()) {
    executeDirect(statement, sql, result);
    return;
  }
  std::vector<Value> row;
  row.reserve(parameters.size());
  for (const FieldValue& parameter : parameters) row.push_back(ownedValue(parameter));
  ParameterRows rows(row.size());
  rows.add(row);
  executePrepared(statement, sql, rows, rows.all(), result);
}

void OdbcConnection::begin() {
  if (inTransaction_) throw DatabaseError(0, "25001", "A transaction is already in progress.");
  setAutocommit(false);
  inTransaction_ = true;
}

void OdbcConnection::commit() {
  if (!inTransaction_) throw DatabaseError(0, "25P01", "There is no transaction in progress.");
  try {
    sendHeld();
    connection_.check(SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_COMMIT), "SQLEndTran");
  } catch (...) {
    rollbackQuietly(*this);
    throw;
  }
  prepared_.reset();
  setAutocommit(true);
  inTransaction_ = false;
}

void OdbcConnection::rollback() {
  held_.reset();
  prepared_.reset();
  if (!inTransaction_) return;
  connection_.check(SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK), "SQLEndTran");
  // Only now: switching automatic commits on would commit a transaction still open. After a
  // failed roll-back the transaction stays marked open, so the next begin fails rather than
  // running statements that would never be committed.
  setAutocommit(true);
  inTransaction_ = false;
}

void OdbcConnection::setAutocommit(bool on) {
  setConnectionAttribute(connection_, SQL_ATTR_AUTOCOMMIT,
                         on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
}

std::vector<std::string> OdbcConnection::describeColumns(std::string_view query) {
  return odbc::describeColumns(newStatement(), query);
}

ParameterRows OdbcConnection::newRows(std::size_t columns) {
  return ParameterRows(columns,
                       dialect_ == Dialect::PostgreSql ? ValueForm::Text : ValueForm::Native,
                       std::move(spareBuffers_));
}

std::size_t OdbcConnection::rowsPerStatement(std::size_t columns) const {
  if (dialect_ != Dialect::SqlServer && dialect_ != Dialect::PostgreSql) return 1;
  return std::clamp<std::size_t>(kMaxParameters / std::max<std::size_t>(columns, 1), 1,
                                 kMaxValuesRows);
}

void OdbcConnection::insert(const std::string& insertHead, std::span<Value> row) {
  if (!inTransaction_) {
    ParameterRows rows = newRows(row.size());
    rows.add(row);
    insertRows(insertHead, rows, rows.all());
    spareBuffers_ = rows.takeBuffers();
    return;
  }
  if (held_ && (held_->head != insertHead || !held_->rows.fits(row))) sendHeld();
  if (!held_) held_.emplace(HeldRows{insertHead, newRows(row.size())});
  held_->rows.add(row);
  const std::size_t perStatement = rowsPerStatement(held_->rows.columns());
  if (held_->rows.size() >= (kBatchRows + perStatement - 1) / perStatement * perStatement) {
    sendHeld();
  }
}

void OdbcConnection::sendHeld() {
  if (!held_) return;
  // Taken out first: rows that fail to be sent are not sent again.
  HeldRows batch = std::move(*held_);
  held_.reset();
  const std::size_t count = batch.rows.size();
  const std::size_t perStatement = std::min(rowsPerStatement(batch.rows.columns()), count);
  const std::size_t sets = count / perStatement, rest = count % perStatement;
  if (perStatement == 1) {
    insertRows(batch.head, batch.rows, {0, sets, 1});
  } else {
    const std::size_t values = batch.rows.columns() * perStatement;
    const Handle& statement =
        preparedInsert(valuesSql(batch.head, batch.rows.columns(), perStatement), values);
    for (std::size_t set = 0; set < sets; ++set) {
      executeBound(statement, batch.rows, {set * perStatement, 1, perStatement});
    }
    if (rest > 0) insertRows(batch.head, batch.rows, {sets * perStatement, 1, rest});
  }
  spareBuffers_ = batch.rows.takeBuffers();
}

const Handle& OdbcConnection::preparedInsert(std::string sql, std::size_t values) {
  if (prepared_ && prepared_->sql == sql) return prepared_->statement;
  prepared_.reset();
  Handle statement = newStatement();
  prepareChecked(statement, sql, values);
  prepared_.emplace(PreparedInsert{std::move(sql), std::move(statement)});
  return prepared_->statement;
}

void OdbcConnection::insertRows(const std::string& head, ParameterRows& rows,
                                const ParameterSlice& slice) {
  executePrepared(newStatement(), valuesSql(head, rows.columns(), slice.rowsPerSet), rows, slice);
}

}  // namespace csv2sql::db::odbc
