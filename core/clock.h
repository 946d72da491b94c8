#pragma once

#include <filesystem>
#include <optional>

#include "core/datetime.h"

namespace csv2sql {

// Every reading of the time goes through a clock, so tests can set the time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() const = 0;  // local date and time
};

class SystemClock final : public Clock {
 public:
  DateTime now() const override;
};

// A file's time of change as local date and time, to compare with a clock's; nothing when it is
// outside the years 1 to 9999 or the system cannot tell it.
std::optional<DateTime> localWriteTime(std::filesystem::file_time_type written);

}  // namespace csv2sql
