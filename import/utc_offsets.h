#pragma once

#include <optional>
#include <vector>

#include "components/grid.h"
#include "core/datetime.h"

namespace csv2sql {

// The offset periods of the grid spUTC (columns "Start", "End", "Offset" hours), read once for
// one file so that its rows do not convert the same cells again. A cell that cannot be read
// keeps its error (13, type mismatch) until a lookup reaches it, so a bad period matters only to
// the times that reach it.
class UtcOffsetTable {
 public:
  explicit UtcOffsetTable(const Grid& spUTC);

  // The local time for a UTC time: moved by the offset of the first period that contains it
  // (both bounds inclusive, a fraction of an hour exactly), unchanged when none does. Allocates
  // nothing.
  DateTime UtcToLocal(const DateTime& utc) const { return toLocal(utc).value_or(utc); }
  // The same, but nothing when no period contains the time.
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
