#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace csv2sql {

// Decodes the code point at text[i] and moves i past it; nothing for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included), leaving i where it was.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& i);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// Appends one code point (at most U+10FFFF) as UTF-8.
void appendUtf8(std::string& out, char32_t code);

}  // namespace csv2sql
