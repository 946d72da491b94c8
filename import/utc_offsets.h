#pragma once

#include <optional>
#include <vector>

#include "core/datetime.h"
#include "settings/settings.h"

namespace csv2sql {

// The offset periods of the offset table (start, end, offset hours), read once for one file so that
// its rows do not convert the same cells again. A cell that cannot be read keeps its error (13,
// type mismatch) until a lookup reaches it, so a bad period matters only to the times that reach
// it.
class UtcOffsetTable {
 public:
  explicit UtcOffsetTable(const UtcRows& rows);

  // The local time for a UTC time: moved by the offset of the first period that contains it
  // (both bounds inclusive, a fraction of an hour exactly), or nothing when none does. Allocates
  // nothing.
  std::optional<DateTime> toLocal(const DateTime& utc) const;

 private:
  struct Period {
    std::optional<DateTime> start;
    std::optional<DateTime> end;
    std::optional<double> offsetHours;
  };
  std::vector<Period> periods_;
  // Every cell is read and no two periods overlap, so a time lies in at most one: the one that
  // held the last time is tried first, as a file's times come in order, then the periods, kept in
  // time order, are searched.
  bool disjoint_ = false;
  mutable std::size_t last_ = 0;
};

}  // namespace csv2sql
