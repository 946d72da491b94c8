#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/connection.h"
#include "dbaccess/database.h"
#include "import/file_layout.h"
#include "import/file_lines.h"
#include "import/utc_offsets.h"
#include "log/run_log.h"

namespace csv2sql {

// What one file's rows came to.
struct FileCounts {
  std::int64_t stored = 0;
  std::int64_t skipped = 0;
  // Converted times that no UTC period contained, stored as read.
  std::int64_t unconverted = 0;
};

// Told about a file's rows while they are imported.
class RowObserver {
 public:
  // Rows read are reported every this many, not at every row: a power of two, so the per-row
  // path tests only the low bits of its count.
  static constexpr std::int64_t kRowsBetweenReports = 1024;

  virtual ~RowObserver() = default;
  // A skipped row: its line number, its line as read, and why ("invalid date").
  virtual void skipped(std::int64_t row, std::string_view line, std::string_view reason) = 0;
  // The rows after the header read so far, every kRowsBetweenReports rows.
  virtual void rowsRead(std::int64_t rows) = 0;
};

// The rows of a file an import takes, by line number; lines up to the header's are never taken.
struct RowSpan {
  std::int64_t first = 1;
  std::int64_t last = 0;
};

// Adds every row of the span whose date-time and value are valid, reading on from where `lines`
// stands and stopping after the span's last row, logging a line for each row it skips. utc, when
// given, converts every valid time. Errors of the recordset, of the UTC lookup and of the file
// pass to the caller. The per-row work allocates nothing, except to log a skipped row or to
// convert a tag that is not UTF-8. observer, when given, hears of every skipped row and of the
// rows read. heldRefusal, when given, takes a refusal of the database for the data instead of
// the caller: no reading is sent after it, but the rest of the span is read, counted and logged
// as if it were, so that the file's lines and rejects are written once whatever follows.
FileCounts importRows(FileLines& lines, RowSpan span, const FileLayout& layout,
                      const UtcOffsetTable* utc, db::Recordset& destination, RunLog& log,
                      RowObserver* observer = nullptr, std::exception_ptr* heldRefusal = nullptr);

// The row a database refused, and its line.
struct RefusedRow {
  std::int64_t row = 0;
  std::string line;
};

// After the database refused the rows of a span of the file's first `end` bytes for their data
// (a driver that sends rows in batches tells only the batch): the first row of the span whose
// reading it refuses. Runs of the readings from the span's first row on are sent again in
// transactions that are rolled back, halving the rows in doubt each time. Nothing when every
// run is taken (a refusal that only the commit raises). Other errors of the database pass to
// the caller.
std::optional<RefusedRow> findRefusedRow(const std::filesystem::path& path, std::uint64_t end,
                                         RowSpan span, const FileLayout& layout,
                                         const UtcOffsetTable* utc, db::Connection& connection,
                                         const db::TableName& table);

}  // namespace csv2sql
