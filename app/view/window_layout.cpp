#include "app/view/window_layout.h"

#include <algorithm>

namespace csv2sql {

namespace {
constexpr int kGridRoom = 500;  // rows, and columns of a grid without headers
}  // namespace

std::vector<Control*> inTabOrder(const std::vector<Control*>& controls) {
  std::vector<Control*> ordered = controls;
  std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
    return a->tabIndex() < b->tabIndex();
  });
  return ordered;
}

bool takesInput(const Control& control) {
  return dynamic_cast<const Label*>(&control) == nullptr ||
         dynamic_cast<const Button*>(&control) != nullptr ||
         dynamic_cast<const CheckBox*>(&control) != nullptr;
}

std::vector<Control*> containersOf(const FrmMain& form, const Control& control) {
  std::vector<Control*> containers;
  for (const Control* inner = &control; !inner->container().empty();) {
    Control* frame = form.find(inner->container());
    // A frame that the form does not hold (or one inside itself) ends the chain.
    if (frame == nullptr ||
        std::find(containers.begin(), containers.end(), frame) != containers.end()) {
      break;
    }
    containers.push_back(frame);
    inner = frame;
  }
  return containers;
}

Geometry placeInWindow(const FrmMain& form, const Control& control) {
  Geometry place = control.geometry();
  for (const Control* frame : containersOf(form, control)) {
    place.left += frame->geometry().left;
    place.top += frame->geometry().top;
  }
  return place;
}

bool shownInWindow(const FrmMain& form, const Control& control) {
  const auto containers = containersOf(form, control);
  return control.visible() && std::all_of(containers.begin(), containers.end(),
                                          [](const Control* frame) { return frame->visible(); });
}

bool enabledInWindow(const FrmMain& form, const Control& control) {
  const auto containers = containersOf(form, control);
  return control.enabled() && std::all_of(containers.begin(), containers.end(),
                                          [](const Control* frame) { return frame->enabled(); });
}

int gridRows(const Grid& grid) {
  return std::max(kGridRoom, grid.rowCount());
}

int gridColumns(const Grid& grid) {
  const auto& headers = grid.columnHeaders();
  return headers.empty() ? kGridRoom : static_cast<int>(headers.size());
}

std::string columnCaption(const Grid& grid, int column) {
  const auto& headers = grid.columnHeaders();
  if (column >= 1 && static_cast<std::size_t>(column) <= headers.size()) {
    return headers[static_cast<std::size_t>(column - 1)];
  }
  return std::to_string(column);
}

WindowMetrics windowMetrics(const TwipScale& scale, int outerWidth, int outerHeight,
                            int clientWidth, int clientHeight) {
  return {scale.twips(outerWidth), scale.twips(outerHeight), scale.twips(clientWidth),
          scale.twips(clientHeight)};
}

}  // namespace csv2sql
