#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/database.h"
#include "dbaccess/pending_row.h"

namespace csv2sql::db {

// What every driver's recordset shares: the table's columns, the row being added and the
// checks of the ADO row cycle (add new, set fields, update). A driver writes the finished row.
class TableRecordset : public Recordset {
 public:
  // A pending row is written first, as ADO's AddNew does.
  void addNew() override;
  // Fails for a name the table lacks (letter case ignored) or when no row is being added.
  void setField(std::string_view name, const FieldValue& value) override;
  void update() override;
  ColumnOrder columnsOf(std::span<const std::string_view> names) override;
  std::string columnSql(std::string_view name) override;
  void addRow(const ColumnOrder& columns, std::span<const FieldValue> values) override;

 protected:
  // tableSql: the table as the driver's statements name it.
  TableRecordset(const TableName& table, std::string tableSql, std::vector<std::string> columns);

  const std::string& tableSql() const { return tableSql_; }
  // The quoted names of the set columns in table order, as "(\"a\",\"b\")".
  std::string columnList(const std::vector<char>& set) const;
  // Forgets a row that was begun but not updated.
  void dropPendingRow() { adding_ = false; }

  virtual bool isOpen() const = 0;
  virtual void writeRow(const RowValues& row) = 0;

 private:
  void requireOpen() const;
  void writeFilledRow(const RowValues& row);
  std::size_t columnIndex(std::string_view name);
  // The table order of addRow's columns; rows of a stream share their order, so the last is kept.
  void learnOrder(const ColumnOrder& columns);

  std::string tableText_;
  std::string tableSql_;
  std::vector<std::string> columns_;
  // Per column, the spelling a caller last used for it: the row-by-row path finds its column
  // with one exact comparison instead of a case-blind one.
  std::vector<std::string> lastSpelling_;
  std::size_t nextGuess_ = 0;
  PendingRow row_;
  bool adding_ = false;
  ColumnOrder order_;
  std::vector<char> orderSet_;
  std::vector<std::size_t> orderPlaces_;  // per set column in table order, its value's place
  bool orderIsTableOrder_ = false;
  std::vector<FieldValue> ordered_;
};

}  // namespace csv2sql::db
