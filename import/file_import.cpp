#include "import/file_import.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
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

// A file read again from its start, which must still be there: another loader on the same
// folder may have moved it since it was first read.
void openAgain(std::optional<FileLines>& lines, const fs::path& path, std::uint64_t end,
               FileLines::Hashing hashing) {
  lines.emplace(path, end, hashing);
  if (!lines->found()) throw Error(err::FileNotFound, "File not found: " + path.string());
}

// Only the ledger keeps a file's hash.
FileLines::Hashing hashingFor(const FileImport& run) {
  return run.ledger != nullptr ? FileLines::Hashing::On : FileLines::Hashing::Off;
}

void recordNow(const FileImport& run, const SentFile& file) {
  const Ledger::Row row{file.name, file.end.offset, file.end.hash, file.counts, file.at};
  run.ledger->record({&row, 1});
}

// Another loader on the same folder took the file first: not a fault of this run's, nor a file
// set aside.
void passOver(const FileImport& run, const std::string& name) {
  run.log.WriteLog("Passed over " + name + ": taken by another loader");
}

// Commits the group and moves its files; a move another loader forestalled is passed over.
void commitAndMove(const FileImport& run) {
  for (const std::string& name : run.group.commit()) passOver(run, name);
}

// Logs a file set aside and keeps its line for the run's report.
void reportSetAside(const FileImport& run, std::string line) {
  run.log.WriteLog(line);
  run.setAside.push_back(std::move(line));
}

// The system's reason why a file cannot be read: at its open, or at the first of its reads that
// fails. The error's own text when it reads well now.
std::string whyUnreadable(const fs::path& path, const Error& error) {
  constexpr std::size_t kBlockBytes = 64 << 10;
  platform::InputFile in(path);
  if (in.state() == platform::InputFile::State::Open) {
    std::vector<char> block(kBlockBytes);
    std::size_t got = 0;
    while (in.read(block.data(), block.size(), got) && got == block.size()) {
    }
  }
  if (in.error()) return in.error().message();
  if (in.state() == platform::InputFile::State::Unreadable) return "it is not a regular file";
  return error.description();
}

// The first pass over a file, into `lines`; nothing when the file cannot be read. Such a file
// (one the service's user may not read) is passed over rather than end every run before the
// files after it.
std::optional<FileScan> firstPass(const FileImport& run, const std::string& name,
                                  std::optional<FileLines>& lines, FileLines::Hashing hashing,
                                  std::vector<std::uint64_t> lengths) {
  const fs::path path = run.plan.sourceFolder / name;
  try {
    lines.emplace(path, FileLines::kWholeFile, hashing);
    return scanFile(*lines, std::move(lengths));
  } catch (const Error& error) {
    if (error.number() != err::PathFileAccess) throw;
    reportSetAside(
        run, "Passed over " + name + ": it cannot be read (" + whyUnreadable(path, error) + ")");
    return std::nullopt;
  }
}

// A file with more skipped rows than the reject limit allows is more likely of a shape the
// settings do not read (a new delimiter, another date form) than one with a few bad rows: it
// keeps none of its rows and goes to the error folder with a note, or stays where it is without
// one, or while it is still being written, so that the next run looks at it again. True when it
// is over the limit.
bool overRejectLimit(const FileImport& run, const std::string& name, const FileCounts& counts,
                     bool settled) {
  const RunPlan& plan = run.plan;
  const std::int64_t examined = counts.stored + counts.skipped;
  if (!plan.rejectLimit || !plan.rejectLimit->get().exceededBy(counts.skipped, examined)) {
    return false;
  }
  const std::string skipped = std::to_string(counts.skipped) + " of " + std::to_string(examined);
  const std::string figures =
      skipped + " rows skipped, over the reject limit " + plan.rejectLimitText;
  if (!plan.errorFolder || !settled) {
    reportSetAside(run, "Left " + name + " in place: " + figures);
    return true;
  }
  quarantineFile(plan.sourceFolder, *plan.errorFolder, name, run.session.clock->now(),
                 "File: " + name + "\r\nRows skipped: " + skipped +
                     "\r\nReject limit: " + plan.rejectLimitText + "\r\n");
  reportSetAside(run, "Moved " + name + " to " + plan.errorFolderText + ": " + figures);
  return true;
}

