#pragma once

#include <string>
#include <string_view>

#include "core/utf8.h"

namespace csv2sql {

// The text as UTF-8: the text itself when it is UTF-8 already; otherwise its bytes read as
// Windows-1252, the code page that legacy plant software writes, converted into buffer (bytes
// that code page leaves undefined become the control characters of the same value).
std::string_view asUtf8(std::string_view text, std::string& buffer);

}  // namespace csv2sql
