#include "core/datetime_text.h"

#include <array>
#include <utility>

#include "core/text.h"

namespace csv2sql {
namespace {

bool isWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}

// A month name's first three characters; bytes 0x80-0xBF continue a UTF-8 character.
std::string_view abbreviation(std::string_view name) {
  std::size_t end = 0;
  for (int characters = 0; end < name.size(); ++end) {
    const auto byte = static_cast<unsigned char>(name[end]);
    if ((byte < 0x80 || byte > 0xBF) && ++characters > 3) break;
  }
  return name.substr(0, end);
}

// A position in the text being recognised; copied to try an alternative.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ == text_.size(); }
  bool accept(char c) {
    if (atEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  std::size_t skipBlanks() {
    const auto start = pos_;
    while (accept(' ')) {
    }
    return pos_ - start;
  }
  // A run of minDigits to maxDigits digits that no further digit follows; its value and length.
  std::optional<std::pair<int, int>> digits(int minDigits, int maxDigits) {
    int value = 0, length = 0;
    for (; !atEnd() && isDigit(text_[pos_]); ++pos_, ++length) {
      if (length == maxDigits) return std::nullopt;
      value = value * 10 + (text_[pos_] - '0');
    }
    if (length < minDigits) return std::nullopt;
    return std::pair{value, length};
  }
  std::optional<int> number(int minDigits, int maxDigits) {
    const auto run = digits(minDigits, maxDigits);
    return run ? std::optional<int>(run->first) : std::nullopt;
  }
  // A run of letters (any byte from 0x80 on counts as one).
  std::string_view word() {
    const auto start = pos_;
    while (!atEnd() && isWordByte(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  bool acceptIgnoringCase(std::string_view expected) {
    if (expected.empty() || !equalsIgnoreCase(text_.substr(pos_, expected.size()), expected)) {
      return false;
    }
    pos_ += expected.size();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

struct Date {
  int year, month, day;
};
struct Time {
  int hour = 0, minute = 0, second = 0, microsecond = 0;
};

// Four digits, or two digits read as 2000-2029 (00-29) or 1930-1999 (30-99).
std::optional<int> readYear(Scanner& in) {
  const auto run = in.digits(2, 4);
  if (!run || run->second == 3) return std::nullopt;
  if (run->second == 4) return run->first;
  return run->first + (run->first < 30 ? 2000 : 1900);
}

// A month name of the locale, in full or as its first three letters when those name one month.
// Reads nothing when the word names no month.
std::optional<int> readMonthName(Scanner& in, const DateLocale& locale) {
  Scanner attempt = in;
  const auto word = attempt.word();
  std::optional<int> full, abbreviated;
  int abbreviationMatches = 0;
  for (int month = 1; month <= 12 && !word.empty(); ++month) {
    const std::string_view name = locale.monthNames[month - 1];
    if (equalsIgnoreCase(word, name)) full = month;
    if (equalsIgnoreCase(word, abbreviation(name))) {
      abbreviated = month;
      ++abbreviationMatches;
    }
  }
  const auto month = full ? full : abbreviationMatches == 1 ? abbreviated : std::nullopt;
  if (month) in = attempt;
  return month;
}

// yyyy-mm-dd, yyyy/mm/dd (one or two digits for month and day) and yyyy-Mon-dd.
std::optional<Date> readIsoDate(Scanner& in, const DateLocale& locale) {
  const auto year = in.number(4, 4);
  if (!year) return std::nullopt;
  const char separator = in.accept('-') ? '-' : in.accept('/') ? '/' : '\0';
  if (separator == '\0') return std::nullopt;
  auto month = in.number(1, 2);
  if (!month && separator == '-') month = readMonthName(in, locale);
  if (!month || !in.accept(separator)) return std::nullopt;
  const auto day = in.number(1, 2);
  if (!day) return std::nullopt;
  return Date{*year, *month, *day};
}

// Where year, month and day stand in the locale's numeric short date.
enum Part { kYear, kMonth, kDay };
std::array<Part, 3> partsInOrder(DateLocale::Order order) {
  switch (order) {
    case DateLocale::Order::MonthDayYear:
      return {kMonth, kDay, kYear};
    case DateLocale::Order::DayMonthYear:
      return {kDay, kMonth, kYear};
    case DateLocale::Order::YearMonthDay:
      break;
  }
  return {kYear, kMonth, kDay};
}

// The locale's numeric short date, in its order and with its separator only.
std::optional<Date> readLocaleDate(Scanner& in, const DateLocale& locale) {
  std::array<int, 3> values{};
  const auto parts = partsInOrder(locale.order);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 && !in.accept(locale.separator)) return std::nullopt;
    const auto value = parts[i] == kYear ? readYear(in) : in.number(1, 2);
    if (!value) return std::nullopt;
    values[parts[i]] = *value;
  }
  return Date{values[kYear], values[kMonth], values[kDay]};
}

// "March 7, 2024", "March 7 2024", "Mar 7,2024": name, day, a comma or blanks, year.
std::optional<Date> readNameFirstDate(Scanner& in, const DateLocale& locale) {
  const auto month = readMonthName(in, locale);
  if (!month || in.skipBlanks() == 0) return std::nullopt;
  const auto day = in.number(1, 2);
  if (!day) return std::nullopt;
  if (in.accept(',')) {
    in.skipBlanks();
  } else if (in.skipBlanks() == 0) {
    return std::nullopt;
  }
  const auto year = readYear(in);
  if (!year) return std::nullopt;
  return Date{*year, *month, *day};
}

// "7 March 2024", "7 Mar 2024" (blanks) and "7-Mar-2024" (dashes).
std::optional<Date> readDayFirstDate(Scanner& in, const DateLocale& locale) {
  const auto day = in.number(1, 2);
  if (!day) return std::nullopt;
  const bool dashed = in.accept('-');
  if (!dashed && in.skipBlanks() == 0) return std::nullopt;
  const auto month = readMonthName(in, locale);
  if (!month || (dashed ? !in.accept('-') : in.skipBlanks() == 0)) return std::nullopt;
  const auto year = readYear(in);
  if (!year) return std::nullopt;
  return Date{*year, *month, *day};
}

std::optional<Date> readDate(Scanner& in, const DateLocale& locale) {
  for (const auto reader : {readIsoDate, readLocaleDate, readNameFirstDate, readDayFirstDate}) {
    Scanner attempt = in;
    if (const auto date = reader(attempt, locale)) {
      in = attempt;
      return date;
    }
  }
  return std::nullopt;
}

// The designator after a time: true for the afternoon, false for the morning.
std::optional<bool> readDesignator(Scanner& in, const DateLocale& locale) {
  // The longer first, so that a designator that begins with the other is not cut short.
  const bool pmFirst = locale.pm.size() > locale.am.size();
  for (const bool afternoon : {pmFirst, !pmFirst}) {
    if (in.acceptIgnoringCase(afternoon ? locale.pm : locale.am)) return afternoon;
  }
  return std::nullopt;
}

// h:mm, h:mm:ss or h:mm:ss.f (1 to 9 digits, cut to the microsecond), then optionally a
// designator with or without a blank before it.
std::optional<Time> readTime(Scanner& in, const DateLocale& locale) {
  Time time;
  const auto hour = in.number(1, 2);
  if (!hour || !in.accept(':')) return std::nullopt;
  const auto minute = in.number(2, 2);
  if (!minute) return std::nullopt;
  time.hour = *hour;
  time.minute = *minute;
  if (in.accept(':')) {
    const auto second = in.number(2, 2);
    if (!second) return std::nullopt;
    time.second = *second;
    if (in.accept('.')) {
      auto fraction = in.digits(1, 9);
      if (!fraction) return std::nullopt;
      for (; fraction->second < 6; ++fraction->second) fraction->first *= 10;
      for (; fraction->second > 6; --fraction->second) fraction->first /= 10;
      time.microsecond = fraction->first;
    }
  }
  Scanner designator = in;
  designator.skipBlanks();
  if (const auto afternoon = readDesignator(designator, locale)) {
    if (time.hour < 1 || time.hour > 12) return std::nullopt;
    time.hour = time.hour % 12 + (*afternoon ? 12 : 0);
    in = designator;
  }
  return time;
}

void appendNumber(std::string& out, int value, int width) {
  std::array<char, 12> digits{};
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  for (int i = count; i < width; ++i) out += '0';
  while (count > 0) out += digits[--count];
}

const std::string& designator(DateTime value, const DateLocale& locale) {
  return value.hour() < 12 ? locale.am : locale.pm;
}

int twelveHour(DateTime value) {
  return value.hour() % 12 == 0 ? 12 : value.hour() % 12;
}

// Digits and literals in the shape's places ("d" for a digit); the numbers between the literals.
template <std::size_t N>
bool readShape(std::string_view text, std::string_view shape, std::array<int, N>& numbers) {
  if (text.size() != shape.size()) return false;
  std::size_t number = 0;
  numbers = {};
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[i];
    if (shape[i] != 'd') {
      if (c != shape[i]) return false;
      ++number;
    } else if (c >= '0' && c <= '9') {
      numbers[number] = numbers[number] * 10 + (c - '0');
    } else {
      return false;
    }
  }
  return true;
}

// The start of the day of a "yyyy-mm-dd" text, in microseconds; nothing for any other text.
std::optional<std::int64_t> readPlainDay(std::string_view text) {
  std::array<int, 3> date{};
  if (!readShape(text, "dddd-dd-dd", date) || !DateTime::valid(date[0], date[1], date[2])) {
    return std::nullopt;
  }
  return DateTime::fromParts(date[0], date[1], date[2]).microseconds();
}

// The microseconds since midnight of "hh:mm:ss" with an optional fraction of 1 to 9 digits (cut
// to the microsecond); nothing for any other text.
std::optional<std::int64_t> readPlainTime(std::string_view text) {
  constexpr std::string_view kShape = "dd:dd:dd";
  std::array<int, 3> clock{};
  if (text.size() < kShape.size() || !readShape(text.substr(0, kShape.size()), kShape, clock)) {
    return std::nullopt;
  }
  int microsecond = 0;
  if (text.size() > kShape.size()) {
    const std::string_view fraction = text.substr(kShape.size() + 1);
    if (text[kShape.size()] != '.' || fraction.empty() || fraction.size() > 9) return std::nullopt;
    int scale = 100000;
    for (const char c : fraction) {
      if (c < '0' || c > '9') return std::nullopt;
      microsecond += (c - '0') * scale;  // digits past the sixth are cut
      scale /= 10;
    }
  }
  // The fraction cannot pass a second: only the clock is checked.
  if (clock[0] > 23 || clock[1] > 59 || clock[2] > 59) return std::nullopt;
  return ((std::int64_t{clock[0]} * 60 + clock[1]) * 60 + clock[2]) * 1'000'000 + microsecond;
}

// The form that CSV files hold by far most often, "yyyy-mm-dd hh:mm:ss" with an optional
// fraction, read without the general scanner: its day (10 characters), a blank and its time.
constexpr std::size_t kPlainDayLength = 10;

std::optional<DateTime> readPlainIso(std::string_view text) {
  if (text.size() <= kPlainDayLength || text[kPlainDayLength] != ' ') return std::nullopt;
  const auto day = readPlainDay(text.substr(0, kPlainDayLength));
  const auto time = day ? readPlainTime(text.substr(kPlainDayLength + 1)) : std::nullopt;
  if (!time) return std::nullopt;
  return DateTime::fromMicroseconds(*day + *time);
}

}  // namespace

std::optional<DateTime> parseDateTime(std::string_view text, const DateLocale& locale) {
  if (const auto plain = readPlainIso(trimSpaces(text))) return plain;
  Scanner in(trimSpaces(text));
  Date date{1899, 12, 30};  // the zero date, for a time without a date
  Time time;
  if (const auto readDay = readDate(in, locale)) {
    date = *readDay;
    if (!in.atEnd()) {
      // A time after the date, one or more blanks away.
      const auto readClock = in.skipBlanks() > 0 ? readTime(in, locale) : std::nullopt;
      if (!readClock) return std::nullopt;
      time = *readClock;
    }
  } else if (const auto readClock = readTime(in, locale)) {
    time = *readClock;
  } else {
    return std::nullopt;
  }
  if (!in.atEnd() || !DateTime::valid(date.year, date.month, date.day, time.hour, time.minute,
                                      time.second, time.microsecond)) {
    return std::nullopt;
  }
  return DateTime::fromParts(date.year, date.month, date.day, time.hour, time.minute, time.second,
                             time.microsecond);
}

std::optional<DateTime> DateTimeReader::read(std::string_view text) {
  const std::string_view trimmed = trimSpaces(text);
  if (trimmed.size() > kPlainDayLength && trimmed[kPlainDayLength] == ' ') {
    const std::string_view day = trimmed.substr(0, kPlainDayLength);
    bool known = dayStart_ >= 0 && day == std::string_view(day_.data(), day_.size());
    if (!known) {
      if (const auto start = readPlainDay(day)) {
        day.copy(day_.data(), day_.size());
        dayStart_ = *start;
        known = true;
      }
    }
    if (known) {
      if (const auto time = readPlainTime(trimmed.substr(kPlainDayLength + 1))) {
        return DateTime::fromMicroseconds(dayStart_ + *time);
      }
    }
  }
  return parseDateTime(trimmed, locale_);
}

std::string formatDateTime(DateTime value, std::string_view pattern, const DateLocale& locale) {
  const bool twelveHourClock = pattern.find("AMPM") != std::string_view::npos;
  std::string out;
  out.reserve(pattern.size() + 8);
  bool afterHour = false;  // the last field was the hour, so "mm" is the minute
  while (!pattern.empty()) {
    const auto take = [&](std::string_view token) {
      if (!pattern.starts_with(token)) return false;
      pattern.remove_prefix(token.size());
      return true;
    };
    const bool wasAfterHour = std::exchange(afterHour, false);
    if (take("AMPM")) {
      out += designator(value, locale);
    } else if (take("yyyy")) {
      appendNumber(out, value.year(), 4);
    } else if (take("yy")) {
      appendNumber(out, value.year() % 100, 2);
    } else if (take("mm")) {
      appendNumber(out, wasAfterHour ? value.minute() : value.month(), 2);
    } else if (take("dd")) {
      appendNumber(out, value.day(), 2);
    } else if (take("hh")) {
      appendNumber(out, twelveHourClock ? twelveHour(value) : value.hour(), 2);
      afterHour = true;
    } else if (take("nn")) {
      appendNumber(out, value.minute(), 2);
    } else if (take("ss")) {
      appendNumber(out, value.second(), 2);
    } else {
      out += pattern.front();  // a literal keeps "hh" and a following "mm" together
      pattern.remove_prefix(1);
      afterHour = wasAfterHour;
    }
  }
  return out;
}

std::string formatGeneralDate(DateTime value, const DateLocale& locale) {
  const int dayMonthWidth = locale.twoDigitDayMonth ? 2 : 1;
  const std::array<int, 3> values = {value.year(), value.month(), value.day()};
  std::string out;
  for (const Part part : partsInOrder(locale.order)) {
    if (!out.empty()) out += locale.separator;
    appendNumber(out, values[part], part == kYear ? 4 : dayMonthWidth);
  }
  if (value == value.date()) return out;

  out += ' ';
  appendNumber(out, locale.twelveHourClock ? twelveHour(value) : value.hour(),
               locale.twelveHourClock ? 1 : 2);
  out += ':';
  appendNumber(out, value.minute(), 2);
  out += ':';
  appendNumber(out, value.second(), 2);
  if (locale.twelveHourClock) (out += ' ') += designator(value, locale);
  return out;
}

}  // namespace csv2sql
