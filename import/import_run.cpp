#include "import/import_run.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "import/archive.h"
#include "import/csv_rows.h"
#include "import/run_plan.h"
#include "import/source_listing.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLogPrefix = "R27731";

// Marks a run as in progress for its whole length, however it ends.
class RunningFlags {
 public:
  RunningFlags(bool& run, bool& destination) : run_(run), destination_(destination) {
    run_ = destination_ = true;
  }
  ~RunningFlags() { run_ = destination_ = false; }
  RunningFlags(const RunningFlags&) = delete;
  RunningFlags& operator=(const RunningFlags&) = delete;

 private:
  bool& run_;
  bool& destination_;
};

// Opens a new run log, or goes on in the one that is open, as the run's first log line says.
void openOrContinueLog(const Session& session, RunLog& log, DateTime& logOpenedAt) {
  const DateTime now = session.clock->now();
  // Only the day of the month is compared, so a log left open on the 5th of one month is
  // still used on the 5th of the next.
  if (!log.LogFileName().empty() && logOpenedAt.day() == now.day()) {
    log.WriteLog("Woke up, checking for files");
    return;
  }
  if (!log.LogFileName().empty()) log.CloseLogFile();
  logOpenedAt = now;
  log.OpenLogFile(kLogPrefix);
  log.WriteLog("Trans Data Start");
}

void purgeOldRows(RunLog& log, db::Connection& connection, const db::TableName& table,
                  DateTime cutoff) {
  // The cut-off travels as a parameter: a date literal can be read with day and month swapped
  // under some server languages. The log shows the statement with the literal.
  connection.deleteRowsBefore(table, cutoff);
  log.WriteLog("Old recs Removed with: DELETE FROM " + table.text() + " WHERE DateTime < " +
               SQLDateTime(cutoff));
}

// What tells that a file was written to: its size and time of last change.
struct FileStamp {
  std::uintmax_t size = 0;
  fs::file_time_type written;
  bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const fs::path& path) {
  std::error_code sizeError, timeError;
  const auto size = fs::file_size(path, sizeError);
  const auto written = fs::last_write_time(path, timeError);
  if (sizeError || timeError) return std::nullopt;
  return FileStamp{size, written};
}

// One file: its rows, then its move into the archive folder when asked.
void importAndArchive(const Session& session, Grid& sp, RunLog& log, db::Connection& connection,
                      db::Recordset& recordset, const RunPlan& plan, const FileLayout& layout,
                      const std::string& name, const std::optional<FileStamp>& listed) {
  const fs::path path = plan.sourceFolder / name;
  // The file's rows are committed together, so a failure part-way leaves none of them and the
  // next run's re-read of the file imports each reading once.
  db::Transaction transaction(connection);
  importFileRows(sp, path, layout, plan.utc ? &*plan.utc : nullptr, recordset, log);
  if (!plan.archive) {
    transaction.commit();
    return;
  }
  // A file still being written (a logger appending to it) would be moved away with readings
  // that this run never read. Its rows are rolled back and it stays for a later run.
  if (const auto now = stampOf(path); listed && now && *now != *listed) {
    log.WriteLog("File " + name +
                 " changed while it was being read: its rows are rolled back and it stays "
                 "for the next run");
    return;
  }
  log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
  const ArchiveMove move =
      planArchive(plan.sourceFolder, plan.archiveFolder, name, session.clock->now());
  transaction.commit();
  ArchiveFile(move);
}

// A file whose rows the database refuses for their data (its transaction rolled back) would
// stop every run at the same place: with an error folder it goes there with a note of why, and
// the run goes on; without one the run ends, naming the file and the row.
void importFile(const Session& session, Grid& sp, RunLog& log, db::Connection& connection,
                db::Recordset& recordset, const RunPlan& plan, const FileLayout& layout,
                const std::string& name, const std::optional<FileStamp>& listed) {
  try {
    importAndArchive(session, sp, log, connection, recordset, plan, layout, name, listed);
  } catch (const db::DatabaseError& error) {
    if (!error.refusesData()) throw;
    const std::optional<std::int32_t> row =
        findRefusedRow(sp, layout, plan.utc ? &*plan.utc : nullptr, connection, plan.table.get());
    const std::string rowText = row ? std::to_string(*row) : "unknown";
    const std::string line = row ? echoedCell(sp.line(*row)) : "";
    if (!plan.errorFolder) {
      throw Error(error.number(), error.description() + " (file " + name + ", row " + rowText +
                                      (row ? ": " + line : "") + ")");
    }
    quarantineFile(plan.sourceFolder, *plan.errorFolder, name, session.clock->now(),
                   "File: " + name + "\r\nRow: " + rowText + "\r\nLine: " + line +
                       "\r\nDatabase: " + error.description() + "\r\n");
    log.WriteLog("Moved " + name + " to " + plan.errorFolderText + ": " +
                 echoedCell(error.message()));
  }
}

}  // namespace

ImportRun::ImportRun(Session& session, RunLog& log, Destination& destination, RunSchedule& schedule)
    : session_(session), log_(log), destination_(destination), schedule_(schedule) {}

RunEnd ImportRun::btnTransferData_Click() {
  // A tick or click handled during this run's yield must not start a run inside it.
  if (inProgress_) return RunEnd::Normal;
  const RunningFlags running(inProgress_, destination_.runInProgress);
  FrmMain& form = session_.frmMain;
  bool paused = false;
  try {
    const RunPlan plan = readRunPlan(session_);
    form.btnTransferData.setEnabled(false);
    openOrContinueLog(session_, log_, LogOpenedAt);
    paused = schedule_.pauseForRun();

    destination_.connect(plan.connection);
    db::Connection& connection = destination_.cnnDest();
    log_.WriteLog("Connected to Dest: " + connection.ConnectionString());

    const db::TableName& table = plan.table.get();
    if (plan.archive) checkArchiveFolder(plan.sourceFolder, plan.archiveFolder);
    if (plan.errorFolder) checkErrorFolder(plan.sourceFolder, *plan.errorFolder);
    if (plan.utc) log_.WriteLog("Times will be adjusted from UTC");
    if (plan.purgeCutoff) purgeOldRows(log_, connection, table, plan.purgeCutoff->get());

    const std::unique_ptr<db::Recordset> recordset = connection.OpenRecordset(table);
    log_.WriteLog("Destination Table Opened");

    const FileLayout& layout = plan.layout.get();
    const SourceListing listing = listSourceFiles(plan.sourceFolder);
    for (const auto& [name, why] : listing.passedOver) {
      log_.WriteLog("Passed over " + (plan.sourceFolder / name).string() +
                    ": it cannot be read as a file (" + why + ")");
    }
    const std::vector<std::string>& names = listing.names;
    // Taken with the listing, so a change at any time until the file is archived is seen.
    std::vector<std::optional<FileStamp>> listed;
    for (const std::string& name : names) listed.push_back(stampOf(plan.sourceFolder / name));
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (stopRequested_) break;
      log_.WriteLog("Loading file " + (plan.sourceFolder / names[i]).string());
      importFile(session_, form.sp, log_, connection, *recordset, plan, layout, names[i],
                 listed[i]);
      session_.eventLoop->yield();
    }

    recordset->close();
    form.btnTransferData.setEnabled(true);
    if (!paused) log_.CloseLogFile();
    schedule_.runEnded(paused, RunEnd::Normal);
    return RunEnd::Normal;
  } catch (...) {
    log_.WriteLog("Error " + currentError().numberAndDescription());
    schedule_.runEnded(paused, RunEnd::Failed);
    return RunEnd::Failed;
  }
}

}  // namespace csv2sql
