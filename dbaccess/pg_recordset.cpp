#include "dbaccess/pg_driver.h"

#include "dbaccess/drivers.h"

namespace csv2sql::db::pg {

PgRecordset::PgRecordset(PgDriver& driver, const TableName& table, std::string tableSql,
                         std::vector<std::string> columns, std::vector<Oid> types)
    : TableRecordset(table, std::move(tableSql), std::move(columns)),
      driver_(&driver),
      types_(std::move(types)) {}

PgRecordset::~PgRecordset() {
  if (!driver_) return;
  try {
    driver_->endCopyOf(this);
  } catch (...) {
    // Rows that cannot be written must not be committed without the ones that failed.
    rollbackQuietly(*driver_);
  }
  detach();
}

void PgRecordset::close() {
  if (!driver_) return;
  dropPendingRow();
  struct DetachAtExit {
    PgRecordset& recordset;
    ~DetachAtExit() { recordset.detach(); }
  } detachAtExit{*this};
  driver_->endCopyOf(this);
}

void PgRecordset::detach() noexcept {
  driver_->forget(this);
  release();
}

void PgRecordset::release() noexcept {
  driver_ = nullptr;
}

std::string PgRecordset::copyStatement(const std::vector<char>& set, bool binary) const {
  return "COPY " + tableSql() + ' ' + columnList(set) + " FROM STDIN" +
         (binary ? " (FORMAT binary)" : "");
}

void PgRecordset::writeRow(const RowValues& row) {
  if (driver_->inTransaction()) {
    driver_->copyRow(*this, row);
    return;
  }
  if (insert_.empty() || !sameEntries(insertSet_, row.set)) {
    insertSet_ = row.set;
    insert_ = "INSERT INTO " + tableSql() + ' ' + columnList(insertSet_) + " VALUES (";
    for (std::size_t i = 1; i <= row.values.size(); ++i) {
      insert_ += (i > 1 ? ",$" : "$") + std::to_string(i);
    }
    insert_ += ')';
  }
  driver_->insertRow(insert_, row);
}

}  // namespace csv2sql::db::pg
