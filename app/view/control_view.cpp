#include "app/view/control_view.h"

namespace csv2sql {

void ControlView::refresh() {
  const bool outer = refreshing_;
  refreshing_ = true;
  place(scale_.pixels(placeInParent()));
  show(shownInParent());
  enable(enabledInParent());
  showKind();
  refreshing_ = outer;
}

void ControlView::rescale(TwipScale scale) {
  scale_ = scale;
  refresh();
}

void ControlView::fromView(const std::function<void()>& edit) const {
  if (!refreshing_) edit();
}

}  // namespace csv2sql
