#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"

namespace csv2sql {

// A table of text cells addressed by 1-based row and column. It has no fixed room: any row
// and column number of at least 1 may be written. Only the cells written are kept.
class Grid : public Control {
 public:
  // columnHeaders: captions of the first columns ("Start", "End", "Offset"); may be empty.
  Grid(std::string name, std::string container, Geometry geometry, int tabIndex,
       std::vector<std::string> columnHeaders = {});

  const std::vector<std::string>& columnHeaders() const { return columnHeaders_; }

  // Empties every cell.
  void clear();

  // The rows from row 1 up to the last row that holds data (a non-empty cell).
  std::int32_t rowCount() const;

  // The text of one cell; "" for an empty or missing cell or a number below 1. The view stays
  // valid until the next clear or the next setCell of that cell.
  std::string_view cell(std::int32_t row, std::int32_t column) const;
  void setCell(std::int32_t row, std::int32_t column, std::string text);
  // The cursor of the original control: following text()/setText() address this cell.
  std::int32_t row() const { return row_; }
  void setRow(std::int32_t row) { row_ = row; }
  std::int32_t col() const { return col_; }
  void setCol(std::int32_t col) { col_ = col; }
  std::string_view text() const { return cell(row_, col_); }
  void setText(std::string text) { setCell(row_, col_, std::move(text)); }

  // Runs after a clear or a cell change, so a view can refresh.
  Signal<>& contentsChanged() { return contentsChanged_; }

 private:
  // Implementation-defined storage; see grid.cpp.
  struct Storage;
  std::vector<std::string> columnHeaders_;
  std::int32_t row_ = 0;
  std::int32_t col_ = 0;
  Signal<> contentsChanged_;
  std::shared_ptr<Storage> storage_;
};

}  // namespace csv2sql
