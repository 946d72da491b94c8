#include "import/source_listing.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "core/platform.h"
#include "core/system_error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

bool hasCsvExtension(std::string_view name) {
  return endsWithIgnoreCase(name, ".csv");
}

// Letter case decides only between names that are otherwise equal, so the order is total.
bool nameBefore(const std::string& a, const std::string& b) {
  const auto byUpper = [](char x, char y) { return asciiUpper(x) < asciiUpper(y); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byUpper)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byUpper)) return false;
  return a < b;
}

}  // namespace

std::vector<std::string> listSourceFiles(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator entries(folder, ec);
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return {};
  if (ec) throw errorFromSystem(ec);

  std::vector<std::string> names;
  for (const std::filesystem::directory_iterator end; entries != end;) {
    const std::filesystem::directory_entry& entry = *entries;
    std::string name = entry.path().filename().string();
    std::error_code typeEc;
    if (hasCsvExtension(name) && entry.is_regular_file(typeEc) &&
        !platform::isHiddenOrSystem(entry)) {
      names.push_back(std::move(name));
    }
    entries.increment(ec);
    if (ec) throw errorFromSystem(ec);
  }
  std::sort(names.begin(), names.end(), nameBefore);
  return names;
}

}  // namespace csv2sql
