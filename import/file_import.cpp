#include "import/file_import.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/platform.h"
#include "core/text.h"
#include "import/archive.h"
#include "import/file_lines.h"
#include "import/file_scan.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

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

const UtcOffsetTable* utcOf(const RunPlan& plan) {
  return plan.utc ? &*plan.utc : nullptr;
}

FileCounts operator-(const FileCounts& a, const FileCounts& b) {
  return {a.stored - b.stored, a.skipped - b.skipped, a.unconverted - b.unconverted};
}
FileCounts& operator+=(FileCounts& a, const FileCounts& b) {
  a.stored += b.stored;
  a.skipped += b.skipped;
  a.unconverted += b.unconverted;
  return a;
}

// Only the ledger keeps a file's hash.
FileLines::Hashing hashingFor(const FileImport& run) {
  return run.ledger != nullptr ? FileLines::Hashing::On : FileLines::Hashing::Off;
}

void recordNow(const FileImport& run, const SentFile& file) {
  const Ledger::Row row{file.name, file.end.offset, file.end.hash, file.counts, file.at};
  run.ledger->record({&row, 1});
}

// One file: its rows, then its move into the archive folder when asked. What it stored, nothing
// when its rows were rolled back or the ledger holds them already. end, span: the bytes and the
// rows it sends. In a group that defers its ledger rows a refusal of a reading is held to the
// end of the file, which is then added to the group as read: `refusal` holds it.
FileCounts importAndArchive(const FileImport& run, const std::string& name,
                            const std::optional<FileStamp>& listed, RowObserver& progress,
                            std::uint64_t& end, RowSpan& span, std::exception_ptr& refusal) {
  const RunPlan& plan = run.plan;
  RunLog& log = run.log;
  const fs::path path = plan.sourceFolder / name;
  const std::vector<LineMark> recorded =
      run.ledger != nullptr ? run.ledger->beginnings(name) : std::vector<LineMark>{};
  std::vector<std::uint64_t> lengths;
  for (const LineMark& beginning : recorded) lengths.push_back(beginning.offset);
  const FileLines::Hashing hashing = hashingFor(run);
  // The first pass hashes only for beginnings the ledger knows, the second for the ledger's row.
  const FileLines::Hashing scanHashing = lengths.empty() ? FileLines::Hashing::Off : hashing;
  std::optional<FileLines> lines(std::in_place, path, FileLines::kWholeFile, scanHashing);
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
  if (run.ledger != nullptr) {
    const std::optional<std::uint64_t> imported = importedLength(recorded, scan, end);
    if (imported == end) {
      log.WriteLog("File " + name + " was imported before: not imported again");
      if (archive) {
        log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
        ArchiveFile(
            planArchive(plan.sourceFolder, plan.archiveFolder, name, run.session.clock->now()));
      }
      return {};
    }
    if (imported) from = *scan.beginning(*imported);
  }
  log.WriteLog(std::to_string(scan.rows()) + " rows loaded from file");
  // The file's rows are committed together, with its ledger row, so a failure part-way leaves
  // none of them and the next run's re-read of the file imports each reading once.
  run.group.begin(run.session.clock->now());
  span = {from.lines + 1, std::min(scan.rows(), endMark.lines)};
  if (!lines->rewindTo(end, hashing)) lines.emplace(path, end, hashing);
  passTo(*lines, from, path);
  const FileCounts counts = importRows(*lines, span, run.layout, utcOf(plan), run.recordset, log,
                                       &progress, run.group.defers() ? &refusal : nullptr);
  LineMark sentEnd = endMark;
  sentEnd.hash = finishAt(*lines, endMark, path);
  SentFile sent{name, span, sentEnd, counts, run.session.clock->now()};
  log.WriteLog(fileCountsLine(counts));
  if (counts.unconverted > 0) {
    log.WriteLog(std::to_string(counts.unconverted) +
                 " readings outside every UTC period stored unconverted");
  }
  // With the ledger a file still being written keeps what it completed; the next run goes on
  // from there. It is not archived, or the writer's next lines would go with it. Without it,
  // its rows are rolled back and it stays for a later run.
  if (run.ledger == nullptr && !settled) {
    log.WriteLog("File " + name +
                 " changed while it was being read: its rows are rolled back and it stays "
                 "for the next run");
    run.group.rollBack();
    return {};
  }
  std::unique_ptr<ArchiveMove> move;
  if (archive) {
    log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
    // The move is made in place: it can be neither copied nor moved.
    move.reset(new ArchiveMove(
        planArchive(plan.sourceFolder, plan.archiveFolder, name, run.session.clock->now())));
  }
  run.group.add(std::move(sent), std::move(move), false);
  return counts;
}

