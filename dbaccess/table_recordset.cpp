#include "dbaccess/table_recordset.h"

#include "core/text.h"
#include "dbaccess/sql_text.h"

namespace csv2sql::db {

TableRecordset::TableRecordset(const TableName& table, std::string tableSql,
                               std::vector<std::string> columns)
    : tableText_(table.text()),
      tableSql_(std::move(tableSql)),
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
  if (!adding_) throw Error::withDetail(err::NoCurrentRecord, "No row was begun with AddNew.");
  row_.set(column, value);
}

std::size_t TableRecordset::columnIndex(std::string_view name) {
  // Rows set their fields in the same order each time: the column after the last one found is
  // tried first.
  const std::size_t columns = lastSpelling_.size();
  for (std::size_t i = 0; i < columns; ++i) {
    const std::size_t column = (nextGuess_ + i) % columns;
    if (!lastSpelling_[column].empty() && lastSpelling_[column] == name) {
      nextGuess_ = column + 1;
      return column;
    }
  }
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (equalsIgnoreCase(columns_[column], name)) {
      lastSpelling_[column] = name;
      nextGuess_ = column + 1;
      return column;
    }
  }
  throw Error::withDetail(err::ItemNotFound,
                          "The table " + tableText_ + " has no column " + std::string(name) + ".");
}

void TableRecordset::update() {
  requireOpen();
  if (!adding_) throw Error::withDetail(err::NoCurrentRecord, "No row was begun with AddNew.");
  adding_ = false;
  writeFilledRow(row_.values());
}

ColumnOrder TableRecordset::columnsOf(std::span<const std::string_view> names) {
  requireOpen();
  ColumnOrder columns;
  for (const std::string_view name : names) columns.push_back(columnIndex(name));
  return columns;
}

void TableRecordset::addRow(const ColumnOrder& columns, std::span<const FieldValue> values) {
  requireOpen();
  if (values.size() != columns.size()) {
    throw Error::withDetail(err::InvalidArgument, std::to_string(values.size()) +
                                                      " values were given for " +
                                                      std::to_string(columns.size()) + " columns.");
  }
  if (adding_) update();
  if (!sameEntries(columns, order_)) learnOrder(columns);
  if (orderIsTableOrder_) {
    writeFilledRow({orderSet_, values});
    return;
  }
  ordered_.clear();
  for (const std::size_t place : orderPlaces_) ordered_.push_back(values[place]);
  writeFilledRow({orderSet_, ordered_});
}

void TableRecordset::writeFilledRow(const RowValues& row) {
  if (row.values.empty()) {
    throw Error::withDetail(err::IllegalOperation, "No field of the new row was set.");
  }
  writeRow(row);
}

void TableRecordset::learnOrder(const ColumnOrder& columns) {
  constexpr std::size_t kUnset = ColumnOrder::value_type(-1);
  std::vector<std::size_t> placeOf(columns_.size(), kUnset);
  for (std::size_t place = 0; place < columns.size(); ++place) {
    if (columns[place] >= columns_.size()) {
      throw Error::withDetail(err::InvalidArgument, "The table " + tableText_ +
                                                        " has no column number " +
                                                        std::to_string(columns[place]) + ".");
    }
    placeOf[columns[place]] = place;  // a column named twice keeps its last value
  }
  orderSet_.assign(columns_.size(), 0);
  orderPlaces_.clear();
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (placeOf[column] == kUnset) continue;
    orderSet_[column] = 1;
    orderPlaces_.push_back(placeOf[column]);
  }
  orderIsTableOrder_ = orderPlaces_.size() == columns.size();
  for (std::size_t i = 0; orderIsTableOrder_ && i < orderPlaces_.size(); ++i) {
    orderIsTableOrder_ = orderPlaces_[i] == i;
  }
  order_ = columns;
}

std::string TableRecordset::columnSql(std::string_view name) {
  return enclosed(columns_[columnIndex(name)], '"', '"');
}

std::string TableRecordset::columnList(const std::vector<char>& set) const {
  std::string list = "(";
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (!set[column]) continue;
    if (list.size() > 1) list += ',';
    list += enclosed(columns_[column], '"', '"');
  }
  list += ')';
  return list;
}

void TableRecordset::requireOpen() const {
  if (!isOpen()) throw Error(err::ObjectClosed);
}

}  // namespace csv2sql::db
