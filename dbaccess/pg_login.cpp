#include <chrono>

#include "core/platform.h"
#include "dbaccess/drivers.h"
#include "dbaccess/pg_driver.h"

namespace csv2sql::db {

namespace {

void ignoreNotice(void*, const char*) {}

// Drives the login to its end within the time-out (0: no limit). libpq's own blocking login
// is not used because only a login that the program drives can ask for the verbose error text
// that carries the server's SQLSTATE, and because its time-out cannot be shorter than 2 s.
void completeLogin(PGconn* connection, std::int32_t timeoutSeconds, const std::string& server) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  PostgresPollingStatusType state = PGRES_POLLING_WRITING;
  while (pg::libpq().PQstatus(connection) != CONNECTION_BAD) {
    int waitMs = -1;
    if (timeoutSeconds > 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      waitMs = left > 0 ? static_cast<int>(left) : 0;
    }
    const auto wait =
        state == PGRES_POLLING_WRITING ? platform::SocketWait::Write : platform::SocketWait::Read;
    if (!platform::waitForSocket(pg::libpq().PQsocket(connection), wait, waitMs)) {
      throw DatabaseError(0, "HYT00",
                          "Login timeout expired: the server " + server +
                              " did not complete the login within " +
                              std::to_string(timeoutSeconds) + " s.");
    }
    state = pg::libpq().PQconnectPoll(connection);
    if (state == PGRES_POLLING_OK) return;
    if (state == PGRES_POLLING_FAILED) break;
  }
  throw pg::loginError(pg::libpq().PQerrorMessage(connection));
}

}  // namespace

std::unique_ptr<Driver> openPostgres(const ConnectionSettings& settings,
                                     const OpenOptions& options) {
  const pg::ServerAddress address = pg::splitDataSource(settings.dataSource);
  std::vector<const char*> keys;
  std::vector<const char*> values;
  const auto add = [&](const char* key, const std::string& value) {
    if (value.empty()) return;  // libpq's default applies
    keys.push_back(key);
    values.push_back(value.c_str());
  };
  add("host", address.host);
  add("port", address.port);
  add("dbname", settings.initialCatalog);
  add("user", settings.userId);
  add("password", settings.password);
  const std::string encoding = "UTF8", application = "csv2sql";
  add("client_encoding", encoding);
  add("application_name", application);
  // Of several servers (a primary and its standbys, in any order) only the one that takes
  // writes; a lone standby is refused at the login rather than at the first COPY.
  const std::string writable = "read-write";
  add("target_session_attrs", writable);
  keys.push_back(nullptr);
  values.push_back(nullptr);

  // Keywords and values travel apart (expand_dbname 0): no value is ever read as settings.
  pg::PgConnection connection(pg::libpq().PQconnectStartParams(keys.data(), values.data(), 0));
  if (!connection) throw DatabaseError(0, "HY001", "Out of memory.");
  pg::libpq().PQsetErrorVerbosity(connection.get(), PQERRORS_VERBOSE);
  completeLogin(connection.get(), options.connectionTimeout,
                settings.dataSource.empty() ? "(default)" : settings.dataSource);
  pg::libpq().PQsetErrorVerbosity(connection.get(), PQERRORS_DEFAULT);
  pg::libpq().PQsetNoticeProcessor(connection.get(), ignoreNotice, nullptr);

  auto driver = std::make_unique<pg::PgDriver>(std::move(connection));
  driver->setCommandTimeout(options.commandTimeout);
  return driver;
}

}  // namespace csv2sql::db
