#include "app/schedule_seam.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace csv2sql {

std::optional<std::int32_t> timerIntervalSeam() {
  const char* value = std::getenv("CSV2SQL_TIMER_INTERVAL_MS");
  if (value == nullptr) return std::nullopt;
  const std::string_view text(value);
  std::int32_t milliseconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), milliseconds);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (milliseconds < 1 || milliseconds > 60000) return std::nullopt;
  return milliseconds;
}

FastClock::FastClock(const Clock& base, double factor)
    : start_(base.now()), origin_(std::chrono::steady_clock::now()), factor_(factor) {}

DateTime FastClock::now() const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - origin_);
  return start_.addMicroseconds(std::llround(static_cast<double>(elapsed.count()) * factor_));
}

}  // namespace csv2sql
