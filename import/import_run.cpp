#include "import/import_run.h"

#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/system_error.h"
#include "core/text.h"
#include "import/archive.h"
#include "import/csv_rows.h"
#include "import/folder_text.h"
#include "import/source_listing.h"
#include "import/table_name.h"
#include "import/utc_offsets.h"

namespace csv2sql {

namespace {

constexpr const char* kLogPrefix = "R27731";
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kInternalError = 51;
constexpr std::int32_t kInvalidArgument = 5;

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

// The error that the run's error path reports for whatever a step threw.
Error currentError() {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::filesystem::filesystem_error& error) {
    return errorFromSystem(error.code());
  } catch (const std::bad_alloc&) {
    return Error(kOutOfMemory, "Out of memory");
  } catch (const std::exception& error) {
    return Error(kInternalError, std::string("Internal error: ") + error.what());
  } catch (...) {
    return Error(kInternalError, "Internal error");
  }
}

void requireTableIdentifier(const std::string& table) {
  if (!isTableIdentifier(table)) {
    throw Error(kInvalidArgument,
                "The destination table name \"" + table +
                    "\" is not a table name: use letters, digits, _, @, #, $, parts joined by "
                    "\".\", a part may be enclosed in [ ] or double quotes");
  }
}

FileLayout readLayout(const FrmMain& form) {
  FileLayout layout;
  layout.colDateTime = toInt32(form.txtColDateTime.text());
  layout.colTag = toInt32(form.txtColTag.text());
  layout.colValue = toInt32(form.txtColValue.text());
  layout.headerRows = toInt32(form.txtHeaderRows.text());
  return layout;
}

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

// Deletes the rows older than the days in txtDeleteDays, when asked.
void purgeOldRows(const Session& session, RunLog& log, db::Connection& connection,
                  const std::string& table) {
  const FrmMain& form = session.frmMain;
  if (form.chkDelOldRecs.value() != 1 || !isNumeric(form.txtDeleteDays.text())) return;
  const std::int16_t days = toInt16(form.txtDeleteDays.text());
  const DateTime cutoff = session.clock->now().date().addDays(-days);
  // The cut-off travels as a parameter: a date literal can be read with day and month swapped
  // under some server languages. The log shows the statement with the literal.
  const db::FieldValue parameters[] = {cutoff};
  connection.Execute("DELETE FROM " + table + " WHERE DateTime < ?", parameters);
  log.WriteLog("Old recs Removed with: DELETE FROM " + table + " WHERE DateTime < " +
               SQLDateTime(cutoff));
}

// What tells that a file was written to: its size and time of last change.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written;
  bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::string& path) {
  std::error_code sizeError, timeError;
  const auto size = std::filesystem::file_size(path, sizeError);
  const auto written = std::filesystem::last_write_time(path, timeError);
  if (sizeError || timeError) return std::nullopt;
  return FileStamp{size, written};
}

// One file: its rows, then its move into the archive folder when asked.
void importFile(Session& session, RunLog& log, db::Connection& connection, db::Recordset& recordset,
                const std::string& sourceFolder, const std::string& name, const FileLayout& layout,
                bool utcOn, const std::optional<FileStamp>& listed) {
  FrmMain& form = session.frmMain;
  // The file's rows are committed together, so a failure part-way leaves none of them and the
  // next run's re-read of the file imports each reading once.
  db::Transaction transaction(connection);
  // Read once per file: an edit of the table between files is seen by the next file.
  const std::optional<UtcOffsetTable> utc =
      utcOn ? std::optional<UtcOffsetTable>(form.spUTC) : std::nullopt;
  importFileRows(form.sp, sourceFolder + name, layout, utc ? &*utc : nullptr, recordset, log);
  if (form.chkArchive.value() == 0) {
    transaction.commit();
    return;
  }
  // A file still being written (a logger appending to it) would be moved away with readings
  // that this run never read. Its rows are rolled back and it stays for a later run.
  if (const auto now = stampOf(sourceFolder + name); listed && now && *now != *listed) {
    log.WriteLog("File " + name +
                 " changed while it was being read: its rows are rolled back and it stays "
                 "for the next run");
    return;
  }
  log.WriteLog("Archiving " + name + " to " + form.txtArchiveFolder.text());
  const ArchiveMove move = planArchive(session, name);
  transaction.commit();
  ArchiveFile(move);
}

}  // namespace

ImportRun::ImportRun(Session& session, RunLog& log, Destination& destination)
    : session_(session), log_(log), destination_(destination) {}

bool ImportRun::btnTransferData_Click() {
  // A tick or click handled during this run's yield must not start a run inside it.
  if (inProgress_) return true;
  const RunningFlags running(inProgress_, destination_.runInProgress);
  FrmMain& form = session_.frmMain;
  try {
    form.btnTransferData.setEnabled(false);
    openOrContinueLog(session_, log_, LogOpenedAt);

    const bool timerWasRunning = form.Timer1.enabled();
    if (timerWasRunning) form.Timer1.setEnabled(false);

    destination_.connect();
    db::Connection& connection = destination_.cnnDest();
    log_.WriteLog("Connected to Dest: " + connection.ConnectionString());

    const std::string sourceFolder = folderFromText(form.txtSourceCSV.text());
    const std::string table(trimSpaces(form.txtDestTable.text()));
    requireTableIdentifier(table);
    if (form.chkArchive.value() != 0) {
      checkArchiveFolder(sourceFolder, folderFromText(form.txtArchiveFolder.text()));
    }

    const bool utcOn = form.chkUtcOffset.value() != 0;
    if (utcOn) log_.WriteLog("Times will be adjusted from UTC");

    purgeOldRows(session_, log_, connection, table);

    const std::unique_ptr<db::Recordset> recordset = connection.OpenRecordset(table);
    log_.WriteLog("Destination Table Opened");

    const FileLayout layout = readLayout(form);
    const std::vector<std::string> names = listSourceFiles(sourceFolder);
    // Taken with the listing, so a change at any time until the file is archived is seen.
    std::vector<std::optional<FileStamp>> listed;
    for (const std::string& name : names) listed.push_back(stampOf(sourceFolder + name));
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (stopRequested_) break;
      log_.WriteLog("Loading file " + sourceFolder + names[i]);
      importFile(session_, log_, connection, *recordset, sourceFolder, names[i], layout, utcOn,
                 listed[i]);
      session_.eventLoop->yield();
    }

    recordset->close();
    form.btnTransferData.setEnabled(true);
    if (timerWasRunning) {
      setNextRunTime(session_);
      form.Timer1.setEnabled(true);
    } else {
      log_.CloseLogFile();
    }
    return true;
  } catch (...) {
    const Error error = currentError();
    log_.WriteLog("Error " + std::to_string(error.number()) + " - " + error.description());
    return false;
  }
}

}  // namespace csv2sql
