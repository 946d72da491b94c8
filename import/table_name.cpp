#include "import/table_name.h"

namespace csv2sql {

namespace {

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '#' || c == '$';
}

bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// The length of the part at the start of text, or 0 when it does not begin with one.
std::size_t partLength(std::string_view text) {
  if (text.empty()) return 0;
  const char open = text.front();
  if (open == '[' || open == '"') {
    const char close = open == '[' ? ']' : '"';
    const std::size_t closeAt = text.find(close, 1);
    if (closeAt == std::string_view::npos || closeAt == 1) return 0;
    for (const char c : text.substr(1, closeAt - 1)) {
      if (isControl(c)) return 0;
    }
    return closeAt + 1;
  }
  std::size_t length = 0;
  while (length < text.size() && isNameCharacter(text[length])) ++length;
  return length;
}

}  // namespace

bool isTableIdentifier(std::string_view name) {
  while (true) {
    const std::size_t length = partLength(name);
    if (length == 0) return false;
    name.remove_prefix(length);
    if (name.empty()) return true;
    if (name.front() != '.') return false;
    name.remove_prefix(1);
  }
}

}  // namespace csv2sql
