#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace csv2sql {

// One KEY=VALUE entry of config.ini, viewing the item it was split from.
struct IniEntry {
  std::string_view key;     // the text before the first "=", trimmed (letter case as written)
  std::string_view value;   // everything after the first "=", unchanged
  bool cutAtComma = false;  // the item reader ended the item at a comma
};

// Splits an item at its first "="; nothing for an item without one.
std::optional<IniEntry> splitEntry(std::string_view item);

// Keys match whatever their letter case: true when key, in upper case, is name. Only ASCII
// letters change case; no key holds any other letter.
bool keyMatches(std::string_view key, std::string_view name);

// The line for an entry, without its line end: KEY=VALUE as it stands, or the whole entry in
// double quotes when the item reader would otherwise cut or shorten the value.
std::string entryLine(std::string_view key, std::string_view value);

}  // namespace csv2sql
