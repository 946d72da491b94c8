#include "db/destination.h"

#include "core/datetime_text.h"
#include "core/text.h"

namespace csv2sql {

namespace {

// A value holding ";" would end early, and one that begins with a double quote would be read
// as quoted: both are enclosed in double quotes, any double quote inside doubled. Every other
// value is written exactly as typed.
std::string connectionValue(const std::string& value) {
  if (value.find(';') == std::string::npos && (value.empty() || value.front() != '"')) {
    return value;
  }
  std::string quoted = "\"";
  for (char c : value) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

}  // namespace

std::string SQLDateTime(DateTime TempDate) {
  // Appended piece by piece: "'" + text + "'" trips a false -Wrestrict of GCC 12 at -O3.
  std::string literal = "'";
  literal += formatDateTime(TempDate, "yyyy-mm-dd hh:mm:ss");
  literal += '\'';
  return literal;
}

Destination::Destination(Session& session, Messages& messages)
    : session_(session), messages_(messages) {}

db::Connection& Destination::cnnDest() {
  if (!cnnDest_) cnnDest_ = std::make_unique<db::Connection>(session_.programFolder);
  return *cnnDest_;
}

std::string Destination::BuildConnectionString() const {
  const FrmMain& form = session_.frmMain;
  return "Provider=" + connectionValue(form.cboOleProvider.text()) +
         ";Data Source=" + connectionValue(form.txtDataSource.text()) +
         ";initial catalog=" + connectionValue(form.txtInitialCat.text()) +
         ";User ID=" + connectionValue(form.txtUserId.text()) +
         ";Password=" + connectionValue(form.txtPassword.text()) + ";OLE DB Services =-2;";
}

void Destination::connect() {
  db::Connection& connection = cnnDest();
  if (connection.State() == db::Connection::StateOpen) connection.Close();
  connection.setConnectionTimeout(toInt32(session_.frmMain.txtConnectionTimeout.text()));
  connection.Open(BuildConnectionString());
  connection.setCommandTimeout(toInt32(session_.frmMain.txtCommandTimeout.text()));
  connection.setCursorLocation(db::Connection::CursorClientSide);
}

void Destination::btnConnectDest_Click() {
  // Reconnecting now would close the connection under the run's open recordset.
  if (runInProgress) {
    MessageBoxRequest busy;
    busy.prompt =
        "An import run is in progress and is using the connection.\r\n"
        "Press Test again when the run has ended.";
    busy.buttons = mb::OkOnly | mb::Information;
    messages_.directBox(busy);
    return;
  }
  try {
    connect();
  } catch (const Error& error) {
    messages_.ReportError(error, "btnConnectDest_Click");
    return;
  }
  MessageBoxRequest connected;
  connected.prompt = "Connected";
  messages_.directBox(connected);
}

}  // namespace csv2sql
