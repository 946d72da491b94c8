#include "dbaccess/pg_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "dbaccess/sql_text.h"

namespace csv2sql::db::pg {

namespace {

constexpr std::size_t kNull = static_cast<std::size_t>(-1);

bool isIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

bool isTagStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The end of the part that starts at `i` when it is a literal, quoted name, comment or
// dollar-quoted text; `i` when it is none of them.
std::size_t skipQuoted(std::string_view sql, std::size_t i, bool standardStrings) {
  const char c = sql[i];
  const auto next = [&](std::size_t at) { return at < sql.size() ? sql[at] : '\0'; };
  if (c == '\'') {
    const bool escapes = !standardStrings || (i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                              (i < 2 || !isIdentifierChar(sql[i - 2])));
    for (std::size_t at = i + 1; at < sql.size(); ++at) {
      if (escapes && sql[at] == '\\') {
        ++at;
      } else if (sql[at] == '\'') {
        if (next(at + 1) != '\'') return at + 1;
        ++at;
      }
    }
    return sql.size();
  }
  if (c == '"') {
    const std::size_t close = sql.find('"', i + 1);
    return close == std::string_view::npos ? sql.size() : close + 1;
  }
  if (c == '-' && next(i + 1) == '-') {
    const std::size_t end = sql.find('\n', i);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (c == '/' && next(i + 1) == '*') {
    int depth = 0;
    for (std::size_t at = i; at + 1 < sql.size(); ++at) {
      if (sql[at] == '/' && sql[at + 1] == '*') {
        ++depth;
        ++at;
      } else if (sql[at] == '*' && sql[at + 1] == '/') {
        ++at;
        if (--depth == 0) return at + 1;
      }
    }
    return sql.size();
  }
  if (c == '$' && (i == 0 || !isIdentifierChar(sql[i - 1]))) {
    std::size_t at = i + 1;
    if (at < sql.size() && isTagStart(sql[at])) {
      while (at < sql.size() && isIdentifierChar(sql[at]) && sql[at] != '$') ++at;
    }
    if (next(at) != '$') return i;
    const std::string_view tag = sql.substr(i, at + 1 - i);
    const std::size_t close = sql.find(tag, at + 1);
    return close == std::string_view::npos ? sql.size() : close + tag.size();
  }
  return i;
}

void appendNumber(std::string& out, double value) {
  char buffer[32];
  // A whole number goes without an exponent: an integer column refuses "1e+06".
  constexpr double kExact = 9007199254740992.0;  // 2^53
  const bool whole = value == std::trunc(value) && std::fabs(value) < kExact &&
                     !(value == 0 && std::signbit(value));
  const auto result =
      whole ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value))
            : std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void appendTimestamp(std::string& out, DateTime value) {
  char buffer[kTimestampTextMax];
  out.append(buffer, formatTimestamp(value, buffer));
}

void requireNoNul(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    throw DatabaseError(0, "22021",
                        "A text value holds a NUL character, which PostgreSQL cannot store.");
  }
}

}  // namespace

namespace {

// One server: "host", "host:port", "[v6-address]:port" or a bare v6 address.
ServerAddress splitServer(std::string_view server) {
  if (server.starts_with('[')) {
    const std::size_t close = server.find(']');
    if (close != std::string_view::npos) {
      ServerAddress address{std::string(server.substr(1, close - 1)), {}};
      if (server.substr(close + 1).starts_with(':')) address.port = server.substr(close + 2);
      return address;
    }
  }
  const std::size_t colon = server.find(':');
  if (colon == std::string_view::npos || server.find(':', colon + 1) != std::string_view::npos) {
    return {std::string(server), {}};
  }
  return {std::string(server.substr(0, colon)), std::string(server.substr(colon + 1))};
}

// The older form of several servers, "h1,h2:p1,p2": every host, one colon, then only ports.
bool hostsThenPorts(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || text.find_first_of(":[", colon + 1) != text.npos ||
      text.find('[') != text.npos || text.substr(0, colon).find(',') == text.npos) {
    return false;
  }
  const std::string_view ports = text.substr(colon + 1);
  return ports.find(',') != ports.npos &&
         ports.find_first_not_of("0123456789,") == std::string_view::npos;
}

}  // namespace

