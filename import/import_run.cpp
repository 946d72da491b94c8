#include "import/import_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "import/archive.h"
#include "import/file_group.h"
#include "import/file_import.h"
#include "import/ledger.h"
#include "import/reject_file.h"
#include "import/retention.h"
#include "import/run_plan.h"
#include "import/source_listing.h"
#include "import/source_lock.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

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

// The settings stay locked for the run's whole length, however it ends.
class SettingsLock {
 public:
  explicit SettingsLock(RunObserver& observer) : observer_(observer) {
    observer_.settingsLocked(true);
  }
  ~SettingsLock() { observer_.settingsLocked(false); }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

 private:
  RunObserver& observer_;
};

// Seconds from one time to a later one.
double secondsBetween(DateTime from, DateTime to) {
  return static_cast<double>(to.microseconds() - from.microseconds()) / 1e6;
}

// One file's progress, shown and let paint at most every kShowEvery, and its skipped rows in the
// run's reject file.
class FileProgress final : public RowObserver {
 public:
  static constexpr std::int64_t kShowEveryMicros = 50'000;

  FileProgress(Session& session, RunObserver& observer, RejectFile& rejects,
               const std::string& name, std::size_t number, std::size_t files)
      : session_(session),
        observer_(observer),
        rejects_(rejects),
        name_(name),
        file_("File " + std::to_string(number) + " of " + std::to_string(files)),
        started_(session.clock->now()),
        shown_(started_) {
    observer_.progress(file_);
  }

  void skipped(std::int64_t row, std::string_view line, std::string_view reason) override {
    rejects_.add(name_, row, line, reason);
  }

  void rowsRead(std::int64_t rows) override {
    const DateTime now = session_.clock->now();
    if (now.microseconds() - shown_.microseconds() < kShowEveryMicros) return;
    shown_ = now;
    const double seconds = secondsBetween(started_, now);
    observer_.progress(
        file_ + ", " + std::to_string(rows) + " rows read, " +
        std::to_string(static_cast<std::int64_t>(static_cast<double>(rows) / seconds)) +
        " rows per second");
    session_.eventLoop->yield();
  }

 private:
  Session& session_;
  RunObserver& observer_;
  RejectFile& rejects_;
  const std::string& name_;
  const std::string file_;
  const DateTime started_;
  DateTime shown_;
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

}  // namespace

ImportRun::ImportRun(Session& session, RunLog& log, Destination& destination, RunSchedule& schedule,
                     RunObserver& observer)
    : session_(session),
      log_(log),
      destination_(destination),
      schedule_(schedule),
      observer_(observer) {}

