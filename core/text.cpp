#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/error.h"

namespace csv2sql {
namespace {

// Hands out a text's characters one at a time. The leading-number reading ignores blanks, tabs
// and line feeds wherever they stand, so it asks the source to step over them.
class Source {
 public:
  Source(std::string_view text, bool skipBlanks) : text_(text), skipBlanks_(skipBlanks) { skip(); }
  bool atEnd() const { return pos_ == text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void next() {
    ++pos_;
    skip();
  }

 private:
  void skip() {
    while (skipBlanks_ && !atEnd() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }
  std::string_view text_;
  bool skipBlanks_;
  std::size_t pos_ = 0;
};

// A decimal number as significant digits times a power of ten. Keeping at most as many digits
// as correct rounding of a double can need, plus one "sticky" digit for anything dropped, lets
// numbers of any length be read in a fixed buffer.
class Decimal {
 public:
  void setNegative(bool negative) { negative_ = negative; }

  void addIntegerDigit(char c) {
    if (count_ == 0 && c == '0') return;  // leading zero
    if (count_ < kMaxDigits) {
      digits_[count_++] = c;
    } else {
      ++exponent_;
      sticky_ = sticky_ || c != '0';
    }
  }

  void addFractionDigit(char c) {
    if (count_ == 0 && c == '0') {
      --exponent_;
    } else if (count_ < kMaxDigits) {
      digits_[count_++] = c;
      --exponent_;
    } else {
      sticky_ = sticky_ || c != '0';
    }
  }

  void addExponent(std::int64_t exponent) { exponent_ += exponent; }

  double value() const {
    const double sign = negative_ ? -1.0 : 1.0;
    if (count_ == 0) return sign * 0.0;
    // Beyond these bounds the value is certainly infinite or zero; clamping keeps the text short.
    constexpr std::int64_t kExponentLimit = 100000;
    if (exponent_ > kExponentLimit) return sign * std::numeric_limits<double>::infinity();
    if (exponent_ < -kExponentLimit) return sign * 0.0;

    char text[kMaxDigits + 16];
    char* end = text;
    for (std::size_t i = 0; i < count_; ++i) *end++ = digits_[i];
    if (sticky_) *end++ = '1';
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, exponent_ - (sticky_ ? 1 : 0)).ptr;

    double result = 0.0;
    if (std::from_chars(text, end, result).ec == std::errc::result_out_of_range) {
      // Out of range: the magnitude (digits before the point) tells overflow from underflow.
      const bool overflow = static_cast<std::int64_t>(count_) + exponent_ > 0;
      result = overflow ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return sign * result;
  }

 private:
  static constexpr std::size_t kMaxDigits = 768;
  bool negative_ = false;
  char digits_[kMaxDigits];
  std::size_t count_ = 0;
  bool sticky_ = false;
  std::int64_t exponent_ = 0;
};

// Reads the longest number at the source's position: optional sign, digits with an optional "."
// and fraction (at least one digit in all), optional exponent (taken only when a digit follows
// the "e" and its sign). Leaves the source after the number; nothing when there is no digit.
std::optional<double> readNumber(Source& in) {
  Decimal number;
  if (in.peek() == '+' || in.peek() == '-') {
    number.setNegative(in.peek() == '-');
    in.next();
  }
  bool anyDigit = false;
  for (; isDigit(in.peek()); in.next(), anyDigit = true) number.addIntegerDigit(in.peek());
  if (in.peek() == '.') {
    in.next();
    for (; isDigit(in.peek()); in.next(), anyDigit = true) number.addFractionDigit(in.peek());
  }
  if (!anyDigit) return std::nullopt;

  if (in.peek() == 'e' || in.peek() == 'E') {
    Source exponentStart = in;
    in.next();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
      negative = in.peek() == '-';
      in.next();
    }
    if (!isDigit(in.peek())) {
      in = exponentStart;
    } else {
      // Clamped: any exponent this large already gives infinity or zero.
      constexpr std::int64_t kClamp = 1'000'000'000;
      std::int64_t exponent = 0;
      for (; isDigit(in.peek()); in.next()) {
        exponent = std::min(kClamp, exponent * 10 + (in.peek() - '0'));
      }
      number.addExponent(negative ? -exponent : exponent);
    }
  }
  return number.value();
}

double roundHalfToEven(double value) {
  const double lower = std::floor(value);
  const double above = value - lower;
  if (above < 0.5) return lower;
  if (above > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <typename Int>
Int roundToWhole(double value) {
  const double rounded = roundHalfToEven(value);
  // Written so that NaN and infinities fail the test too.
  if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max())) {
    throw Error(err::Overflow);
  }
  return static_cast<Int>(rounded);
}

// A plain decimal of up to 15 digits without exponent, the usual reading, is exact as one
// division of two exactly representable numbers (Clinger's fast path). Gives nothing for any
// other text, which the general reader then decides.
std::optional<double> readPlainDecimal(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  constexpr std::size_t kMostDigits = 15;
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  // Too many digits wrap the mantissa, but then the text is left to the general reader.
  std::uint64_t mantissa = 0;
  const auto readDigits = [&] {
    const char* const first = p;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    return static_cast<std::size_t>(p - first);
  };
  const std::size_t wholeDigits = readDigits();
  std::size_t fractionDigits = 0;
  if (p != end && *p == '.') {
    ++p;
    fractionDigits = readDigits();
  }
  const std::size_t digits = wholeDigits + fractionDigits;
  if (p != end || digits == 0 || digits > kMostDigits) return std::nullopt;
  const double value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
  return negative ? -value : value;
}

}  // namespace

namespace {
std::string_view trimmed(std::string_view text, std::string_view around) {
  const auto first = text.find_first_not_of(around);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(around) - first + 1);
}
}  // namespace

std::string_view trimSpaces(std::string_view text) {
  // Called for every field of every row: a loop, not a search of a set of characters.
  std::size_t first = 0;
  std::size_t end = text.size();
  while (first < end && text[first] == ' ') ++first;
  while (end > first && text[end - 1] == ' ') --end;
  return text.substr(first, end - first);
}

std::string_view trimBlanks(std::string_view text) {
  return trimmed(text, " \t");
}

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLowerCase(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), asciiLower);
  return lower;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool endsWithIgnoreCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         equalsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

