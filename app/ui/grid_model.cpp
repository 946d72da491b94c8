#include "app/ui/grid_model.h"

#include <QPointer>

#include "app/ui/qt_text.h"
#include "app/view/window_layout.h"

namespace csv2sql {

GridModel::GridModel(Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  rows_ = gridRows(grid_);
  grid.contentsChanged().connect([self = QPointer<GridModel>(this)] {
    if (self) self->contentsChanged();
  });
  grid.changed().connect([self = QPointer<GridModel>(this)] {
    if (self) self->visibilityChanged();
  });
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return gridColumns(grid_);
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return toQt(grid_.cell(index.row() + 1, index.column() + 1));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const auto& headers = grid_.columnHeaders();
  if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
      static_cast<std::size_t>(section) < headers.size()) {
    return toQt(headers[static_cast<std::size_t>(section)]);
  }
  // Rows and unnamed columns are numbered from 1.
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  writing_ = true;
  grid_.setCell(index.row() + 1, index.column() + 1, fromQt(value.toString()));
  writing_ = false;
  Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

void GridModel::contentsChanged() {
  if (writing_) return;
  if (grid_.visible()) {
    reload();
  } else {
    stale_ = true;
  }
}

void GridModel::visibilityChanged() {
  if (stale_ && grid_.visible()) reload();
}

void GridModel::reload() {
  beginResetModel();
  rows_ = gridRows(grid_);
  stale_ = false;
  endResetModel();
}

}  // namespace csv2sql
