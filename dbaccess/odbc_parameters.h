#pragma once

#include "dbaccess/odbc_api.h"

#include <cstddef>
#include <span>
#include <variant>
#include <vector>

#include "core/datetime.h"
#include "dbaccess/database.h"
#include "dbaccess/odbc_text.h"

namespace csv2sql::db::odbc {

// A parameter value owned by the caller's statement or batch.
using Value = std::variant<std::monostate, DateTime, double, WideText>;

// Copies a field value; text that is not UTF-8 fails with SQLSTATE 22021.
Value ownedValue(const FieldValue& value);

// Which rows one execution sends: `sets` parameter sets of `rowsPerSet` rows each (a statement
// with a VALUES list of that many rows), from row `first` on.
struct ParameterSlice {
  std::size_t first = 0;
  std::size_t sets = 0;
  std::size_t rowsPerSet = 1;
};

// How numbers and date-times are bound: as C doubles and timestamp structures, or as the text
// the server reads them from (a number in its shortest exact form, declared a double; a
// date-time as "yyyy-mm-dd hh:mm:ss[.ffffff]"), for psqlODBC, which would otherwise print each
// value with printf at a cost above that of the insert itself.
enum class ValueForm { Native, Text };

// The values of one or more rows for a statement's "?" markers, bound as column-wise arrays so
// that one execution sends them all. Within one set, each column keeps one kind of value
// (a NULL fits any).
class ParameterRows {
 public:
  // A marker's bound array of values.
  struct Buffer {
    std::vector<unsigned char> data;
    std::vector<SQLLEN> lengths;
  };
  using Buffers = std::vector<Buffer>;

  // buffers: those of an earlier set of rows, so that a stream of batches keeps its memory.
  explicit ParameterRows(std::size_t columns, ValueForm form = ValueForm::Native,
                         Buffers buffers = {})
      : columns_(columns), form_(form), buffers_(std::move(buffers)) {}

  std::size_t size() const { return rows_; }
  std::size_t columns() const { return columns_; }
  // True when the row has the set's columns and their kinds of value.
  bool fits(std::span<const Value> row) const;
  // Moves the row's values in.
  void add(std::span<Value> row);
  // Every row, one per parameter set.
  ParameterSlice all() const { return {0, rows_, 1}; }

  // Binds the slice's rows to the statement's markers, row after row within a set. The
  // buffers live in this object, which must outlive the execution.
  void bind(SQLHSTMT statement, const ParameterSlice& slice);
  Buffers takeBuffers() { return std::move(buffers_); }

 private:
  struct Binding;  // a marker's types and bytes per value
  const Value& value(std::size_t row, std::size_t column) const {
    return values_[row * columns_ + column];
  }
  Binding binding(std::size_t column, const ParameterSlice& slice) const;
  // Binds marker `marker` to the column's value in row `row` of each set.
  void bindMarker(SQLHSTMT statement, std::size_t marker, std::size_t column, std::size_t row,
                  const ParameterSlice& slice, const Binding& binding, Buffer& buffer);

  std::size_t columns_;
  ValueForm form_;
  std::vector<std::size_t> kinds_ = std::vector<std::size_t>(columns_);  // 0 while only NULLs
  std::vector<Value> values_;                                            // row after row
  std::size_t rows_ = 0;
  Buffers buffers_;
};

}  // namespace csv2sql::db::odbc
