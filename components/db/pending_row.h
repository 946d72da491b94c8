#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "components/db/database.h"

namespace csv2sql::db {

// One row for a driver to write: the columns it sets (one entry per column of the table, 1 when
// the row sets it) and their values in table order.
struct RowValues {
  const std::vector<char>& set;
  std::span<const FieldValue> values;
};

// The fields of a row that is set one field at a time. Strings are copied into one buffer that
// is reused from row to row, so a steady stream of rows allocates nothing.
class PendingRow {
 public:
  explicit PendingRow(std::size_t columns);

  void clear();
  // A column set again keeps the last value.
  void set(std::size_t column, const FieldValue& value);
  // The row as set; its strings view this row's buffer until the next clear or set.
  RowValues values();

 private:
  struct Stored {
    FieldValue value;  // a string is kept as its place in text_
    bool copied = false;
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  std::vector<Stored> stored_;
  std::vector<char> set_;
  std::string text_;
  std::vector<FieldValue> values_;
};

}  // namespace csv2sql::db
