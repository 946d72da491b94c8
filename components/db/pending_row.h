#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "components/db/database.h"

namespace csv2sql::db {

// The fields of the row being added: which columns are set and their values. Strings are
// copied into one buffer that is reused from row to row, so a steady stream of rows allocates
// nothing.
class PendingRow {
 public:
  explicit PendingRow(std::size_t columns);

  void clear();
  void set(std::size_t column, const FieldValue& value);
  // As set, but a string is not copied: the caller keeps it until the row is written.
  void lend(std::size_t column, const FieldValue& value);

  // One entry per column of the table: 1 when this row sets it.
  const std::vector<char>& setColumns() const { return set_; }
  std::size_t setCount() const { return setCount_; }
  // The value of a set column; a string views this row's buffer until the next clear or set.
  FieldValue value(std::size_t column) const;

 private:
  struct Stored {
    FieldValue value;  // a string copied is kept as its place in text_
    bool copied = false;
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  std::vector<Stored> values_;
  std::vector<char> set_;
  std::size_t setCount_ = 0;
  std::string text_;
};

}  // namespace csv2sql::db
