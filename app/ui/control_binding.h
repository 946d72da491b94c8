#pragma once

#include <QObject>
#include <functional>

#include "app/controls.h"
#include "app/ui/twips.h"
#include "app/view/control_view.h"

class QWidget;

namespace csv2sql {

// Keeps one widget in step with its control (app/view/control_view.h). The binding is a child
// of the widget, so it goes with it; a control that outlives its widget then reaches nothing.
class ControlBinding : public QObject, public ControlView {
 public:
  // Shows the control's current state at once.
  static ControlBinding* bind(Control& control, QWidget& widget, TwipScale scale,
                              std::function<void()> refreshKind);

 private:
  ControlBinding(Control& control, QWidget& widget, TwipScale scale,
                 std::function<void()> refreshKind);
  void place(const PixelRect& rect) override;
  void show(bool visible) override;
  void enable(bool enabled) override;
  void showKind() override;

  QWidget& widget_;
  std::function<void()> refreshKind_;
};

}  // namespace csv2sql