std::string echoedCell(std::string_view text) {
  return echoedCell(text, text.size());
}

std::string echoedCell(std::string_view text, std::uint64_t bytesInAll) {
  if (bytesInAll <= kEchoedCellBytes) return std::string(text);
  std::size_t cut = std::min(kEchoedCellBytes, text.size());
  while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return std::string(text.substr(0, cut)) + "...(cut, " + std::to_string(bytesInAll) +
         " bytes in all)";
}

std::string enclosed(std::string_view text, char open, char close) {
  std::string out(1, open);
  out.reserve(text.size() + 2);
  for (const char c : text) {
    out += c;
    if (c == close) out += close;
  }
  out += close;
  return out;
}

std::optional<double> parseNumber(std::string_view text) {
  if (const auto plain = readPlainDecimal(trimSpaces(text))) return plain;
  Source in(trimSpaces(text), false);
  const auto number = readNumber(in);
  if (!number || !in.atEnd()) return std::nullopt;
  return number;
}

bool isNumeric(std::string_view text) {
  return parseNumber(text).has_value();
}

double toDouble(std::string_view text) {
  const auto number = parseNumber(text);
  if (!number) throw Error(err::TypeMismatch);
  return *number;
}

std::int16_t toInt16(std::string_view text) {
  return roundToInt16(toDouble(text));
}
std::int32_t toInt32(std::string_view text) {
  return roundToInt32(toDouble(text));
}
std::int16_t roundToInt16(double value) {
  return roundToWhole<std::int16_t>(value);
}
std::int32_t roundToInt32(double value) {
  return roundToWhole<std::int32_t>(value);
}

double leadingNumber(std::string_view text) {
  Source in(text, true);
  return readNumber(in).value_or(0.0);
}

}  // namespace csv2sql
