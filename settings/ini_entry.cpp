#include "settings/ini_entry.h"

#include <algorithm>

#include "core/text.h"

namespace csv2sql {

namespace {

// True when the value, written bare, would not come back whole: a comma or a line end would
// end the item early, and blanks at its end would be dropped. Blanks at its start survive bare,
// but are quoted as well so that blanks around a value are kept in one way.
bool needsQuotes(std::string_view value) {
  return value.find_first_of(",\r\n") != std::string_view::npos || value.starts_with(' ') ||
         value.ends_with(' ');
}

}  // namespace

std::optional<IniEntry> splitEntry(std::string_view item) {
  const auto equals = item.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return IniEntry{trimSpaces(item.substr(0, equals)), item.substr(equals + 1)};
}

bool keyMatches(std::string_view key, std::string_view name) {
  return std::ranges::equal(key, name, [](char a, char b) { return asciiUpper(a) == b; });
}

std::string entryLine(std::string_view key, std::string_view value) {
  // A double quote would end a quoted item early, so a value holding one is written bare.
  const bool quoted = needsQuotes(value) && value.find('"') == std::string_view::npos;
  std::string line;
  line.reserve(key.size() + value.size() + 3);
  if (quoted) line += '"';
  line.append(key).append("=").append(value);
  if (quoted) line += '"';
  return line;
}

}  // namespace csv2sql
