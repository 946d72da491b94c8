#include "import/utc_offsets.h"

#include <algorithm>
#include <utility>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

template <typename T>
T converted(const std::optional<T>& cell) {
  if (!cell) throw Error(err::TypeMismatch);
  return *cell;
}

}  // namespace

UtcOffsetTable::UtcOffsetTable(const UtcRows& rows) {
  periods_.reserve(rows.size());
  for (const UtcRow& row : rows) {
    periods_.push_back({parseDateTime(row.start), parseDateTime(row.end), parseNumber(row.offset)});
  }
  std::vector<std::pair<DateTime, DateTime>> spans;
  for (const Period& period : periods_) {
    if (!period.start || !period.end || !period.offsetHours) return;
    spans.emplace_back(*period.start, *period.end);
  }
  std::ranges::sort(spans);
  disjoint_ = !spans.empty();
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first <= spans[i - 1].second) disjoint_ = false;
  }
  // With at most one period for any time, their order no longer matters: in time order, the one
  // that can hold a time is found by a binary search.
  if (disjoint_) {
    std::ranges::sort(periods_, {}, [](const Period& period) { return *period.start; });
  }
}

std::optional<DateTime> UtcOffsetTable::toLocal(const DateTime& utc) const {
  if (disjoint_) {
    const Period& cached = periods_[last_];
    if (*cached.start <= utc && utc <= *cached.end) return utc.addHours(*cached.offsetHours);
    // The last period to start at or before the time is the only one that can hold it.
    const auto after = std::ranges::upper_bound(periods_, utc, {},
                                                [](const Period& period) { return *period.start; });
    if (after == periods_.begin()) return std::nullopt;
    const Period& candidate = *std::prev(after);
    if (utc > *candidate.end) return std::nullopt;
    last_ = static_cast<std::size_t>(std::prev(after) - periods_.begin());
    return utc.addHours(*candidate.offsetHours);
  }
  for (std::size_t i = 0; i < periods_.size(); ++i) {
    const Period& period = periods_[i];
    const DateTime start = converted(period.start);
    const DateTime end = converted(period.end);
    if (start <= utc && utc <= end) {
      last_ = i;
      return utc.addHours(converted(period.offsetHours));
    }
  }
  return std::nullopt;
}

}  // namespace csv2sql
