#pragma once

#include <QObject>
#include <functional>

#include "app/controls.h"
#include "app/ui/twips.h"

class QWidget;

namespace csv2sql {

// Keeps one widget in step with its control. A change of the control shows in the widget:
// place and size, visibility, enabled state, and what the widget's kind shows (refreshKind).
// The binding is a child of the widget, so it goes with it; a control that outlives its
// widget then reaches nothing.
class ControlBinding : public QObject {
 public:
  // Shows the control's current state at once.
  static ControlBinding* bind(Control& control, QWidget& widget, TwipScale scale,
                              std::function<void()> refreshKind);

  // Runs an edit of the operator's into the control, unless the binding's own writing into
  // the widget caused the widget's signal: that would echo the control back into itself.
  void fromWidget(const std::function<void()>& edit) const;

 private:
  ControlBinding(Control& control, QWidget& widget, TwipScale scale,
                 std::function<void()> refreshKind);
  void refresh();

  Control& control_;
  QWidget& widget_;
  TwipScale scale_;
  std::function<void()> refreshKind_;
  bool updating_ = false;
};

}  // namespace csv2sql
