#pragma once

#include <filesystem>
#include <string>

namespace csv2sql {

// The file:// address of a path, made absolute: "/" separators, every byte outside letters,
// digits, "-._~", "/" and ":" percent-encoded (UTF-8 bytes included), so blanks and other
// characters in a folder name survive the trip to the browser.
std::string fileUrl(const std::filesystem::path& path);

}  // namespace csv2sql
