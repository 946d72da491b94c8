// One file's rows imported into an in-memory SQLite table: the file's first byte chooses the
// layout (column numbers 1 to 4, header lines 0 to 3). A refusal of the database is an Error;
// every other failure is a fault. A file never adds more rows than it has lines.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dbaccess/sqlite_driver.h"
#include "fuzz/scratch_file.h"
#include "import/csv_rows.h"

namespace {

using namespace csv2sql;

std::int64_t tableRows(sqlite3* db) {
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM t", -1, &count, nullptr);
  sqlite3_step(count);
  const std::int64_t rows = sqlite3_column_int64(count, 0);
  sqlite3_finalize(count);
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const FileLayout layout{.colDateTime = 1 + (data[0] & 3),
                          .colTag = 1 + ((data[0] >> 2) & 3),
                          .colValue = 1 + ((data[0] >> 4) & 3),
                          .headerRows = (data[0] >> 6) & 3};
  const auto& path = writeScratchFile(data + 1, size - 1);

  sqlite3* raw = nullptr;
  if (sqlite3_open(":memory:", &raw) != SQLITE_OK) std::abort();
  sqlite3_exec(raw, "CREATE TABLE t (DateTime TEXT, Tag TEXT CHECK (length(Tag) <= 8), Value REAL)",
               nullptr, nullptr, nullptr);
  db::sqlite::SqliteDriver driver{db::sqlite::Database(raw)};
  const auto recordset = driver.openRecordset(db::TableName::check("t"));

  static SystemClock clock;
  static Session session;
  session.ServiceMode = true;
  session.clock = &clock;
  RunLog log(session);
  std::int64_t lines = 0;
  try {
    driver.begin();
    FileLines file(path);
    importRows(file, {1, FileLines::kWholeFile / 2}, layout, nullptr, *recordset, log);
    lines = file.row();
    driver.commit();
  } catch (const Error&) {
    if (driver.inTransaction()) driver.rollback();
  }
  if (tableRows(raw) > lines) std::abort();
  recordset->close();
  return 0;
}
