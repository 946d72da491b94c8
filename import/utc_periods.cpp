#include "import/utc_periods.h"

#if CSV2SQL_WITH_TIME_ZONES
#include <date/tz.h>
#endif

#include <charconv>
#include <chrono>
#include <stdexcept>

#include "core/datetime_text.h"
#include "core/error.h"

namespace csv2sql {

namespace {

constexpr int kFirstYear = 1900, kLastYear = 2200;

#if CSV2SQL_WITH_TIME_ZONES
DateTime dateTimeOf(date::sys_seconds at) {
  const auto day = std::chrono::floor<date::days>(at);
  const date::year_month_day ymd(day);
  const date::hh_mm_ss time(at - day);
  return DateTime::fromParts(
      static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
      static_cast<int>(unsigned(ymd.day())), static_cast<int>(time.hours().count()),
      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
}

const date::time_zone& zoneNamed(const std::string& zone) {
  try {
    return *date::locate_zone(zone);
  } catch (const std::runtime_error&) {
    throw Error(err::InvalidProcedureCall,
                "Invalid procedure call or argument: no time zone named " + zone);
  }
}

std::vector<UtcPeriod> zonePeriods(const date::time_zone& tz, int firstYear, int lastYear) {
  using std::chrono::seconds;
  const date::sys_seconds from{date::sys_days{date::year{firstYear} / date::January / 1}};
  const date::sys_seconds to{date::sys_days{date::year{lastYear + 1} / date::January / 1}};
  std::vector<UtcPeriod> periods;
  seconds lastOffset{};
  for (date::sys_seconds at = from; at < to;) {
    const date::sys_info info = tz.get_info(at);
    const date::sys_seconds end = std::min(info.end, to);
    // A change of the zone's name or rules alone keeps the offset: one period still.
    if (!periods.empty() && info.offset == lastOffset) {
      periods.back().end = dateTimeOf(end - seconds{1});
    } else {
      periods.push_back({dateTimeOf(at), dateTimeOf(end - seconds{1}),
                         static_cast<double>(info.offset.count()) / 3600.0});
    }
    lastOffset = info.offset;
    at = end;
  }
  return periods;
}
#endif

}  // namespace

std::vector<UtcPeriod> utcPeriodsOf(const std::string& zone, int firstYear, int lastYear) {
  if (firstYear < kFirstYear || lastYear > kLastYear || firstYear > lastYear) {
    throw Error(err::InvalidProcedureCall,
                "Invalid procedure call or argument: the years must be "
                "in order, from 1900 to 2200");
  }
#if CSV2SQL_WITH_TIME_ZONES
  return zonePeriods(zoneNamed(zone), firstYear, lastYear);
#else
  throw Error(err::InvalidProcedureCall,
              "Invalid procedure call or argument: this program has no time-zone database for " +
                  zone + "; enter the UTC= lines by hand");
#endif
}

UtcRows utcRowsOf(const std::vector<UtcPeriod>& periods) {
  UtcRows rows;
  rows.reserve(periods.size());
  for (const UtcPeriod& period : periods) {
    char offset[32];
    const auto written = std::to_chars(offset, offset + sizeof offset, period.offsetHours);
    rows.push_back({formatDateTime(period.start, "yyyy-mm-dd hh:mm:ss"),
                    formatDateTime(period.end, "yyyy-mm-dd hh:mm:ss"),
                    std::string(offset, written.ptr)});
  }
  return rows;
}

}  // namespace csv2sql
