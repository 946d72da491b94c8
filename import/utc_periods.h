#pragma once

#include <string>
#include <vector>

#include "core/datetime.h"
#include "settings/settings.h"

namespace csv2sql {

// One row of the offset table: the UTC times it holds, both bounds inclusive to the second, and
// the hours that local time is ahead of UTC there.
struct UtcPeriod {
  DateTime start;
  DateTime end;
  double offsetHours = 0;
  bool operator==(const UtcPeriod&) const = default;
};

// The periods of a time zone of the system's time-zone database that cover the UTC years
// firstYear to lastYear, one per stretch of the same offset, so every reading of those years
// falls in one. Error 5 for a zone the database does not know or years out of 1900..2200 or
// out of order.
std::vector<UtcPeriod> utcPeriodsOf(const std::string& zone, int firstYear, int lastYear);

// The offset table's rows for the periods: "yyyy-mm-dd hh:mm:ss" and the offset in its shortest
// decimal form.
UtcRows utcRowsOf(const std::vector<UtcPeriod>& periods);

}  // namespace csv2sql