// One file: its rows, then its move into the archive folder when asked. What it stored, nothing
// when its rows were rolled back or the ledger holds them already. end, span: the bytes and the
// rows it sends. In a group that defers its ledger rows a refusal of a reading is held to the
// end of the file, which is then added to the group as read: `refusal` holds it. dropped: the
// file's rows were sent but it is set aside, not added, so the group is to be sent again
// without them.
FileCounts importAndArchive(const FileImport& run, const std::string& name,
                            const std::optional<FileStamp>& listed, RowObserver& progress,
                            std::uint64_t& end, RowSpan& span, std::exception_ptr& refusal,
                            bool& dropped) {
  const RunPlan& plan = run.plan;
  RunLog& log = run.log;
  const fs::path path = plan.sourceFolder / name;
  const std::chrono::seconds quietTime = plan.quietTime.get();
  const std::vector<LineMark> recorded =
      run.ledger != nullptr ? run.ledger->beginnings(name) : std::vector<LineMark>{};
  std::vector<std::uint64_t> lengths;
  for (const LineMark& beginning : recorded) lengths.push_back(beginning.offset);
  const FileLines::Hashing hashing = hashingFor(run);
  // The first pass hashes only for beginnings the ledger knows, the second for the ledger's row.
  const FileLines::Hashing scanHashing = lengths.empty() ? FileLines::Hashing::Off : hashing;
  std::optional<FileLines> lines;
  const std::optional<FileScan> scanned = firstPass(run, name, lines, scanHashing, lengths);
  if (!scanned) return {};
  const FileScan& scan = *scanned;
  if (!scan.found) throw Error(err::FileNotFound, "File not found: " + path.string());
  const bool onLineEnd = scan.size() == 0 || scan.endsWithLineFeed();
  // A file that a program has open for writing may still grow by any bytes: its last line may
  // be cut, and a move would leave its writer writing into the archived file. It waits,
  // untouched, for a later run. Asked only where the answer matters (a last line without a line
  // end, or archiving): the lease it takes costs every file some system calls.
  const bool askWriters = plan.archive || !onLineEnd;
  const platform::Answer writers =
      askWriters ? platform::openForWritingElsewhere(path) : platform::Answer::No;
  if (writers == platform::Answer::Yes) {
    log.WriteLog("Waiting for " + name + ": another program has it open for writing");
    return {};
  }
  // Of a file still being written only the complete lines are taken: its bytes up to its last
  // line feed; the rest may still grow into a longer value.
  const FileEnding ending{listed, onLineEnd, writers == platform::Answer::No};
  const bool settled = writtenWhole(path, name, ending, quietTime, log);
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
  // Planned before any row is sent: a file another loader takes meanwhile is then passed over
  // with nothing of it in the transaction.
  std::unique_ptr<ArchiveMove> move;
  if (archive) {
    // The move is made in place: it can be neither copied nor moved.
    move.reset(new ArchiveMove(
        planArchive(plan.sourceFolder, plan.archiveFolder, name, run.session.clock->now())));
  }
  log.WriteLog(std::to_string(scan.rows()) + " rows loaded from file");
  // The file's rows are committed together, with its ledger row, so a failure part-way leaves
  // none of them and the next run's re-read of the file imports each reading once.
  run.group.begin(run.session.clock->now());
  span = {from.lines + 1, std::min(scan.rows(), endMark.lines)};
  if (!lines->rewindTo(end, hashing)) openAgain(lines, path, end, hashing);
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
  if (overRejectLimit(run, name, counts, settled)) {
    dropped = true;
    return {};
  }
  if (archive) log.WriteLog("Archiving " + name + " to " + plan.archiveFolderText);
  run.group.add(std::move(sent), std::move(move), false);
  return counts;
}

// A file of a group sent again as it was the first time, into the group's new transaction.
// Its lines and rejects are written already. A file that no longer holds the bytes sent ends
// the run (error 75): its rows were never committed, so the next run imports it once.
void sendAgain(const FileImport& run, const SentFile& file) {
  const RunLog::Quiet quiet(run.log);
  const fs::path path = run.plan.sourceFolder / file.name;
  std::optional<FileLines> lines;
  openAgain(lines, path, file.end.offset, hashingFor(run));
  importRows(*lines, file.span, run.layout, utcOf(run.plan), run.recordset, run.log);
  finishAt(*lines, file.end, path);
}

// The files of a group rolled back without one of them (rollBackAllBut), sent again into a new
// transaction.
void sendAgainWithout(const FileImport& run, const std::vector<SentFile>& earlier) {
  if (earlier.empty()) return;
  run.group.begin(run.session.clock->now());
  for (const SentFile& file : earlier) {
    sendAgain(run, file);
    recordNow(run, file);
  }
}

