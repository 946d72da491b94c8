#include "dbaccess/connection.h"

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "dbaccess/drivers.h"
#include "dbaccess/providers.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db {

namespace {

// Reads a value that begins with a double quote at `pos`; a doubled quote stands for one.
// Leaves `pos` after the closing quote.
std::string readQuoted(std::string_view text, std::size_t& pos) {
  std::string value;
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] != '"') {
      value += text[pos];
    } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
      value += '"';
      ++pos;
    } else {
      ++pos;
      return value;
    }
  }
  throw Error::withDetail(err::BadConnectionString, "A quoted value has no closing double quote.");
}

std::string* settingFor(ConnectionSettings& settings, std::string_view key) {
  if (equalsIgnoreCase(key, "Provider")) return &settings.provider;
  if (equalsIgnoreCase(key, "Data Source")) return &settings.dataSource;
  if (equalsIgnoreCase(key, "Initial Catalog")) return &settings.initialCatalog;
  if (equalsIgnoreCase(key, "User ID")) return &settings.userId;
  if (equalsIgnoreCase(key, "Password")) return &settings.password;
  return nullptr;
}

std::string reportedString(const ConnectionSettings& settings) {
  return "Provider=" + connectionStringValue(settings.provider) +
         ";Data Source=" + connectionStringValue(settings.dataSource) +
         ";Initial Catalog=" + connectionStringValue(settings.initialCatalog) +
         ";User ID=" + connectionStringValue(settings.userId);
}

[[noreturn]] void notBuiltIn(std::string_view provider) {
  throw Error::withDetail(err::ProviderNotFound, "The provider \"" + std::string(provider) +
                                                     "\" is not built into this program.");
}

[[noreturn]] void unknownProvider(std::string_view provider) {
  std::string known;
  for (const Provider& entry : kProviders) {
    if (!known.empty()) known += ", ";
    known += entry.name;
  }
  throw Error::withDetail(err::ProviderNotFound, "Unknown provider \"" + std::string(provider) +
                                                     "\"; the known providers are " + known + ".");
}

std::unique_ptr<Driver> openDriver(const ConnectionSettings& settings, const OpenOptions& options) {
  const std::string_view name = trimBlanks(settings.provider);
  const Provider* provider = findProvider(name);
  if (!provider) unknownProvider(name);
  if (provider->kind == ProviderKind::Sqlite) {
    if constexpr (CSV2SQL_WITH_SQLITE) return openSqlite(settings, options);
    notBuiltIn(name);
  }
  if (provider->kind == ProviderKind::PostgreSql) {
    if constexpr (CSV2SQL_WITH_POSTGRESQL) return openPostgres(settings, options);
    notBuiltIn(name);
  }
  if (provider->kind == ProviderKind::OdbcDataSource) return openOdbc(settings, options, "");
  // The rest are SQL Server's.
  const std::string odbcDriver = bestSqlServerOdbcDriver();
  if (odbcDriver.empty()) {
    throw Error::withDetail(err::ProviderNotFound,
                            "No SQL Server ODBC driver is installed for the provider \"" +
                                std::string(name) +
                                "\" (Microsoft ODBC Driver 18 or 17 for SQL Server, or FreeTDS).");
  }
  return openOdbc(settings, options, odbcDriver);
}

void requireTimeout(std::int32_t seconds) {
  if (seconds < 0) {
    throw Error::withDetail(err::InvalidArgument,
                            "A time-out cannot be negative (" + std::to_string(seconds) + ").");
  }
}

}  // namespace

ConnectionSettings parseConnectionString(std::string_view text) {
  ConnectionSettings settings;
  const auto partEnd = [&](std::size_t from) {
    return std::min(text.find(';', from), text.size());
  };
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t stop = partEnd(pos);
    const std::size_t equals = text.find('=', pos);
    if (equals >= stop) {
      // Only blanks may stand between two ";" or after the last one.
      if (!trimBlanks(text.substr(pos, stop - pos)).empty()) {
        throw Error::withDetail(
            err::BadConnectionString,
            "The part \"" + std::string(text.substr(pos, stop - pos)) + "\" has no \"=\".");
      }
      pos = stop + 1;
      continue;
    }
    const std::string_view key = trimBlanks(text.substr(pos, equals - pos));
    std::string value;
    pos = text.find_first_not_of(" \t", equals + 1);
    if (pos < text.size() && text[pos] == '"') {
      value = readQuoted(text, pos);
      stop = partEnd(pos);
      if (!trimBlanks(text.substr(pos, stop - pos)).empty()) {
        throw Error::withDetail(
            err::BadConnectionString,
            "Text follows the closing quote of the value of \"" + std::string(key) + "\".");
      }
    } else {
      value = text.substr(equals + 1, stop - equals - 1);
    }
    if (std::string* setting = settingFor(settings, key)) *setting = std::move(value);
    pos = stop + 1;
  }
  return settings;
}

std::string connectionStringValue(std::string_view value) {
  // The reader skips blanks before a value's opening quote.
  if (value.find(';') == std::string_view::npos && !trimBlanks(value).starts_with('"')) {
    return std::string(value);
  }
  return enclosed(value, '"', '"');
}

Connection::Connection(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)) {}

Connection::~Connection() = default;

void Connection::Close() {
  driver_.reset();
  settings_ = {};
  reported_.clear();
}

void Connection::setCommandTimeout(std::int32_t seconds) {
  requireTimeout(seconds);
  if (driver_) driver_->setCommandTimeout(seconds);
  commandTimeout_ = seconds;
}

void Connection::Open(const std::string& connectionString) {
  Close();
  requireTimeout(connectionTimeout_);
  ConnectionSettings settings = parseConnectionString(connectionString);
  const OpenOptions options{connectionTimeout_, commandTimeout_, programFolder_};
  driver_ = openDriver(settings, options);
  reported_ = reportedString(settings);
  settings_ = std::move(settings);
}

void Connection::Execute(std::string_view sql, std::span<const FieldValue> parameters) {
  driver().execute(sql, parameters);
}

TextRows Connection::Query(std::string_view sql, std::span<const FieldValue> parameters) {
  return driver().query(sql, parameters);
}

void Connection::BeginTrans() {
  driver().begin();
}

void Connection::CommitTrans() {
  driver().commit();
}

void Connection::RollbackTrans() {
  driver().rollback();
}

void Connection::deleteRowsBefore(const TableName& table, DateTime cutoff) {
  const FieldValue parameters[] = {cutoff};
  const std::unique_ptr<Recordset> columns = driver().openRecordset(table);
  const std::string column = columns->columnSql("DateTime");
  columns->close();
  driver().execute("DELETE FROM " + driver().tableSql(table) + " WHERE " + column + " < ?",
                   parameters);
}

std::unique_ptr<Recordset> Connection::OpenRecordset(const TableName& table) {
  return driver().openRecordset(table);
}

Driver& Connection::driver() {
  if (!driver_) throw Error(err::ObjectClosed);
  return *driver_;
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  connection_.BeginTrans();
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    connection_.RollbackTrans();
  } catch (...) {
    // A destructor must not throw. A connection that cannot roll back is closed or lost, and
    // the database has dropped the transaction with it.
  }
}

void Transaction::commit() {
  connection_.CommitTrans();
  open_ = false;
}

}  // namespace csv2sql::db
