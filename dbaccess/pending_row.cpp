#include "dbaccess/pending_row.h"

#include <algorithm>

namespace csv2sql::db {

PendingRow::PendingRow(std::size_t columns) : stored_(columns), set_(columns, 0) {
  text_.reserve(256);
  values_.reserve(columns);
}

void PendingRow::clear() {
  std::fill(set_.begin(), set_.end(), 0);
  text_.clear();
}

void PendingRow::set(std::size_t column, const FieldValue& value) {
  Stored& stored = stored_[column];
  stored.value = value;
  stored.copied = false;
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    stored.copied = true;
    stored.offset = text_.size();
    stored.length = text->size();
    text_.append(*text);
  }
  set_[column] = 1;
}

RowValues PendingRow::values() {
  values_.clear();
  for (std::size_t column = 0; column < set_.size(); ++column) {
    if (!set_[column]) continue;
    const Stored& stored = stored_[column];
    if (stored.copied) {
      values_.emplace_back(std::string_view(text_.data() + stored.offset, stored.length));
    } else {
      values_.push_back(stored.value);
    }
  }
  return {set_, values_};
}

}  // namespace csv2sql::db
