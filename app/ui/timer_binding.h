#pragma once

#include <QTimer>

#include "app/controls.h"

namespace csv2sql {

// Runs a timer control on a real timer: it runs while the control is enabled and has an
// interval, restarts its count when the interval changes, and each timeout ticks the control.
class TimerBinding final : public QObject {
 public:
  TimerBinding(Timer& timer, QObject* parent);
  const QTimer& timer() const { return timer_; }

 private:
  void follow();

  Timer& model_;
  QTimer timer_;
};

}  // namespace csv2sql
