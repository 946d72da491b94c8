#include "import/import_run.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/fault_point.h"
#include "core/platform.h"
#include "core/text.h"
#include "import/archive.h"
#include "import/csv_rows.h"
#include "import/file_group.h"
#include "import/file_lines.h"
#include "import/file_scan.h"
#include "import/ledger.h"
#include "import/reject_file.h"
#include "import/run_plan.h"
#include "import/source_listing.h"

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

// The settings cannot be edited while a run works, so what the window shows is what the run
// uses; the automatic-run frame stays open for "Stop Autorun".
class SettingsLock {
 public:
  explicit SettingsLock(FrmMain& form)
      : controls_{&form.txtSourceCSV, &form.btnSaveSettings, &form.Frame2,
                  &form.Frame3,       &form.Frame4,          &form.Frame5} {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      enabled_[i] = controls_[i]->enabled();
      controls_[i]->setEnabled(false);
    }
  }
  ~SettingsLock() {
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->setEnabled(enabled_[i]);
  }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

 private:
  std::array<Control*, 6> controls_;
  std::array<bool, 6> enabled_{};
};

// Seconds from one time to a later one.
double secondsBetween(DateTime from, DateTime to) {
  return static_cast<double>(to.microseconds() - from.microseconds()) / 1e6;
}

// One file's progress in lblProgress, shown and let paint at most every kShowEvery, and its
// skipped rows in the run's reject file.
class FileProgress final : public RowObserver {
 public:
  static constexpr std::int64_t kShowEveryMicros = 50'000;

  FileProgress(Session& session, RejectFile& rejects, const std::string& name, std::size_t number,
               std::size_t files)
      : session_(session),
        rejects_(rejects),
        name_(name),
        file_("File " + std::to_string(number) + " of " + std::to_string(files)),
        started_(session.clock->now()),
        shown_(started_) {
    session_.frmMain.lblProgress.setCaption(file_);
  }

  void skipped(std::int64_t row, std::string_view line, std::string_view reason) override {
    rejects_.add(name_, row, line, reason);
  }

  void rowsRead(std::int64_t rows) override {
    const DateTime now = session_.clock->now();
    if (now.microseconds() - shown_.microseconds() < kShowEveryMicros) return;
    shown_ = now;
    const double seconds = secondsBetween(started_, now);
    session_.frmMain.lblProgress.setCaption(
        file_ + ", " + std::to_string(rows) + " rows read, " +
        std::to_string(static_cast<std::int64_t>(static_cast<double>(rows) / seconds)) +
        " rows per second");
    session_.eventLoop->yield();
  }

 private:
  Session& session_;
  RejectFile& rejects_;
  const std::string& name_;
  const std::string file_;
  const DateTime started_;
  DateTime shown_;
};

std::string fileCountsLine(const FileCounts& counts) {
  return std::to_string(counts.stored) + " readings stored, " + std::to_string(counts.skipped) +
         " rows skipped";
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
  FileStamp stamp;
  if (!platform::sizeAndWriteTime(path, stamp.size, stamp.written)) return std::nullopt;
  return stamp;
}

// A last line without a line end counts as complete once its file has stood unchanged this
// long: its writer has closed it rather than paused in mid-line.
constexpr auto kQuietTime = std::chrono::seconds(2);

// True when the file is as it was listed and has stayed so for the quiet time, waiting for as
// much of that time as has not passed yet.
bool quietSince(const fs::path& path, const FileStamp& listed) {
  const auto age = fs::file_time_type::clock::now() - listed.written;
  if (age < kQuietTime) std::this_thread::sleep_for(kQuietTime - age);
  return stampOf(path) == listed;
}

