// The DATEFORMAT reader on any text: the first line is the setting, the rest a stamp. A pattern
// it takes reads any stamp without fault, and what it reads lies in the calendar.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/date_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t line = std::min(input.find('\n'), input.size());
  const auto format = DateFormat::read(input.substr(0, line));
  if (!format) return 0;
  const std::string_view stamp = input.substr(std::min(line + 1, input.size()));
  for (const char mark : {'.', ','}) {
    if (const auto when = format->parse(stamp, mark, DateLocale::unitedStates())) {
      if (!DateTime::valid(when->year(), when->month(), when->day(), when->hour(), when->minute(),
                           when->second(), when->microsecond())) {
        std::abort();
      }
    }
  }
  return 0;
}
