// The field splitter on any record: the first byte picks the delimiter and whether quotes are
// read. Without quotes the fields joined by the delimiter give the record back; with quotes no
// field is longer than the record, and a record that ends inside a quote says so.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "import/field_splitter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  if (size == 0) return 0;
  const char delimiter =
      static_cast<char>(data[0] & 0x7F) == '"' ? ';' : static_cast<char>(data[0] & 0x7F);
  const bool quotes = (data[0] & 0x80) != 0;
  const std::string_view record(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string room;
  std::vector<std::string_view> fields;
  const bool complete = splitFields(record, delimiter, quotes, room, fields);
  if (fields.empty()) std::abort();
  std::size_t total = 0;
  for (const std::string_view field : fields) total += field.size();
  if (total > record.size()) std::abort();
  if (!quotes) {
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) joined += delimiter;
      joined.append(fields[i]);
    }
    if (!complete || joined != record) std::abort();
  }
  return 0;
}
