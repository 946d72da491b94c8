#include "components/db/table_recordset.h"

#include "components/db/ado_errors.h"
#include "components/db/sql_text.h"

namespace csv2sql::db {

TableRecordset::TableRecordset(std::string_view table, std::vector<std::string> columns)
    : table_(table),
      columns_(std::move(columns)),
      lastSpelling_(columns_.size()),
      row_(columns_.size()) {}

void TableRecordset::addNew() {
  requireOpen();
  if (adding_) update();
  row_.clear();
  adding_ = true;
}

void TableRecordset::setField(std::string_view name, const FieldValue& value) {
  requireOpen();
  const std::size_t column = columnIndex(name);
  if (!adding_) throw ado::error(ado::NoCurrentRecord, "No row was begun with AddNew.");
  row_.set(column, value);
}

std::size_t TableRecordset::columnIndex(std::string_view name) {
  for (std::size_t column = 0; column < lastSpelling_.size(); ++column) {
    if (!lastSpelling_[column].empty() && lastSpelling_[column] == name) return column;
  }
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (equalsIgnoreCase(columns_[column], name)) {
      lastSpelling_[column] = name;
      return column;
    }
  }
  throw ado::error(ado::ItemNotFound,
                   "The table " + table_ + " has no column " + std::string(name) + ".");
}

void TableRecordset::update() {
  requireOpen();
  if (!adding_) throw ado::error(ado::NoCurrentRecord, "No row was begun with AddNew.");
  adding_ = false;
  if (row_.setCount() == 0) {
    throw ado::error(ado::IllegalOperation, "No field of the new row was set.");
  }
  writeRow(row_);
}

std::string TableRecordset::columnList(const std::vector<char>& set) const {
  std::string list = "(";
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (!set[column]) continue;
    if (list.size() > 1) list += ',';
    list += quoteIdentifier(columns_[column]);
  }
  list += ')';
  return list;
}

void TableRecordset::requireOpen() const {
  if (!isOpen()) throw ado::error(ado::ObjectClosed);
}

}  // namespace csv2sql::db
