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
      control_(control),
      widget_(widget),
      scale_(scale),
      refreshKind_(std::move(refreshKind)) {
  widget.setObjectName(QString::fromStdString(control.name()));
}

void ControlBinding::fromWidget(const std::function<void()>& edit) const {
  if (!updating_) edit();
}

void ControlBinding::refresh() {
  const bool outer = updating_;
  updating_ = true;
  const QRect place = scale_.pixels(control_.geometry());
  if (widget_.geometry() != place) widget_.setGeometry(place);
  // Hidden only when the control is: a child of a window not yet shown is not "visible".
  if (widget_.isHidden() == control_.visible()) widget_.setVisible(control_.visible());
  widget_.setEnabled(control_.enabled());
  if (refreshKind_) refreshKind_();
  updating_ = outer;
}

}  // namespace csv2sql