// One file: its rows, then its move into the archive folder when asked. What it stored, nothing
// when its rows were rolled back or the ledger holds them already. end, span: the bytes and the
// rows it sends.
FileCounts importAndArchive(const Session& session, RunLog& log, FileGroup& group,
                            db::Recordset& recordset, const RunPlan& plan, const FileLayout& layout,
                            Ledger* ledger, const std::string& name,
                            const std::optional<FileStamp>& listed, FileProgress& progress,
                            std::uint64_t& end, RowSpan& span) {
  const fs::path path = plan.sourceFolder / name;
  const std::vector<LineMark> recorded =
      ledger != nullptr ? ledger->beginnings(name) : std::vector<LineMark>{};
  std::vector<std::uint64_t> lengths;
  for (const LineMark& beginning : recorded) lengths.push_back(beginning.offset);
  std::optional<FileLines> lines(std::in_place, path);
  const FileScan scan = scanFile(*lines, lengths);
  // A file still being written is one that changed since it was listed, or whose last line
  // has no line end and does not stay unchanged for the quiet time. Its complete lines are
  // its bytes up to its last line feed; the rest may still grow into a longer value.
  const std::optional<FileStamp> now = stampOf(path);
  const bool changed = listed && now && *now != *listed;
  const bool settled = !changed && (scan.size() == 0 || scan.endsWithLineFeed() ||
                                    (listed && quietSince(path, *listed)));
  const LineMark& endMark = settled ? scan.whole : scan.lastLineFeed;
  end = endMark.offset;
  const bool archive = plan.archive && settled;
  LineMark from;
  if (ledger != nullptr) {
    const std::optional<std::uint64_t> imported = importedLength(recorded, scan, end);
    if (imported == end) {
      log.WriteLog("File " + name + " was imported before: not imported again");
      if (archive) {
        log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
        ArchiveFile(planArchive(plan.sourceFolder, plan.archiveFolder, name, session.clock->now()));
      }
      return {};
    }
    if (imported) from = *scan.beginning(*imported);
  }
  log.WriteLog(std::to_string(scan.rows()) + " rows loaded from file");
  // The file's rows are committed together, with its ledger row, so a failure part-way leaves
  // none of them and the next run's re-read of the file imports each reading once.
  group.begin(session.clock->now());
  span = {from.lines + 1, std::min(scan.rows(), endMark.lines)};
  if (!lines->rewindTo(end)) lines.emplace(path, end);
  passTo(*lines, from, path);
  const FileCounts counts =
      importRows(*lines, span, layout, plan.utc ? &*plan.utc : nullptr, recordset, log, &progress);
  LineMark sentEnd = endMark;
  sentEnd.hash = finishAt(*lines, endMark, path);
  const SentFile sent{name, span, sentEnd, counts, session.clock->now()};
  log.WriteLog(fileCountsLine(counts));
  if (counts.unconverted > 0) {
    log.WriteLog(std::to_string(counts.unconverted) +
                 " readings outside every UTC period stored unconverted");
  }
  if (ledger != nullptr) {
    // With the ledger a file still being written keeps what it completed; the next run goes on
    // from there. It is not archived, or the writer's next lines would go with it.
    ledger->record(name, end, sent.end.hash, counts, sent.at);
    faultPoint("ledger-write");
  } else if (!settled) {
    // Without it, its rows are rolled back and it stays for a later run.
    log.WriteLog("File " + name +
                 " changed while it was being read: its rows are rolled back and it stays "
                 "for the next run");
    group.rollBack();
    return {};
  }
  if (!archive) {
    group.add(sent, nullptr);
    return counts;
  }
  log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
  group.add(sent, std::unique_ptr<ArchiveMove>(new ArchiveMove(planArchive(
                      plan.sourceFolder, plan.archiveFolder, name, session.clock->now()))));
  return counts;
}

