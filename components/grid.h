#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/controls.h"

namespace csv2sql {

// A table of text cells addressed by 1-based row and column. It has no fixed room: any row
// and column number of at least 1 may be written.
//
// A loaded file is kept as one buffer with an index of line starts, never as one string per
// cell; cells are found by splitting a line at its commas when they are read. Cells written
// with setCell (the offset table the operator edits) are kept apart and read in preference.
class Grid : public Control {
 public:
  // columnHeaders: captions of the first columns ("Start", "End", "Offset"); may be empty.
  Grid(std::string name, std::string container, Geometry geometry, int tabIndex,
       std::vector<std::string> columnHeaders = {});

  const std::vector<std::string>& columnHeaders() const { return columnHeaders_; }

  // Replaces the whole contents with a text file: "," separates columns, CR LF, a bare LF or a
  // lone CR ends a row (a line end never reaches a cell), no quoting; a UTF-8 byte order mark
  // at the start is dropped. Line k becomes row k. Returns false, leaving no rows at all, when
  // the file cannot be read.
  bool loadTextFile(const std::filesystem::path& path);

  // Empties every cell.
  void clear();

  // The rows from row 1 up to the last row that holds data (a non-empty cell).
  std::int32_t rowCount() const;

  // The text of one cell; "" for an empty or missing cell or a number below 1. The view stays
  // valid until the next load or clear, or the next setCell of that cell.
  std::string_view cell(std::int32_t row, std::int32_t column) const;
  void setCell(std::int32_t row, std::int32_t column, std::string text);
  // The loaded file's line of a row as it was read, without its line end; "" outside the file.
  std::string_view line(std::int32_t row) const;

  // The loaded file's bytes as read; empty after a clear or a failed load.
  std::string_view bytes() const;
  // The byte just past a loaded row's line end (past its LF, or the file's end for a last line
  // without one); 0 for row 0.
  std::uint64_t rowEnd(std::int32_t row) const;

  // The cursor of the original control: following text()/setText() address this cell.
  std::int32_t row() const { return row_; }
  void setRow(std::int32_t row) { row_ = row; }
  std::int32_t col() const { return col_; }
  void setCol(std::int32_t col) { col_ = col; }
  std::string_view text() const { return cell(row_, col_); }
  void setText(std::string text) { setCell(row_, col_, std::move(text)); }

  // Runs after a load, a clear or a cell change, so a view can refresh.
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
