#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"
#include "dbaccess/connection.h"
#include "dbaccess/table_name.h"
#include "import/csv_rows.h"
#include "import/file_scan.h"

namespace csv2sql {

// The import ledger: a table in the destination with one row per import of a file's bytes (its
// name, how many of its first bytes were imported in all, their hash, the readings stored and
// rows skipped by that import, and when). Each row is written in the transaction of the file's
// readings, so a commit holds both or neither, and a file whose bytes the ledger holds is never
// imported again, whatever failed after its commit.
class Ledger {
 public:
  // Creates the table when it is missing; one Error that names it when that cannot be done.
  Ledger(db::Connection& connection, const db::TableName& table);

  // Files whose beginnings one query reads: within every server's limit of parameters.
  static constexpr std::size_t kNamesPerQuery = 500;
  // Files a run looks ahead at once; a group of files ends before a file it did not read, so
  // more than a group of small files holds (FileGroup::kReadings).
  static constexpr std::size_t kLookAheadFiles = 10 * kNamesPerQuery;

  // Reads the recorded beginnings of these files, the next ones a run takes, in a query per
  // kNamesPerQuery names instead of one each: a folder of thousands of small files costs a few
  // statements instead of one per file. Forgets what an earlier look-ahead read.
  void lookAhead(std::span<const std::string> names);

  // The beginnings of the file that imports recorded: their lengths and hashes. From the
  // look-ahead when it read the file (once), else from a query of its own.
  std::vector<LineMark> beginnings(const std::string& name);

  // Whether the last look-ahead read the file and beginnings() has not taken it yet.
  bool lookedAhead(const std::string& name) const { return lookedAhead_.contains(name); }

  // Records, in the open transaction, that the files' first `length` bytes, of those hashes,
  // are imported: a statement per kRowsPerStatement files.
  struct Row {
    std::string_view name;
    std::uint64_t length = 0;
    std::string_view hash;
    FileCounts counts;
    DateTime at;
  };
  static constexpr std::size_t kRowsPerStatement = 100;  // 600 parameters: within every limit
  void record(std::span<const Row> rows);

 private:
  bool readable();

  db::Connection& connection_;
  std::string tableSql_;
  // The columns as the table spells them: the file's name, its length and hash, all six.
  std::string nameSql_, markSql_, columnsSql_;
  std::map<std::string, std::vector<LineMark>, std::less<>> lookedAhead_;
};

// How many of the file's first bytes, at most `end`, were imported before: the longest
// recorded beginning whose hash the scan found at that length. None when the file has no
// recorded beginning (a new file, or one rewritten under an old name).
std::optional<std::uint64_t> importedLength(const std::vector<LineMark>& recorded,
                                            const FileScan& scan, std::uint64_t end);

// CREATE TABLE for a ledger of that name as this server's types write it.
std::string ledgerTableSql(db::Dialect dialect, const std::string& tableSql);

}  // namespace csv2sql
