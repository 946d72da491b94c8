#include "dbaccess/table_name.h"

#include <optional>
#include <utility>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql::db {

namespace {

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '#' || c == '$';
}

bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

struct ReadPart {
  std::size_t length = 0;  // of the text the part takes, marks included
  std::string name;
  bool bare = true;
};

// The part at the start of text, or nothing when it does not begin with one.
std::optional<ReadPart> readPart(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const char open = text.front();
  if (open == '[' || open == '"') {
    const char close = open == '[' ? ']' : '"';
    const std::size_t closeAt = text.find(close, 1);
    if (closeAt == std::string_view::npos || closeAt == 1) return std::nullopt;
    const std::string_view inside = text.substr(1, closeAt - 1);
    for (const char c : inside) {
      if (isControl(c)) return std::nullopt;
    }
    return ReadPart{closeAt + 1, std::string(inside), false};
  }
  std::size_t length = 0;
  while (length < text.size() && isNameCharacter(text[length])) ++length;
  if (length == 0) return std::nullopt;
  return ReadPart{length, std::string(text.substr(0, length)), true};
}

std::string folded(const std::string& name, BareNameCase bare) {
  std::string out = name;
  if (bare == BareNameCase::Lower) {
    for (char& c : out) c = asciiLower(c);
  } else if (bare == BareNameCase::Upper) {
    for (char& c : out) c = asciiUpper(c);
  }
  return out;
}

}  // namespace

TableName::TableName(std::string text, std::vector<Part> parts)
    : text_(std::move(text)), parts_(std::move(parts)) {}

TableName TableName::check(std::string_view typed) {
  const std::string text(trimSpaces(typed));
  std::vector<Part> parts;
  std::string_view rest = text;
  while (true) {
    const std::optional<ReadPart> part = readPart(rest);
    if (!part) break;
    parts.push_back({part->name, part->bare});
    rest.remove_prefix(part->length);
    if (rest.empty()) return TableName(text, std::move(parts));
    if (rest.front() != '.') break;
    rest.remove_prefix(1);
  }
  throw Error(err::InvalidProcedureCall,
              "The destination table name \"" + text +
                  "\" is not a table name: use letters, digits, _, @, #, $, parts joined by "
                  "\".\", a part may be enclosed in [ ] or double quotes");
}

std::string TableName::quoted(char open, char close, BareNameCase bare) const {
  std::string out;
  for (const Part& part : parts_) {
    if (!out.empty()) out += '.';
    out += enclosed(part.bare ? folded(part.name, bare) : part.name, open, close);
  }
  return out;
}

bool TableName::allBare() const {
  for (const Part& part : parts_) {
    if (!part.bare) return false;
  }
  return true;
}

}  // namespace csv2sql::db
