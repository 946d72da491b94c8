#pragma once

#include <QAbstractTableModel>

#include "app/grid.h"

namespace csv2sql {

// A grid's cells as a table for a view: room for at least 500 rows, and more when the grid
// holds more; the grid's column headers, or 500 numbered columns when it has none. An edit in
// the view goes into the grid's cell.
//
// While the grid is hidden its view is not refreshed (the work grid takes whole CSV files,
// which the operator never sees); it is refreshed once the grid is shown.
class GridModel final : public QAbstractTableModel {
 public:
  GridModel(Grid& grid, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  void contentsChanged();
  void visibilityChanged();
  void reload();

  Grid& grid_;
  int rows_ = 0;
  bool stale_ = false;
  // Set while an edit of the view is written into the grid, which then reports the change.
  bool writing_ = false;
};

}  // namespace csv2sql
