#include "core/date_format.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/text.h"

namespace csv2sql {

namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The moment `micros` after `base`; nothing outside the years 1 to 9999.
std::optional<DateTime> after(DateTime base, double micros) {
  const DateTime last = DateTime::fromParts(9999, 12, 31, 23, 59, 59, 999999);
  const double at = static_cast<double>(base.microseconds()) + micros;
  if (!(at >= 0 && at <= static_cast<double>(last.microseconds()))) return std::nullopt;
  return DateTime::fromMicroseconds(std::llround(at));
}

// A run of exactly `count` digits, or of one to `count` when `upTo`; its value.
std::optional<int> digits(std::string_view& text, int count, bool upTo) {
  int value = 0;
  int length = 0;
  while (length < count && length < static_cast<int>(text.size()) && isDigit(text[length])) {
    value = value * 10 + (text[length] - '0');
    ++length;
  }
  if (length == 0 || (!upTo && length < count)) return std::nullopt;
  text.remove_prefix(length);
  return value;
}

bool accept(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// Microseconds of a fraction's digits: past the sixth they are cut.
int fractionMicros(std::string_view& text, int most) {
  int micros = 0;
  int scale = 100000;
  int length = 0;
  for (; length < most && length < static_cast<int>(text.size()) && isDigit(text[length]);
       ++length) {
    micros += (text[length] - '0') * scale;
    scale /= 10;
  }
  text.remove_prefix(length);
  return micros;
}

// "yyyy-mm-dd", then "T" or a blank and "hh:mm", ":ss", "." or "," and a fraction, then "Z",
// "+hh:mm", "+hhmm" or "+hh" (or "-"): the UTC instant when a zone is given.
std::optional<DateTime> parseIso(std::string_view text) {
  const auto year = digits(text, 4, false);
  const auto month = year && accept(text, '-') ? digits(text, 2, false) : std::nullopt;
  const auto day = month && accept(text, '-') ? digits(text, 2, false) : std::nullopt;
  if (!day) return std::nullopt;
  int hour = 0, minute = 0, second = 0, micros = 0;
  if (!text.empty() && (text.front() == 'T' || text.front() == ' ')) {
    text.remove_prefix(1);
    const auto h = digits(text, 2, false);
    const auto n = h && accept(text, ':') ? digits(text, 2, false) : std::nullopt;
    if (!n) return std::nullopt;
    hour = *h, minute = *n;
    if (accept(text, ':')) {
      const auto s = digits(text, 2, false);
      if (!s) return std::nullopt;
      second = *s;
      if (accept(text, '.') || accept(text, ',')) {
        const std::size_t before = text.size();
        micros = fractionMicros(text, 9);
        if (text.size() == before) return std::nullopt;
      }
    }
  }
  if (!DateTime::valid(*year, *month, *day, hour, minute, second, micros)) return std::nullopt;
  const DateTime local = DateTime::fromParts(*year, *month, *day, hour, minute, second, micros);
  if (text.empty()) return local;
  if (text == "Z") return local;
  const int sign = text.front() == '+' ? 1 : text.front() == '-' ? -1 : 0;
  if (sign == 0) return std::nullopt;
  text.remove_prefix(1);
  const auto offsetHours = digits(text, 2, false);
  if (!offsetHours) return std::nullopt;
  int offsetMinutes = 0;
  if (!text.empty()) {
    accept(text, ':');
    const auto m = digits(text, 2, false);
    if (!m) return std::nullopt;
    offsetMinutes = *m;
  }
  if (!text.empty() || *offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
  const double offset = (*offsetHours * 60.0 + offsetMinutes) * 60.0 * kMicrosPerSecond;
  return after(local, -sign * offset);
}

}  // namespace

std::optional<double> parseNumberWithMark(std::string_view text, char decimalMark) {
  if (decimalMark == '.') return parseNumber(text);
  // Every number the files hold is short; a longer text is no number of a reading.
  std::array<char, 64> room;
  if (text.size() > room.size() || text.find('.') != std::string_view::npos) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    room[i] = text[i] == decimalMark ? '.' : text[i];
  }
  return parseNumber(std::string_view(room.data(), text.size()));
}

std::optional<DateFormat> DateFormat::read(std::string_view text) {
  if (text == "ISO") return DateFormat(Kind::Iso);
  if (text == "UNIX") return DateFormat(Kind::Unix);
  if (text == "UNIXMS") return DateFormat(Kind::UnixMs);
  if (text == "EXCEL") return DateFormat(Kind::Excel);
  DateFormat format(Kind::Pattern);
  std::array<int, static_cast<int>(Field::Literal)> seen{};
  bool afterHour = false;  // the last field was the hour, so "mm" is the minute
  while (!text.empty()) {
    const auto take = [&](std::string_view token) {
      if (!text.starts_with(token)) return false;
      text.remove_prefix(token.size());
      return true;
    };
    Step step{Field::Literal};
    const bool wasAfterHour = std::exchange(afterHour, false);
    if (take("AMPM")) {
      step.field = Field::AmPm;
    } else if (take("yyyy")) {
      step.field = Field::Year4;
    } else if (take("yy")) {
      step.field = Field::Year2;
    } else if (take("mm")) {
      step.field = wasAfterHour ? Field::Minute : Field::Month;
    } else if (take("dd")) {
      step.field = Field::Day;
    } else if (take("hh")) {
      step.field = Field::Hour;
      afterHour = true;
    } else if (take("nn")) {
      step.field = Field::Minute;
    } else if (take("ss")) {
      step.field = Field::Second;
    } else if (text.front() == 'f') {
      step.field = Field::Fraction;
      while (step.digits < 9 && take("f")) ++step.digits;
      if (text.starts_with('f')) return std::nullopt;
    } else if (isLetter(text.front())) {
      return std::nullopt;
    } else {
      step.literal = text.front();
      text.remove_prefix(1);
      afterHour = wasAfterHour;
    }
    if (step.field != Field::Literal && ++seen[static_cast<int>(step.field)] > 1) {
      return std::nullopt;
    }
    format.steps_.push_back(step);
  }
  const auto has = [&](Field field) { return seen[static_cast<int>(field)] > 0; };
  const bool year = has(Field::Year4) != has(Field::Year2);
  if (!year || !has(Field::Month) || !has(Field::Day)) return std::nullopt;
  format.twelveHourClock_ = has(Field::AmPm);
  if (format.twelveHourClock_ && !has(Field::Hour)) return std::nullopt;
  return format;
}

std::optional<DateTime> DateFormat::parse(std::string_view text, char decimalMark,
                                          const DateLocale& locale) const {
  text = trimSpaces(text);
  if (kind_ == Kind::Pattern) return parsePattern(text, locale);
  if (kind_ == Kind::Iso) return parseIso(text);
  const std::optional<double> number = parseNumberWithMark(text, decimalMark);
  if (!number || !std::isfinite(*number)) return std::nullopt;
  switch (kind_) {
    case Kind::Unix:
      return after(DateTime::fromParts(1970, 1, 1), *number * kMicrosPerSecond);
    case Kind::UnixMs:
      return after(DateTime::fromParts(1970, 1, 1), *number * 1000);
    default:
      break;
  }
  // To the millisecond, as Excel keeps its times.
  const double millis = std::round(*number * 86'400'000);
  return after(DateTime::fromParts(1899, 12, 30), millis * 1000);
}

std::optional<DateTime> DateFormat::parsePattern(std::string_view text,
                                                 const DateLocale& locale) const {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, micros = 0;
  std::optional<bool> afternoon;
  for (const Step& step : steps_) {
    std::optional<int> value;
    switch (step.field) {
      case Field::Literal:
        if (!accept(text, step.literal)) return std::nullopt;
        continue;
      case Field::AmPm: {
        const auto designator = [&](std::string_view name, std::string_view plain) {
          for (const std::string_view word : {name, plain}) {
            if (!word.empty() && equalsIgnoreCase(text.substr(0, word.size()), word)) {
              text.remove_prefix(word.size());
              return true;
            }
          }
          return false;
        };
        if (designator(locale.am, "AM")) {
          afternoon = false;
        } else if (designator(locale.pm, "PM")) {
          afternoon = true;
        } else {
          return std::nullopt;
        }
        continue;
      }
      case Field::Fraction: {
        const std::size_t before = text.size();
        micros = fractionMicros(text, step.digits);
        if (before - text.size() != static_cast<std::size_t>(step.digits)) return std::nullopt;
        continue;
      }
      case Field::Year4:
        value = digits(text, 4, false);
        year = value.value_or(0);
        break;
      case Field::Year2:
        value = digits(text, 2, false);
        year = value ? *value + (*value < 30 ? 2000 : 1900) : 0;
        break;
      default:
        value = digits(text, 2, true);
        const int got = value.value_or(0);
        (step.field == Field::Month    ? month
         : step.field == Field::Day    ? day
         : step.field == Field::Hour   ? hour
         : step.field == Field::Minute ? minute
                                       : second) = got;
        break;
    }
    if (!value) return std::nullopt;
  }
  if (!text.empty()) return std::nullopt;
  if (twelveHourClock_) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (*afternoon ? 12 : 0);
  }
  if (!DateTime::valid(year, month, day, hour, minute, second, micros)) return std::nullopt;
  return DateTime::fromParts(year, month, day, hour, minute, second, micros);
}

}  // namespace csv2sql
