#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "core/clock.h"

namespace csv2sql {

// Test seam, for process tests only: when the environment variable CSV2SQL_TIMER_INTERVAL_MS
// holds a whole number of milliseconds from 1 to 60000, Timer1 ticks at that interval instead
// of every minute, and the program's clock runs 60000 / interval times as fast, so that a
// schedule of minutes passes in moments. Unset or any other value: nothing changes.
std::optional<std::int32_t> timerIntervalSeam();

// A clock that starts at the time of another and then runs `factor` times as fast.
class FastClock final : public Clock {
 public:
  FastClock(const Clock& base, double factor);
  DateTime now() const override;

 private:
  DateTime start_;
  std::chrono::steady_clock::time_point origin_;
  double factor_;
};

}  // namespace csv2sql
