#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "dbaccess/connection.h"
#include "import/archive.h"
#include "import/csv_rows.h"
#include "import/file_scan.h"
#include "import/ledger.h"

namespace csv2sql {

// What a file of a group sent, so that it can be sent again: the rows of the span of the bytes
// before `end`, whose mark (with its hash) tells whether the file still holds them, and its
// ledger row.
struct SentFile {
  std::string name;
  RowSpan span;
  LineMark end;
  FileCounts counts;
  DateTime at;
};

// Consecutive files committed in one transaction: a commit per file costs the database a flush
// to disk (SQLite's journal, PostgreSQL's WAL), far more than 100 readings. Only with the
// ledger: its rows are in the transaction, so a commit holds every file of the group with its
// ledger row or none, and a failure between the commit and the archive moves leaves files the
// next run finds in the ledger. Without it a group is one file, or such a failure would import
// a whole group again. The archive copies are made before the commit and renamed after it.
// With the ledger the files' ledger rows are written together just before the commit, so that
// nothing but their readings goes to the database between two files (PostgreSQL's COPY then
// runs on from file to file); a refusal of a reading may then come at a later file or at the
// commit, and the group is sent again one file at a time to find the file (sendOneByOne,
// import/file_import.cpp).
class FileGroup {
 public:
  // A group closes at this many readings or after this long, whichever comes first.
  static constexpr std::int64_t kReadings = 100'000;
  static constexpr std::int64_t kMicros = 1'000'000;

  struct Entry {
    SentFile file;
    std::unique_ptr<ArchiveMove> move;
    bool recorded = false;  // its ledger row is written already
  };

  // ledger: none without one (a group is then one file).
  FileGroup(db::Connection& connection, Ledger* ledger)
      : connection_(connection), ledger_(ledger) {}

  // Whether the files' ledger rows wait for the commit, so that a refusal may name no file.
  bool defers() const { return ledger_ != nullptr; }
  // Opens the group's transaction when none is open.
  void begin(DateTime now);
  // A file's rows are sent (and its ledger row when `recorded`); its archive move, if any, is
  // made after the commit.
  void add(SentFile file, std::unique_ptr<ArchiveMove> move, bool recorded);
  bool full(DateTime now) const;
  // Writes the ledger rows not yet written, commits and moves the group's files into the
  // archive folder; nothing when none is open. The files whose move another loader on the same
  // folder forestalled (it moved the file, or took its archive name, first).
  [[nodiscard]] std::vector<std::string> commit();
  // Rolls the group back with every file in it.
  void rollBack();
  // Rolls the group back; its files, to be sent again in a new transaction (begin), their
  // archive copies kept.
  std::vector<Entry> rollBackAll();
  // Rolls the group back and drops the file of that name (its archive copy removed); the files
  // left, to be sent again in a new transaction (begin) before the group goes on.
  std::vector<SentFile> rollBackAllBut(const std::string& name);

 private:
  db::Connection& connection_;
  Ledger* const ledger_;
  std::optional<db::Transaction> transaction_;
  std::vector<Entry> entries_;
  std::int64_t readings_ = 0;
  DateTime opened_;
};

}  // namespace csv2sql
