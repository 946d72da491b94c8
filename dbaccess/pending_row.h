#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "dbaccess/database.h"

namespace csv2sql::db {

// One row for a driver to write: the columns it sets (one entry per column of the table, 1 when
// the row sets it) and their values in table order.
struct RowValues {
  const std::vector<char>& set;
  std::span<const FieldValue> values;
};

// Whether two rows' shapes are the same. A loop: for the few columns of a row it costs less than
// the call of memcmp that == makes.
template <typename T>
bool sameEntries(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

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
