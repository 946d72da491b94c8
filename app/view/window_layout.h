#pragma once

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/frm_main.h"
#include "app/grid.h"
#include "app/program.h"
#include "app/view/twips.h"

namespace csv2sql {

// What both window hosts do alike with the window's model, whatever controls it holds.

// Calls visit with the control as its most derived kind of the window (a combo box is also a
// text box, a button or check box also a label); a kind not named here comes as a Control.
template <typename Visitor>
decltype(auto) visitKind(Control& control, Visitor&& visit) {
  if (auto* grid = dynamic_cast<Grid*>(&control)) return visit(*grid);
  if (auto* combo = dynamic_cast<ComboBox*>(&control)) return visit(*combo);
  if (auto* text = dynamic_cast<TextBox*>(&control)) return visit(*text);
  if (auto* check = dynamic_cast<CheckBox*>(&control)) return visit(*check);
  if (auto* button = dynamic_cast<Button*>(&control)) return visit(*button);
  if (auto* frame = dynamic_cast<Frame*>(&control)) return visit(*frame);
  if (auto* label = dynamic_cast<Label*>(&control)) return visit(*label);
  if (auto* list = dynamic_cast<ListBox*>(&control)) return visit(*list);
  return visit(control);
}

// The controls in the order Tab visits them (by tab index, equal ones as listed).
std::vector<Control*> inTabOrder(const std::vector<Control*>& controls);

// Whether the operator types into, picks or presses the control: all but labels and frames.
bool takesInput(const Control& control);

// The frames a control lies in, innermost first.
std::vector<Control*> containersOf(const FrmMain& form, const Control& control);

// A control's place relative to the window's client area: its own place inside its frame plus
// the frames' places.
Geometry placeInWindow(const FrmMain& form, const Control& control);

// Shown (enabled) when it is and every frame it lies in is too.
bool shownInWindow(const FrmMain& form, const Control& control);
bool enabledInWindow(const FrmMain& form, const Control& control);

// How much of a grid a view offers: room for at least 500 rows, more when it holds more; its
// column headers, or 500 numbered columns when it has none.
int gridRows(const Grid& grid);
int gridColumns(const Grid& grid);
// The caption of a column numbered from 1: its header, or its number.
std::string columnCaption(const Grid& grid, int column);

// The window's outer and client sizes in pixels as the program's Form_Resize takes them.
WindowMetrics windowMetrics(const TwipScale& scale, int outerWidth, int outerHeight,
                            int clientWidth, int clientHeight);

}  // namespace csv2sql
