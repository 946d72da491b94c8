// The date-time recognition and the numeric test on any text. A recognised date-time must
// lie in the calendar and the numeric test must agree with its conversion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/datetime_text.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto stamp = parseDateTime(text)) {
    const int day = stamp->day();
    const int month = stamp->month();
    if (day < 1 || day > 31 || month < 1 || month > 12) std::abort();
  }
  if (parseNumber(text).has_value() != isNumeric(text)) std::abort();
  return 0;
}
