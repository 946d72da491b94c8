#include "app/ui/control_binding.h"

#include <QPointer>
#include <QWidget>

namespace csv2sql {

ControlBinding* ControlBinding::bind(Control& control, QWidget& widget, TwipScale scale,
                                     std::function<void()> refreshKind) {
  auto* binding = new ControlBinding(control, widget, scale, std::move(refreshKind));
  control.changed().connect([self = QPointer<ControlBinding>(binding)] {
    if (self) self->refresh();
  });
  binding->refresh();
  return binding;
}

ControlBinding::ControlBinding(Control& control, QWidget& widget, TwipScale scale,
                               std::function<void()> refreshKind)
    : QObject(&widget),
      ControlView(control, scale),
      widget_(widget),
      refreshKind_(std::move(refreshKind)) {
  widget.setObjectName(QString::fromStdString(control.name()));
}

void ControlBinding::place(const PixelRect& rect) {
  const QRect place = toQRect(rect);
  if (widget_.geometry() != place) widget_.setGeometry(place);
}

void ControlBinding::show(bool visible) {
  // Hidden only when the control is: a child of a window not yet shown is not "visible".
  if (widget_.isHidden() == visible) widget_.setVisible(visible);
}

void ControlBinding::enable(bool enabled) {
  widget_.setEnabled(enabled);
}

void ControlBinding::showKind() {
  if (refreshKind_) refreshKind_();
}

}  // namespace csv2sql
