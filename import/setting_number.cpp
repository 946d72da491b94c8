#include "import/setting_number.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

std::int32_t wholeNumberSetting(const NumberSetting& setting, std::string_view key,
                                std::string_view caption, std::int32_t least) {
  const std::optional<double> number = parseNumber(setting.text);
  // Written so that NaN and infinities fail the test too.
  if (number && *number == std::floor(*number) && *number >= least &&
      *number <= std::numeric_limits<std::int32_t>::max()) {
    return static_cast<std::int32_t>(*number);
  }
  throw Error(err::InvalidProcedureCall, "Invalid procedure call or argument: " + std::string(key) +
                                             " (" + std::string(caption) + ") is " + setting.text +
                                             ", it must be a whole number, " +
                                             std::to_string(least) + " or more");
}

}  // namespace csv2sql
