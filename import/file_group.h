#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/db/connection.h"
#include "core/datetime.h"
#include "import/archive.h"
#include "import/csv_rows.h"
#include "import/file_scan.h"

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
class FileGroup {
 public:
  // A group closes at this many readings or after this long, whichever comes first.
  static constexpr std::int64_t kReadings = 100'000;
  static constexpr std::int64_t kMicros = 1'000'000;

  FileGroup(db::Connection& connection, bool grouped)
      : connection_(connection), grouped_(grouped) {}

  // Opens the group's transaction when none is open.
  void begin(DateTime now);
  // A file's rows and ledger row are sent; its archive move, if any, is made after the commit.
  void add(SentFile file, std::unique_ptr<ArchiveMove> move);
  bool full(DateTime now) const;
  // Commits and moves the group's files into the archive folder; nothing when none is open.
  void commit();
  // Rolls the group back with every file in it.
  void rollBack();
  // Rolls the group back and drops the file of that name (its archive copy removed); the files
  // left, to be sent again in a new transaction (begin) before the group goes on.
  std::vector<SentFile> rollBackAllBut(const std::string& name);

 private:
  struct Entry {
    SentFile file;
    std::unique_ptr<ArchiveMove> move;
  };

  db::Connection& connection_;
  const bool grouped_;
  std::optional<db::Transaction> transaction_;
  std::vector<Entry> entries_;
  std::int64_t readings_ = 0;
  DateTime opened_;
};

}  // namespace csv2sql
