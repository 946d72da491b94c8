// config.ini as the loader reads it: items split at "=", each applied to fresh settings, which
// are then saved again. A value that does not convert is an Error, as it is for GetIniInfo and
// the save; anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/error.h"
#include "settings/ini_entry.h"
#include "settings/ini_items.h"
#include "settings/setting_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace csv2sql;
  // fmemopen refuses a buffer of no bytes; an empty file reads as one that ends at once.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  bytes.push_back('\n');
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  if (file == nullptr) return 0;
  Settings settings;
  try {
    IniItemReader reader(file);
    std::string item;
    while (reader.next(item)) {
      if (const auto entry = splitEntry(item)) applyEntry(settings, *entry);
    }
    settingsFileText(settings);
  } catch (const Error&) {
  }
  std::fclose(file);
  return 0;
}