RunEnd ImportRun::btnTransferData_Click(const Settings& settings) {
  // A tick or click handled during this run's yield must not start a run inside it.
  if (inProgress_) return RunEnd::Normal;
  const RunningFlags running(inProgress_, destination_.runInProgress);
  const SettingsLock locked(observer_);
  const DateTime started = session_.clock->now();
  report_ = RunReport{};
  report_.started = started;
  bool paused = false;
  try {
    const RunPlan plan = readRunPlan(session_, settings);
    observer_.loadDataEnabled(false);
    openOrContinueLog(session_, log_, LogOpenedAt);
    paused = schedule_.pauseForRun();

    destination_.connect(plan.connection);
    db::Connection& connection = destination_.cnnDest();
    log_.WriteLog("Connected to Dest: " + connection.ConnectionString());

    const db::TableName& table = plan.table.get();
    if (plan.archive) checkArchiveFolder(plan.sourceFolder, plan.archiveFolder);
    if (plan.errorFolder) checkErrorFolder(plan.sourceFolder, *plan.errorFolder);
    // Unattended settings that do not convert end the run before any file is touched.
    if (plan.rejectLimit) plan.rejectLimit->get();
    if (plan.keepDays) plan.keepDays->get();
    plan.quietTime.get();
    if (plan.utc) log_.WriteLog("Times will be adjusted from UTC");
    if (plan.purgeCutoff) purgeOldRows(log_, connection, table, plan.purgeCutoff->get());

    const std::unique_ptr<db::Recordset> recordset = connection.OpenRecordset(table);
    log_.WriteLog("Destination Table Opened");
    std::optional<Ledger> ledger;
    if (plan.ledger) ledger.emplace(connection, plan.ledger->get());
    Ledger* const knownFiles = ledger ? &*ledger : nullptr;
    FileGroup group(connection, knownFiles);
    const FileImport run{session_,          log_,       connection,      group, *recordset, plan,
                         plan.layout.get(), knownFiles, report_.setAside};

    const std::optional<SourceLock> lock =
        ledger ? std::nullopt : SourceLock::take(plan.sourceFolder);
    const bool taken = !ledger && !lock;
    if (taken)
      log_.WriteLog("Passed over " + plan.sourceFolder.string() + ": taken by another loader");
    const SourceListing listing =
        taken ? SourceListing{} : listSourceFiles(plan.sourceFolder, plan.files.get());
    for (const auto& [name, why] : listing.passedOver) {
      log_.WriteLog("Passed over " + (plan.sourceFolder / name).string() +
                    ": it cannot be read as a file (" + why + ")");
    }
    const std::vector<std::string>& names = listing.names;
    // Taken with the listing, so a change at any time until the file is archived is seen.
    std::vector<std::optional<FileStamp>> listed;
    for (const std::string& name : names) listed.push_back(stampOf(plan.sourceFolder / name));
    RejectFile rejects(log_);
    FileCounts total;
    std::size_t files = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (stopRequested_) break;
      if (lock) lock->refresh();
      // The ledger's rows of the next files are read while no group is open: a group ends
      // before a file the last look-ahead did not read.
      if (ledger && !ledger->lookedAhead(names[i])) {
        ledger->lookAhead(
            std::span(names).subspan(i, std::min(Ledger::kLookAheadFiles, names.size() - i)));
      }
      log_.WriteLog("Loading file " + (plan.sourceFolder / names[i]).string());
      FileProgress progress(session_, observer_, rejects, names[i], i + 1, names.size());
      const bool last = i + 1 == names.size();
      const bool closesGroup = last || (ledger && !ledger->lookedAhead(names[i + 1]));
      const FileCounts counts = importFile(run, names[i], listed[i], progress, closesGroup);
      total.stored += counts.stored;
      total.skipped += counts.skipped;
      ++files;
      session_.eventLoop->yield();
    }
    // A stop request ends the loop with its group open.
    const FileCounts refused = commitGroup(run);
    total.stored -= refused.stored;
    total.skipped -= refused.skipped;

    recordset->close();
    removeOldFiles(session_, log_, plan);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", secondsBetween(started, session_.clock->now()));
    summary_ = "Run done: " + std::to_string(files) + " files, " + fileCountsLine(total) + ", " +
               seconds + " seconds";
    log_.WriteLog(summary_);
    report_.files = files;
    report_.counts = total;
    report_.ended = session_.clock->now();
    observer_.progress("");
    observer_.loadDataEnabled(true);
    if (!paused) log_.CloseLogFile();
    schedule_.runEnded(paused, RunEnd::Normal);
    return RunEnd::Normal;
  } catch (...) {
    const std::string line = "Error " + currentError().numberAndDescription();
    log_.WriteLog(line);
    report_.end = RunEnd::Failed;
    report_.errorLine = line;
    report_.ended = session_.clock->now();
    // Without a window the service manager's journal is where an operator looks first.
    if (!session_.hasWindow && session_.errorStream != nullptr) {
      *session_.errorStream << "csv2sql: the run failed: " << line << std::endl;
    }
    observer_.progress("");
    schedule_.runEnded(paused, RunEnd::Failed);
    return RunEnd::Failed;
  }
}

}  // namespace csv2sql
