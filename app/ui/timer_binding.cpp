#include "app/ui/timer_binding.h"

#include <QPointer>

namespace csv2sql {

TimerBinding::TimerBinding(Timer& timer, QObject* parent)
    : QObject(parent), model_(timer), timer_(this) {
  timer_.setObjectName(QString::fromStdString(timer.name()));
  connect(&timer_, &QTimer::timeout, this, [this] { model_.tick(); });
  timer.changed().connect([self = QPointer<TimerBinding>(this)] {
    if (self) self->follow();
  });
  follow();
}

void TimerBinding::follow() {
  const int interval = model_.interval();
  // A timer without an interval never ticks.
  if (!model_.enabled() || interval <= 0) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != interval) {
    timer_.start(interval);
  }
}

}  // namespace csv2sql
