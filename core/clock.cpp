#include "core/clock.h"

#include "core/platform.h"

namespace csv2sql {

DateTime SystemClock::now() const {
  const auto t = platform::localNow();
  // A leap second (60) is folded into the second before it.
  return DateTime::fromParts(t.year, t.month, t.day, t.hour, t.minute, t.second > 59 ? 59 : t.second,
                             t.microsecond);
}

}  // namespace csv2sql
