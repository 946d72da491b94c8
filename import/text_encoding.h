#pragma once

#include <string>
#include <string_view>

namespace csv2sql {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF).
bool isValidUtf8(std::string_view text);

// The text as UTF-8: the text itself when it is UTF-8 already; otherwise its bytes read as
// Windows-1252, the code page that legacy plant software writes, converted into buffer (bytes
// that code page leaves undefined become the control characters of the same value).
std::string_view asUtf8(std::string_view text, std::string& buffer);

}  // namespace csv2sql