// A file of a group sent again as it was the first time, into the group's new transaction.
// Its lines and rejects are written already. A file that no longer holds the bytes sent ends
// the run (error 75): its rows were never committed, so the next run imports it once.
void sendAgain(const FileImport& run, const SentFile& file) {
  const RunLog::Quiet quiet(run.log);
  const fs::path path = run.plan.sourceFolder / file.name;
  FileLines lines(path, file.end.offset, hashingFor(run));
  importRows(lines, file.span, run.layout, utcOf(run.plan), run.recordset, run.log);
  finishAt(lines, file.end, path);
}

// A file whose rows the database refuses for their data (its transaction rolled back) would
// stop every run at the same place: with an error folder it goes there with a note of why, and
// the run goes on; without one the run ends, naming the file and the row. The other files of
// its group are sent again, so they are imported once either way: a roll-back and a second send
// rather than savepoints, which SQL Server writes differently and which the halving search,
// running its own transactions, could not run inside.
void refusedFile(const FileImport& run, const std::string& name, std::uint64_t end, RowSpan span,
                 const db::DatabaseError& error) {
  const RunPlan& plan = run.plan;
  const std::vector<SentFile> earlier = run.group.rollBackAllBut(name);
  const std::optional<RefusedRow> row =
      findRefusedRow(plan.sourceFolder / name, end, span, run.layout, utcOf(plan), run.connection,
                     plan.table.get());
  const std::string rowText = row ? std::to_string(row->row) : "unknown";
  const std::string line = row ? echoedCell(row->line) : "";
  if (!earlier.empty()) {
    run.group.begin(run.session.clock->now());
    for (const SentFile& file : earlier) {
      sendAgain(run, file);
      recordNow(run, file);
    }
  }
  if (!plan.errorFolder) {
    run.group.commit();
    throw Error(error.number(), error.description() + " (file " + name + ", row " + rowText +
                                    (row ? ": " + line : "") + ")");
  }
  quarantineFile(plan.sourceFolder, *plan.errorFolder, name, run.session.clock->now(),
                 "File: " + name + "\r\nRow: " + rowText + "\r\nLine: " + line +
                     "\r\nDatabase: " + error.description() + "\r\n");
  run.log.WriteLog("Moved " + name + " to " + plan.errorFolderText + ": " +
                   echoedCell(error.message()));
}

// A refusal in a group whose ledger rows wait for the commit may belong to any of its files:
// the group is rolled back and its files sent again one at a time, each followed by its ledger
// row, the statement that makes the database take or refuse the file's readings, so that a
// refusal now names its file. What the refused files had added to the run's figures.
FileCounts sendOneByOne(const FileImport& run) {
  FileCounts refused;
  std::vector<FileGroup::Entry> entries = run.group.rollBackAll();
  for (FileGroup::Entry& entry : entries) {
    run.group.begin(run.session.clock->now());
    try {
      sendAgain(run, entry.file);
      recordNow(run, entry.file);
    } catch (const db::DatabaseError& error) {
      if (!error.refusesData()) throw;
      refusedFile(run, entry.file.name, entry.file.end.offset, entry.file.span, error);
      refused += entry.file.counts;
      continue;
    }
    run.group.add(std::move(entry.file), std::move(entry.move), true);
  }
  return refused;
}

}  // namespace

std::string fileCountsLine(const FileCounts& counts) {
  return std::to_string(counts.stored) + " readings stored, " + std::to_string(counts.skipped) +
         " rows skipped";
}

std::optional<FileStamp> stampOf(const fs::path& path) {
  FileStamp stamp;
  if (!platform::sizeAndWriteTime(path, stamp.size, stamp.written)) return std::nullopt;
  return stamp;
}

FileCounts commitGroup(const FileImport& run) {
  try {
    run.group.commit();
    return {};
  } catch (const db::DatabaseError& error) {
    if (!error.refusesData() || !run.group.defers()) throw;
    const FileCounts refused = sendOneByOne(run);
    run.group.commit();
    return refused;
  }
}

FileCounts importFile(const FileImport& run, const std::string& name,
                      const std::optional<FileStamp>& listed, RowObserver& progress,
                      bool closesGroup) {
  std::uint64_t end = 0;
  RowSpan span;
  FileCounts counts;
  FileCounts refused;
  std::exception_ptr heldRefusal;
  try {
    counts = importAndArchive(run, name, listed, progress, end, span, heldRefusal);
    // A group that does not defer is this one file, so a refusal at its commit is the file's.
    if (!run.group.defers()) run.group.commit();
  } catch (const db::DatabaseError& error) {
    // A group that defers holds every refusal of its readings.
    if (!error.refusesData() || run.group.defers()) throw;
    refusedFile(run, name, end, span, error);
    counts = {};
  }
  if (heldRefusal) refused = sendOneByOne(run);
  if (closesGroup || run.group.full(run.session.clock->now())) refused += commitGroup(run);
  return counts - refused;
}

}  // namespace csv2sql
