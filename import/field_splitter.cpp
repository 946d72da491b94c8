#include "import/field_splitter.h"

#include <algorithm>

#include "core/byte_search.h"

namespace csv2sql {

namespace {

// The quoted field at the start of `rest` (its opening quote there), up to the next delimiter
// after its closing quote, taken off `rest`. False when no closing quote comes.
bool takeQuoted(std::string_view& rest, char delimiter, std::string& room,
                std::vector<std::string_view>& fields) {
  const std::size_t start = room.size();
  std::size_t at = 1;
  for (;;) {
    const std::size_t quote = rest.find('"', at);
    if (quote == std::string_view::npos) {
      room.append(rest.substr(at));
      fields.emplace_back(room.data() + start, room.size() - start);
      rest = {};
      return false;
    }
    room.append(rest.substr(at, quote - at));
    if (quote + 1 < rest.size() && rest[quote + 1] == '"') {
      room += '"';
      at = quote + 2;
      continue;
    }
    at = quote + 1;
    break;
  }
  const std::size_t end = std::min(findEither(rest, delimiter, delimiter, at), rest.size());
  room.append(rest.substr(at, end - at));
  fields.emplace_back(room.data() + start, room.size() - start);
  rest.remove_prefix(end);
  return true;
}

}  // namespace

bool splitFields(std::string_view record, char delimiter, bool quotes, std::string& room,
                 std::vector<std::string_view>& fields) {
  fields.clear();
  room.clear();
  // The unquoted text is never longer than the record: views into room stay valid.
  if (quotes && room.capacity() < record.size()) room.reserve(record.size());
  for (;;) {
    if (quotes && !record.empty() && record.front() == '"') {
      if (!takeQuoted(record, delimiter, room, fields)) return false;
    } else {
      const std::size_t end = std::min(findEither(record, delimiter, delimiter), record.size());
      fields.push_back(record.substr(0, end));
      record.remove_prefix(end);
    }
    if (record.empty()) return true;
    record.remove_prefix(1);  // the delimiter
  }
}

}  // namespace csv2sql
