#pragma once

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

}  // namespace csv2sql
