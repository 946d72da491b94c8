#pragma once

#include <memory>
#include <string>

#include "core/datetime.h"
#include "core/deferred.h"
#include "core/session.h"
#include "dbaccess/connection.h"
#include "log/messages.h"
#include "settings/settings.h"

namespace csv2sql {

// "'" + the date-time as "yyyy-mm-dd hh:mm:ss" + "'".
std::string SQLDateTime(DateTime TempDate);

// "Provider=" ... ";OLE DB Services =-2;" from the five connection settings; a value holding
// ";" is enclosed in double quotes.
std::string BuildConnectionString(const Settings& settings);

// What connecting takes, read from the settings at once: the connection string and the two
// time-outs, each failing only when the connect sequence reaches it.
struct ConnectPlan {
  std::string connectionString;
  Deferred<std::int32_t> connectionTimeout;
  Deferred<std::int32_t> commandTimeout;
};
ConnectPlan readConnectPlan(const Settings& settings);

// The destination connection cnnDest and the "Test" button.
class Destination {
 public:
  Destination(Session& session, Messages& messages);

  // Created, closed, on first use; lives as long as the window.
  db::Connection& cnnDest();

  // Close if open, set the connection time-out, open, set the command time-out. Errors pass
  // to the caller.
  void connect(const ConnectPlan& plan);

  // "Test": connect with the settings shown and say "Connected", or report the error for
  // "btnConnectDest_Click".
  void btnConnectDest_Click(const Settings& settings);

  // Set by the import run while it works, so "Test" leaves the run's connection alone.
  bool runInProgress = false;

 private:
  Session& session_;
  Messages& messages_;
  std::unique_ptr<db::Connection> cnnDest_;
};

}  // namespace csv2sql
