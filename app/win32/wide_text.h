#pragma once

#include <string>
#include <string_view>

namespace csv2sql {

// The program keeps its text as UTF-8; Windows' wide calls take UTF-16.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

}  // namespace csv2sql