// A file whose rows the database refuses for their data (its transaction rolled back) would
// stop every run at the same place: with an error folder it goes there with a note of why, and
// the run goes on; without one the run ends, naming the file and the row. The other files of
// its group are sent again, so they are imported once either way: a roll-back and a second send
// rather than savepoints, which SQL Server writes differently and which the halving search,
// running its own transactions, could not run inside.
// earlier: the other files of the group, rolled back with it (rollBackAllBut).
void refusedFile(const FileImport& run, const std::string& name, std::uint64_t end, RowSpan span,
                 const db::DatabaseError& error, const std::vector<SentFile>& earlier) {
  const RunPlan& plan = run.plan;
  const std::optional<RefusedRow> row =
      findRefusedRow(plan.sourceFolder / name, end, span, run.layout, utcOf(plan), run.connection,
                     plan.table.get());
  const std::string rowText = row ? std::to_string(row->row) : "unknown";
  const std::string line = row ? echoedCell(row->line) : "";
  sendAgainWithout(run, earlier);
  if (!plan.errorFolder) {
    commitAndMove(run);
    throw Error(error.number(), error.description() + " (file " + name + ", row " + rowText +
                                    (row ? ": " + line : "") + ")");
  }
  quarantineFile(plan.sourceFolder, *plan.errorFolder, name, run.session.clock->now(),
                 "File: " + name + "\r\nRow: " + rowText + "\r\nLine: " + line +
                     "\r\nDatabase: " + error.description() + "\r\n");
  reportSetAside(
      run, "Moved " + name + " to " + plan.errorFolderText + ": " + echoedCell(error.message()));
}

// Whether the ledger holds the file's bytes as sent: another loader on the same folder imported
// them in a transaction of its own, committed first. Asked with no transaction open.
bool recordedByAnother(const FileImport& run, const SentFile& file) {
  return std::ranges::any_of(run.ledger->beginnings(file.name), [&](const LineMark& mark) {
    return mark.offset == file.end.offset && mark.hash == file.end.hash;
  });
}

// A refusal in a group whose ledger rows wait for the commit may belong to any of its files:
// the group is rolled back and its files sent again one at a time, each followed by its ledger
// row, the statement that makes the database take or refuse the file's readings, so that a
// refusal now names its file; a refusal of a file whose ledger row another loader committed
// first passes it over. The same roll-back takes away the rows of a file set aside after they
// were sent, which is no file of the group. What the refused and passed-over files had added to
// the run's figures.
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
      const std::vector<SentFile> earlier = run.group.rollBackAllBut(entry.file.name);
      if (recordedByAnother(run, entry.file)) {
        sendAgainWithout(run, earlier);
        passOver(run, entry.file.name);
      } else {
        refusedFile(run, entry.file.name, entry.file.end.offset, entry.file.span, error, earlier);
      }
      refused += entry.file.counts;
      continue;
    } catch (const Error& error) {
      // Opened before any row is sent: nothing of it is in the transaction.
      if (!takenByAnotherLoader(error)) throw;
      passOver(run, entry.file.name);
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

FileCounts commitGroup(const FileImport& run) {
  try {
    commitAndMove(run);
    return {};
  } catch (const db::DatabaseError& error) {
    if (!error.refusesData() || !run.group.defers()) throw;
    const FileCounts refused = sendOneByOne(run);
    commitAndMove(run);
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
  bool dropped = false;
  try {
    counts = importAndArchive(run, name, listed, progress, end, span, heldRefusal, dropped);
    // A group that does not defer is this one file, so a refusal at its commit is the file's.
    if (!run.group.defers() && !dropped) commitAndMove(run);
  } catch (const db::DatabaseError& error) {
    // A group that defers holds every refusal of its readings.
    if (!error.refusesData() || run.group.defers()) throw;
    refusedFile(run, name, end, span, error, run.group.rollBackAllBut(name));
    counts = {};
  } catch (const Error& error) {
    // Gone, or its archive name taken, before any of its rows was sent.
    if (!takenByAnotherLoader(error)) throw;
    passOver(run, name);
    counts = {};
  }
  if (heldRefusal || dropped) refused = sendOneByOne(run);
  if (closesGroup || run.group.full(run.session.clock->now())) refused += commitGroup(run);
  return counts - refused;
}

}  // namespace csv2sql