ServerAddress splitDataSource(std::string_view dataSource) {
  if (hostsThenPorts(dataSource)) return splitServer(dataSource);
  ServerAddress list;
  bool anyPort = false;
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(dataSource.find(',', start), dataSource.size());
    const ServerAddress server = splitServer(dataSource.substr(start, comma - start));
    const bool first = start == 0;
    list.host += (first ? "" : ",") + server.host;
    list.port += (first ? "" : ",") + server.port;
    anyPort = anyPort || !server.port.empty();
    if (comma == dataSource.size()) break;
    start = comma + 1;
  }
  if (!anyPort) list.port.clear();
  return list;
}

std::string numberPlaceholders(std::string_view sql, bool standardStrings, std::size_t& markers) {
  std::string out;
  out.reserve(sql.size() + 16);
  markers = 0;
  for (std::size_t i = 0; i < sql.size();) {
    const std::size_t end = skipQuoted(sql, i, standardStrings);
    if (end != i) {
      out.append(sql.substr(i, end - i));
      i = end;
    } else if (sql[i] == '?') {
      out += '$';
      out += std::to_string(++markers);
      ++i;
    } else {
      out += sql[i++];
    }
  }
  return out;
}

void appendValueText(std::string& out, const FieldValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    requireNoNul(*text);
    out.append(*text);
  } else if (const auto* number = std::get_if<double>(&value)) {
    appendNumber(out, *number);
  } else if (const auto* stamp = std::get_if<DateTime>(&value)) {
    appendTimestamp(out, *stamp);
  }
}

void appendCopyField(std::string& out, const FieldValue& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    out += "\\N";
  } else if (const auto* text = std::get_if<std::string_view>(&value)) {
    requireNoNul(*text);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text->size(); ++i) {
      const char c = (*text)[i];
      const char escaped = c == '\\'   ? '\\'
                           : c == '\t' ? 't'
                           : c == '\n' ? 'n'
                           : c == '\r' ? 'r'
                                       : 0;
      if (!escaped) continue;
      out.append(*text, start, i - start);
      out += '\\';
      out += escaped;
      start = i + 1;
    }
    out.append(*text, start);
  } else {
    appendValueText(out, value);
  }
}

std::string oneLine(std::string_view message) {
  std::string line;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] != '\n') {
      line += message[i];
      continue;
    }
    while (i + 1 < message.size() && (message[i + 1] == '\t' || message[i + 1] == ' ')) ++i;
    if (i + 1 < message.size()) line += ' ';
  }
  return line;
}

DatabaseError loginError(std::string_view verboseMessage) {
  std::string text;
  // The verbose form adds a "LOCATION:" line of the server's source; it means nothing here.
  for (std::size_t start = 0; start < verboseMessage.size();) {
    std::size_t end = verboseMessage.find('\n', start);
    end = end == std::string_view::npos ? verboseMessage.size() : end + 1;
    const std::string_view line = verboseMessage.substr(start, end - start);
    if (!line.starts_with("LOCATION:")) text.append(line);
    start = end;
  }
  std::string sqlState = "08001";
  for (std::string_view severity : {"FATAL:  ", "ERROR:  "}) {
    const std::size_t at = text.find(severity);
    if (at == std::string::npos) continue;
    const std::size_t code = at + severity.size();
    const bool isCode =
        text.size() >= code + 7 && text.compare(code + 5, 2, ": ") == 0 &&
        std::all_of(text.begin() + static_cast<std::ptrdiff_t>(code),
                    text.begin() + static_cast<std::ptrdiff_t>(code + 5),
                    [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); });
    if (!isCode) continue;
    sqlState = text.substr(code, 5);
    text.erase(code, 7);
    break;
  }
  return DatabaseError(0, sqlState, oneLine(text));
}

void ParameterTexts::clear() {
  text_.clear();
  offsets_.clear();
}

void ParameterTexts::add(const FieldValue& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    offsets_.push_back(kNull);
    return;
  }
  offsets_.push_back(text_.size());
  appendValueText(text_, value);
  text_ += '\0';
}

const char* const* ParameterTexts::values() {
  pointers_.clear();
  for (std::size_t offset : offsets_) {
    pointers_.push_back(offset == kNull ? nullptr : text_.data() + offset);
  }
  return pointers_.data();
}

}  // namespace csv2sql::db::pg
