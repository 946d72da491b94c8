#include "app/grid.h"

#include <map>

namespace csv2sql {

// The cells written: one sparse map of columns per row. std::map nodes never move, so a cell's
// text stays put until that cell changes.
struct Grid::Storage {
  std::map<std::int32_t, std::map<std::int32_t, std::string>> written;
  std::int32_t rowCount = 0;

  void recount() { rowCount = written.empty() ? 0 : written.rbegin()->first; }
};

Grid::Grid(std::string name, std::string container, Geometry geometry, int tabIndex,
           std::vector<std::string> columnHeaders)
    : Control(std::move(name), std::move(container), geometry, tabIndex),
      columnHeaders_(std::move(columnHeaders)),
      storage_(std::make_shared<Storage>()) {}

void Grid::clear() {
  storage_ = std::make_shared<Storage>();
  contentsChanged_.emit();
}

std::int32_t Grid::rowCount() const {
  return storage_->rowCount;
}

std::string_view Grid::cell(std::int32_t row, std::int32_t column) const {
  const auto found = storage_->written.find(row);
  if (found == storage_->written.end()) return {};
  const auto text = found->second.find(column);
  return text == found->second.end() ? std::string_view{} : std::string_view{text->second};
}

void Grid::setCell(std::int32_t row, std::int32_t column, std::string text) {
  if (row < 1 || column < 1) return;
  auto& written = storage_->written;
  if (text.empty()) {
    const auto found = written.find(row);
    if (found != written.end() && found->second.erase(column) == 1 && found->second.empty()) {
      written.erase(found);
    }
  } else {
    written[row][column] = std::move(text);
  }
  storage_->recount();
  contentsChanged_.emit();
}

}  // namespace csv2sql
