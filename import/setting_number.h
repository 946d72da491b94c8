#pragma once

#include <cstdint>
#include <string_view>

#include "settings/settings.h"

namespace csv2sql {

// A count (of minutes, days, seconds) read from a setting where it is used: a whole number from
// least up. Any other text (none, a fraction, a word, one out of range) is error 5 naming the key
// and the window's caption, so an operator knows which setting to mend.
std::int32_t wholeNumberSetting(const NumberSetting& setting, std::string_view key,
                                std::string_view caption, std::int32_t least);

}  // namespace csv2sql
