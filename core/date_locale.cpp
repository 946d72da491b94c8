#include "core/date_locale.h"

#include <ctime>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "core/datetime.h"

namespace csv2sql {
namespace {

// Renders one moment with a strftime-style format through the locale's time facet.
std::string put(const std::locale& locale, const DateTime& when, std::string_view format) {
  std::tm parts{};
  parts.tm_year = when.year() - 1900;
  parts.tm_mon = when.month() - 1;
  parts.tm_mday = when.day();
  parts.tm_hour = when.hour();
  parts.tm_min = when.minute();
  parts.tm_sec = when.second();
  constexpr std::int64_t kMicrosPerDay = 86'400'000'000;
  const std::int64_t day = when.microseconds() / kMicrosPerDay;
  parts.tm_wday = static_cast<int>((day + 1) % 7);  // 0001-01-01 was a Monday
  parts.tm_yday =
      static_cast<int>(day - DateTime::fromParts(when.year(), 1, 1).microseconds() / kMicrosPerDay);
  std::ostringstream out;
  out.imbue(locale);
  std::use_facet<std::time_put<char>>(locale).put(std::ostreambuf_iterator<char>(out), out, ' ',
                                                  &parts, format.data(),
                                                  format.data() + format.size());
  return out.str();
}

struct DigitRun {
  std::size_t start, length;
  int value;
};

std::vector<DigitRun> digitRuns(std::string_view text) {
  std::vector<DigitRun> runs;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    DigitRun run{i, 0, 0};
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && run.length < 9; ++i) {
      run.value = run.value * 10 + (text[i] - '0');
      ++run.length;
    }
    runs.push_back(run);
  }
  return runs;
}

bool isAsciiPunctuation(char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
         (c >= '{' && c <= '~');
}

struct ShortDate {
  DateLocale::Order order;
  char separator;
  bool twoDigitDayMonth;
};

// Reads the short date forms of 23 November 2024 and of 7 March 2024: exactly three numbers,
// one punctuation character between them, nothing around them.
std::optional<ShortDate> readShortDate(std::string_view november23, std::string_view march7) {
  const auto runs = digitRuns(november23);
  const auto early = digitRuns(march7);
  if (runs.size() != 3 || early.size() != 3) return std::nullopt;
  if (runs[0].start != 0 || runs[2].start + runs[2].length != november23.size()) {
    return std::nullopt;
  }
  const char separator = november23[runs[0].start + runs[0].length];
  for (std::size_t i = 0; i < 2; ++i) {
    if (runs[i + 1].start != runs[i].start + runs[i].length + 1 ||
        november23[runs[i + 1].start - 1] != separator) {
      return std::nullopt;
    }
  }
  if (!isAsciiPunctuation(separator)) return std::nullopt;

  const auto isYear = [](const DigitRun& run) { return run.value == 2024 || run.value == 24; };
  using Order = DateLocale::Order;
  std::optional<Order> order;
  std::size_t dayAt = 0;
  if (runs[0].value == 11 && runs[1].value == 23 && isYear(runs[2])) {
    order = Order::MonthDayYear, dayAt = 1;
  } else if (runs[0].value == 23 && runs[1].value == 11 && isYear(runs[2])) {
    order = Order::DayMonthYear, dayAt = 0;
  } else if (isYear(runs[0]) && runs[1].value == 11 && runs[2].value == 23) {
    order = Order::YearMonthDay, dayAt = 2;
  }
  if (!order) return std::nullopt;
  return ShortDate{*order, separator, early[dayAt].length == 2};
}

// The part of a locale name that governs dates: glibc names a mixed locale
// "LC_CTYPE=...;LC_TIME=...;...".
std::string_view timeCategoryName(std::string_view name) {
  constexpr std::string_view kKey = "LC_TIME=";
  const auto at = name.find(kKey);
  if (at == std::string_view::npos) return name;
  const auto rest = name.substr(at + kKey.size());
  return rest.substr(0, rest.find(';'));
}

bool saysNothing(std::string_view name) {
  return name == "C" || name == "POSIX" || name.starts_with("C.");
}

}  // namespace

DateLocale DateLocale::unitedStates() {
  return DateLocale{};
}

DateLocale DateLocale::fromLocale(const std::locale& locale) {
  if (saysNothing(timeCategoryName(locale.name()))) return unitedStates();

  DateLocale result;
  if (const auto shortDate = readShortDate(put(locale, DateTime::fromParts(2024, 11, 23), "%x"),
                                           put(locale, DateTime::fromParts(2024, 3, 7), "%x"))) {
    result.order = shortDate->order;
    result.separator = shortDate->separator;
    result.twoDigitDayMonth = shortDate->twoDigitDayMonth;
  } else {
    // A short date with names or several separators: write the unambiguous ISO order instead.
    result.order = Order::YearMonthDay;
    result.separator = '-';
    result.twoDigitDayMonth = true;
  }

  const auto afternoon = DateTime::fromParts(2024, 11, 23, 15, 4, 5);
  const auto clock = digitRuns(put(locale, afternoon, "%X"));
  result.twelveHourClock = !clock.empty() && clock.front().value == 3;

  // A clock without designators would make a 12-hour "hh" ambiguous: keep AM and PM then.
  const auto am = put(locale, DateTime::fromParts(2024, 11, 23, 9), "%p");
  const auto pm = put(locale, afternoon, "%p");
  if (!am.empty() && !pm.empty() && am != pm) {
    result.am = am;
    result.pm = pm;
  }

  for (int month = 1; month <= 12; ++month) {
    auto name = put(locale, DateTime::fromParts(2024, month, 1), "%B");
    if (!name.empty()) result.monthNames[month - 1] = std::move(name);
  }
  return result;
}

const DateLocale& DateLocale::system() {
  static const DateLocale locale = [] {
    try {
      return fromLocale(std::locale(""));
    } catch (const std::exception&) {
      return unitedStates();  // the environment names a locale this machine does not have
    }
  }();
  return locale;
}

}  // namespace csv2sql