// The earlier files of a group rolled back for a later file's refused rows, sent again as they
// were the first time into the group's new transaction. Their lines and rejects are written
// already. A file that no longer holds the bytes sent ends the run (error 75): its rows were
// never committed, so the next run imports it once.
void sendAgain(const Session& session, RunLog& log, FileGroup& group, db::Recordset& recordset,
               const RunPlan& plan, const FileLayout& layout, Ledger& ledger,
               const std::vector<SentFile>& files) {
  const RunLog::Quiet quiet(log);
  group.begin(session.clock->now());
  for (const SentFile& file : files) {
    const fs::path path = plan.sourceFolder / file.name;
    FileLines lines(path, file.end.offset);
    importRows(lines, file.span, layout, plan.utc ? &*plan.utc : nullptr, recordset, log);
    finishAt(lines, file.end, path);
    ledger.record(file.name, file.end.offset, file.end.hash, file.counts, file.at);
  }
}
// A file whose rows the database refuses for their data (its transaction rolled back) would
// stop every run at the same place: with an error folder it goes there with a note of why, and
// the run goes on; without one the run ends, naming the file and the row. The earlier files of
// its group are sent again, so they are imported once either way: a roll-back and a second send
// rather than savepoints, which SQL Server writes differently and which the halving search,
// running its own transactions, could not run inside. lastFile: the group closes after it.
// What the file stored, nothing when it was moved to the error folder.
FileCounts importFile(const Session& session, RunLog& log, db::Connection& connection,
                      FileGroup& group, db::Recordset& recordset, const RunPlan& plan,
                      const FileLayout& layout, Ledger* ledger, const std::string& name,
                      const std::optional<FileStamp>& listed, FileProgress& progress,
                      bool lastFile) {
  std::uint64_t end = 0;
  RowSpan span;
  try {
    const FileCounts counts = importAndArchive(session, log, group, recordset, plan, layout, ledger,
                                               name, listed, progress, end, span);
    if (lastFile || group.full(session.clock->now())) group.commit();
    return counts;
  } catch (const db::DatabaseError& error) {
    if (!error.refusesData()) throw;
    const std::vector<SentFile> earlier = group.rollBackAllBut(name);
    const std::optional<RefusedRow> row =
        findRefusedRow(plan.sourceFolder / name, end, span, layout, plan.utc ? &*plan.utc : nullptr,
                       connection, plan.table.get());
    const std::string rowText = row ? std::to_string(row->row) : "unknown";
    const std::string line = row ? echoedCell(row->line) : "";
    if (!earlier.empty()) {
      sendAgain(session, log, group, recordset, plan, layout, *ledger, earlier);
    }
    if (!plan.errorFolder) {
      group.commit();
      throw Error(error.number(), error.description() + " (file " + name + ", row " + rowText +
                                      (row ? ": " + line : "") + ")");
    }
    quarantineFile(plan.sourceFolder, *plan.errorFolder, name, session.clock->now(),
                   "File: " + name + "\r\nRow: " + rowText + "\r\nLine: " + line +
                       "\r\nDatabase: " + error.description() + "\r\n");
    log.WriteLog("Moved " + name + " to " + plan.errorFolderText + ": " +
                 echoedCell(error.message()));
    if (lastFile) group.commit();
    return {};
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
  const SettingsLock locked(form);
  const DateTime started = session_.clock->now();
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
    std::optional<Ledger> ledger;
    if (plan.ledger) ledger.emplace(connection, plan.ledger->get());
    FileGroup group(connection, ledger.has_value());

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
    RejectFile rejects(log_);
    FileCounts total;
    std::size_t files = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (stopRequested_) break;
      if (ledger && i % Ledger::kNamesPerQuery == 0) {
        ledger->lookAhead(
            std::span(names).subspan(i, std::min(Ledger::kNamesPerQuery, names.size() - i)));
      }
      log_.WriteLog("Loading file " + (plan.sourceFolder / names[i]).string());
      FileProgress progress(session_, rejects, names[i], i + 1, names.size());
      const FileCounts counts = importFile(session_, log_, connection, group, *recordset, plan,
                                           layout, ledger ? &*ledger : nullptr, names[i], listed[i],
                                           progress, i + 1 == names.size());
      total.stored += counts.stored;
      total.skipped += counts.skipped;
      ++files;
      session_.eventLoop->yield();
    }
    // A stop request ends the loop with its group open.
    group.commit();

    recordset->close();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", secondsBetween(started, session_.clock->now()));
    summary_ = "Run done: " + std::to_string(files) + " files, " + fileCountsLine(total) + ", " +
               seconds + " seconds";
    log_.WriteLog(summary_);
    form.lblProgress.setCaption("");
    form.btnTransferData.setEnabled(true);
    if (!paused) log_.CloseLogFile();
    schedule_.runEnded(paused, RunEnd::Normal);
    return RunEnd::Normal;
  } catch (...) {
    const std::string line = "Error " + currentError().numberAndDescription();
    log_.WriteLog(line);
    // Without a window the service manager's journal is where an operator looks first.
    if (!session_.hasWindow && session_.errorStream != nullptr) {
      *session_.errorStream << "csv2sql: the run failed: " << line << std::endl;
    }
    form.lblProgress.setCaption("");
    schedule_.runEnded(paused, RunEnd::Failed);
    return RunEnd::Failed;
  }
}

}  // namespace csv2sql
