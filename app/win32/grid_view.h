#pragma once

#include <memory>

#include "app/grid.h"
#include "app/win32/native_view.h"

namespace csv2sql {

// The view of a grid: a scrolled window of edit fields, one for each cell in sight, under a row
// of column captions (app/view/window_layout.h says how many rows and columns it offers). An
// edit goes into the grid's cell; the grid's changes show in the cells. While the grid is hidden
// its cells are not refreshed (the work grid takes whole CSV files, which the operator never
// sees); they are once it is shown.
std::unique_ptr<NativeView> makeGridView(Grid& grid, const FrmMain& form, TwipScale scale,
                                         HWND parent);

}  // namespace csv2sql
