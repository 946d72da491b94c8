#include "db/destination.h"

#include "core/datetime_text.h"
#include "core/text.h"

namespace csv2sql {

std::string BuildConnectionString(const FrmMain& form) {
  using db::connectionStringValue;
  return "Provider=" + connectionStringValue(form.cboOleProvider.text()) +
         ";Data Source=" + connectionStringValue(form.txtDataSource.text()) +
         ";initial catalog=" + connectionStringValue(form.txtInitialCat.text()) +
         ";User ID=" + connectionStringValue(form.txtUserId.text()) +
         ";Password=" + connectionStringValue(form.txtPassword.text()) + ";OLE DB Services =-2;";
}

ConnectPlan readConnectPlan(const FrmMain& form) {
  const std::string connectionTimeout = form.txtConnectionTimeout.text();
  const std::string commandTimeout = form.txtCommandTimeout.text();
  return ConnectPlan{
      BuildConnectionString(form),
      Deferred<std::int32_t>::of([&] { return toInt32(connectionTimeout); }),
      Deferred<std::int32_t>::of([&] { return toInt32(commandTimeout); }),
  };
}

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

void Destination::connect(const ConnectPlan& plan) {
  db::Connection& connection = cnnDest();
  if (connection.State() == db::Connection::StateOpen) connection.Close();
  connection.setConnectionTimeout(plan.connectionTimeout.get());
  connection.Open(plan.connectionString);
  connection.setCommandTimeout(plan.commandTimeout.get());
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
    connect(readConnectPlan(session_.frmMain));
  } catch (const Error& error) {
    messages_.ReportError(error, "btnConnectDest_Click");
    return;
  }
  MessageBoxRequest connected;
  connected.prompt = "Connected";
  messages_.directBox(connected);
}

}  // namespace csv2sql
