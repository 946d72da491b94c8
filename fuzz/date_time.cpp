// The date-time recognition and the numeric test on any text. A recognised date-time lies in
// the calendar, the numeric test agrees with its conversion, and a plain decimal (an optional
// minus, at most 15 digits, an optional point), which takes a short path, gives the same double
// as a full conversion.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/datetime_text.h"
#include "core/text.h"

namespace {

bool isPlainDecimal(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const auto point = text.find('.');
  const std::size_t digits = text.size() - (point == std::string_view::npos ? 0 : 1);
  return digits >= 1 && digits <= 15 && text.find_first_not_of("0123456789.") == text.npos &&
         text.find('.', point + 1) == text.npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto stamp = parseDateTime(text)) {
    if (stamp->day() < 1 || stamp->day() > 31 || stamp->month() < 1 || stamp->month() > 12) {
      std::abort();
    }
  }
  const auto number = parseNumber(text);
  if (number.has_value() != isNumeric(text)) std::abort();
  if (isPlainDecimal(text)) {
    const bool negative = text.starts_with('-');
    double expected = 0;
    std::from_chars(text.data() + (negative ? 1 : 0), text.data() + text.size(), expected);
    if (!number || *number != (negative ? -expected : expected)) std::abort();
  }
  return 0;
}
