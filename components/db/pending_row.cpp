#include "components/db/pending_row.h"

#include <algorithm>

namespace csv2sql::db {

PendingRow::PendingRow(std::size_t columns) : values_(columns), set_(columns, 0) {
  text_.reserve(256);
}

void PendingRow::clear() {
  std::fill(set_.begin(), set_.end(), 0);
  setCount_ = 0;
  text_.clear();
}

void PendingRow::set(std::size_t column, const FieldValue& value) {
  lend(column, value);
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    Stored& stored = values_[column];
    stored.copied = true;
    stored.offset = text_.size();
    stored.length = text->size();
    text_.append(*text);
  }
}

void PendingRow::lend(std::size_t column, const FieldValue& value) {
  Stored& stored = values_[column];
  stored.value = value;
  stored.copied = false;
  if (!set_[column]) {
    set_[column] = 1;
    ++setCount_;
  }
}

FieldValue PendingRow::value(std::size_t column) const {
  const Stored& stored = values_[column];
  if (stored.copied) {
    return std::string_view(text_.data() + stored.offset, stored.length);
  }
  return stored.value;
}

}  // namespace csv2sql::db
