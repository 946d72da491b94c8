#include "destination/destination.h"

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

// What keeps a run from writing into the destination table, or "" when nothing does. The row
// begun to learn the columns is dropped by the close, never written.
std::string tableProblem(db::Connection& connection, const std::string& tableText) {
  try {
    const std::unique_ptr<db::Recordset> recordset =
        connection.OpenRecordset(db::TableName::check(tableText));
    recordset->addNew();
    std::string missing;
    for (const char* column : {"DateTime", "Tag", "Value"}) {
      try {
        recordset->setField(column, {});
      } catch (const Error& error) {
        if (error.number() != err::ItemNotFound) throw;
        missing += missing.empty() ? column : std::string(", ") + column;
      }
    }
    recordset->close();
    if (missing.empty()) return {};
    return "The destination table " + tableText + " has no column " + missing + ".";
  } catch (const Error& error) {
    return "The destination table " + tableText + " cannot be opened: Error " +
           error.numberAndDescription();
  }
}

}  // namespace

std::string BuildConnectionString(const Settings& settings) {
  using db::connectionStringValue;
  return "Provider=" + connectionStringValue(settings.provider) +
         ";Data Source=" + connectionStringValue(settings.dataSource) +
         ";initial catalog=" + connectionStringValue(settings.initialCatalog) +
         ";User ID=" + connectionStringValue(settings.userId) +
         ";Password=" + connectionStringValue(settings.password) + ";OLE DB Services =-2;";
}

ConnectPlan readConnectPlan(const Settings& settings) {
  return ConnectPlan{
      BuildConnectionString(settings),
      Deferred<std::int32_t>::of([&] { return settings.connectionTimeout.toInt32(); }),
      Deferred<std::int32_t>::of([&] { return settings.commandTimeout.toInt32(); }),
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

void Destination::btnConnectDest_Click(const Settings& settings) {
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
    connect(readConnectPlan(settings));
  } catch (const Error& error) {
    messages_.ReportError(error, "btnConnectDest_Click");
    return;
  }
  MessageBoxRequest connected;
  connected.prompt = "Connected";
  if (const std::string problem = tableProblem(cnnDest(), settings.destTable); !problem.empty()) {
    connected.prompt += "\r\n" + problem;
  }
  messages_.directBox(connected);
}

}  // namespace csv2sql
