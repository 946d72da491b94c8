#include "import/utc_offsets.h"

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

enum Column { kStart = 1, kEnd = 2, kOffset = 3 };

template <typename T>
T converted(const std::optional<T>& cell) {
  if (!cell) throw Error(err::TypeMismatch);
  return *cell;
}

}  // namespace

UtcOffsetTable::UtcOffsetTable(const Grid& spUTC) {
  const std::int32_t rows = spUTC.rowCount();
  periods_.reserve(static_cast<std::size_t>(rows));
  for (std::int32_t row = 1; row <= rows; ++row) {
    periods_.push_back({parseDateTime(spUTC.cell(row, kStart)),
                        parseDateTime(spUTC.cell(row, kEnd)),
                        parseNumber(spUTC.cell(row, kOffset))});
  }
}

std::optional<DateTime> UtcOffsetTable::toLocal(const DateTime& utc) const {
  for (const Period& period : periods_) {
    const DateTime start = converted(period.start);
    const DateTime end = converted(period.end);
    if (start <= utc && utc <= end) return utc.addHours(converted(period.offsetHours));
  }
  return std::nullopt;
}

}  // namespace csv2sql
