#include <algorithm>

#include "dbaccess/drivers.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/sqlite_driver.h"

namespace csv2sql::db::sqlite {

namespace {

// Rows per INSERT statement inside a transaction: enough to spare nearly all of the
// per-statement cost (500 rows insert some 4 % faster than 100); a build with a lower limit of
// parameters gets fewer.
constexpr std::size_t kBatchRows = 500;

}  // namespace

SqliteRecordset::SqliteRecordset(SqliteDriver& driver, const TableName& table, std::string tableSql,
                                 std::vector<std::string> columns)
    : TableRecordset(table, std::move(tableSql), std::move(columns)), driver_(&driver) {}

SqliteRecordset::~SqliteRecordset() {
  if (!driver_) return;
  try {
    flush();
  } catch (...) {
    // Rows that cannot be written must not be committed without the ones that failed.
    rollbackQuietly(*driver_);
  }
  detach();
}

void SqliteRecordset::close() {
  if (!driver_) return;
  dropPendingRow();
  struct DetachAtExit {
    SqliteRecordset& recordset;
    ~DetachAtExit() { recordset.detach(); }
  } detachAtExit{*this};
  flush();
}

void SqliteRecordset::writeRow(const RowValues& row) {
  if (heldRows_ > 0 && !sameEntries(row.set, heldSet_)) flush();
  if (heldRows_ == 0) {
    heldSet_ = row.set;
    heldWidth_ = row.values.size();
    batchRows_ = std::clamp<std::size_t>(driver_->parameterLimit() / heldWidth_, 1, kBatchRows);
    held_.reserve(batchRows_ * heldWidth_);
  }
  for (const FieldValue& value : row.values) held_.push_back(hold(value));
  ++heldRows_;
  if (!driver_->inTransaction() || heldRows_ == batchRows_) flush();
}

void SqliteRecordset::flush() {
  if (heldRows_ == 0) return;
  struct DropAtExit {
    SqliteRecordset& recordset;
    ~DropAtExit() { recordset.drop(); }
  } dropAtExit{*this};
  for (std::size_t done = 0; done < heldRows_;) {
    const std::size_t rows = std::min(batchRows_, heldRows_ - done);
    Insert& insert = insertFor(rows);
    bindRows(insert.statement.get(), done, rows);
    driver_->run(insert.statement.get());
    done += rows;
  }
}

void SqliteRecordset::drop() noexcept {
  heldRows_ = 0;
  held_.clear();
  heldText_.clear();
}

void SqliteRecordset::detach() noexcept {
  driver_->forget(this);
  release();
}

void SqliteRecordset::release() noexcept {
  drop();
  full_ = {};
  part_ = {};
  driver_ = nullptr;
}

SqliteRecordset::Held SqliteRecordset::hold(const FieldValue& value) {
  Held held;
  if (const auto* number = std::get_if<double>(&value)) {
    held.kind = Held::Kind::Real;
    held.real = *number;
    return held;
  }
  held.offset = heldText_.size();
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    held.kind = Held::Kind::Text;
    heldText_.append(*text);
  } else if (const auto* stamp = std::get_if<DateTime>(&value)) {
    held.kind = Held::Kind::Text;
    char buffer[kTimestampTextMax];
    heldText_.append(buffer, stamps_.write(*stamp, buffer));
  }
  held.length = heldText_.size() - held.offset;
  return held;
}

SqliteRecordset::Insert& SqliteRecordset::insertFor(std::size_t rows) {
  Insert& insert = rows == batchRows_ ? full_ : part_;
  if (insert.statement && insert.rows == rows && insert.set == heldSet_) return insert;
  std::string values = "(?";
  for (std::size_t i = 1; i < heldWidth_; ++i) values += ",?";
  values += ')';
  std::string sql = "INSERT INTO " + tableSql() + ' ' + columnList(heldSet_) + " VALUES " + values;
  for (std::size_t i = 1; i < rows; ++i) sql += ',' + values;
  insert.statement = driver_->prepare(sql);
  insert.set = heldSet_;
  insert.rows = rows;
  return insert;
}

void SqliteRecordset::bindRows(sqlite3_stmt* statement, std::size_t firstRow,
                               std::size_t rows) const {
  const std::size_t first = firstRow * heldWidth_;
  for (std::size_t i = 0; i < rows * heldWidth_; ++i) {
    const Held& held = held_[first + i];
    const int index = static_cast<int>(i + 1);
    switch (held.kind) {
      case Held::Kind::Real:
        sqlite3_bind_double(statement, index, held.real);
        break;
      case Held::Kind::Text:
        // heldText_ stays unchanged until the statement has run.
        sqlite3_bind_text64(statement, index, heldText_.data() + held.offset, held.length,
                            SQLITE_STATIC, SQLITE_UTF8);
        break;
      case Held::Kind::Null:
        sqlite3_bind_null(statement, index);
        break;
    }
  }
}

}  // namespace csv2sql::db::sqlite
