#include "core/clock.h"

#include "core/platform.h"

namespace csv2sql {

namespace {

// A leap second (60) is folded into the second before it.
DateTime dateTimeOf(const platform::LocalTime& t) {
  return DateTime::fromParts(t.year, t.month, t.day, t.hour, t.minute,
                             t.second > 59 ? 59 : t.second, t.microsecond);
}

}  // namespace

DateTime SystemClock::now() const {
  return dateTimeOf(platform::localNow());
}

std::optional<DateTime> localWriteTime(std::filesystem::file_time_type written) {
  const auto t = platform::localTimeOf(written);
  if (!t || !DateTime::valid(t->year, t->month, t->day)) return std::nullopt;
  return dateTimeOf(*t);
}

}  // namespace csv2sql
