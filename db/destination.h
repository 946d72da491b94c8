#pragma once

#include <memory>
#include <string>

#include "components/db/connection.h"
#include "core/datetime.h"
#include "form/session.h"
#include "log/messages.h"

namespace csv2sql {

// "'" + the date-time as "yyyy-mm-dd hh:mm:ss" + "'".
std::string SQLDateTime(DateTime TempDate);

// The destination connection cnnDest, its connection string and the "Test" button.
class Destination {
 public:
  Destination(Session& session, Messages& messages);

  // Created, closed, on first use; lives as long as the window.
  db::Connection& cnnDest();

  // "Provider=" ... ";OLE DB Services =-2;" from the five connection fields; a value holding
  // ";" is enclosed in double quotes.
  std::string BuildConnectionString() const;

  // Close if open, set the connection time-out, open, set the command time-out and the
  // client-side cursor location. Errors pass to the caller.
  void connect();

  // "Test": connect and say "Connected", or report the error for "btnConnectDest_Click".
  void btnConnectDest_Click();

  // Set by the import run while it works, so "Test" leaves the run's connection alone.
  bool runInProgress = false;

 private:
  Session& session_;
  Messages& messages_;
  std::unique_ptr<db::Connection> cnnDest_;
};

}  // namespace csv2sql
