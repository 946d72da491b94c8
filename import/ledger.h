#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "components/db/connection.h"
#include "components/db/table_name.h"
#include "core/datetime.h"
#include "import/csv_rows.h"

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

  // How many of the file's first bytes were imported before: the longest ledgered length whose
  // hash is that of the file's bytes up to it. None when the ledger holds no such beginning of
  // `bytes` (a new file, or one rewritten under an old name).
  std::optional<std::uint64_t> importedLength(const std::string& name, std::string_view bytes);

  // Records, in the open transaction, that `bytes` (the file's beginning) are imported.
  void record(const std::string& name, std::string_view bytes, const FileCounts& counts,
              DateTime at);

 private:
  db::Connection& connection_;
  std::string tableSql_;
};

// CREATE TABLE for a ledger of that name as this server's types write it.
std::string ledgerTableSql(db::Dialect dialect, const std::string& tableSql);

}  // namespace csv2sql
