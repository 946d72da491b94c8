#include "import/source_listing.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "core/error.h"
#include "core/platform.h"
#include "core/system_error.h"
#include "core/text.h"
#include "import/source_lock.h"

namespace csv2sql {

namespace {

// Letter case decides only between names that are otherwise equal, so the order is total.
bool nameBefore(const std::string& a, const std::string& b) {
  const auto byUpper = [](char x, char y) { return asciiUpper(x) < asciiUpper(y); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byUpper)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byUpper)) return false;
  return a < b;
}

// Why an entry cannot be read as a file, for its log line.
std::string notAFile(std::filesystem::file_type type, const std::error_code& ec) {
  if (type == std::filesystem::file_type::directory) return "it is a folder";
  if (type == std::filesystem::file_type::not_found) return "it is a link to nothing";
  if (ec) return ec.message();
  return "it is not a regular file";
}

}  // namespace

SourceListing listSourceFiles(const std::filesystem::path& folder, const FilePatterns& patterns) {
  std::error_code ec;
  std::filesystem::directory_iterator entries(folder, ec);
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
    throw Error(err::PathNotFound, "Path not found: source folder " + folder.string());
  }
  if (ec) throw errorFromSystem(ec);

  SourceListing listing;
  for (const std::filesystem::directory_iterator end; entries != end;) {
    const std::filesystem::directory_entry& entry = *entries;
    std::string name = entry.path().filename().string();
    // The lock of loaders sharing the folder is no export, even where "*" is listed and a
    // leading dot hides nothing (Windows).
    if (patterns.matches(name) && name != SourceLock::kFileName &&
        !platform::isHiddenOrSystem(entry)) {
      // The type the folder read gave, so a plain file costs no status call of its own.
      std::error_code typeEc;
      if (entry.is_regular_file(typeEc)) {
        listing.names.push_back(std::move(name));
      } else {
        const auto type = entry.status(typeEc).type();
        listing.passedOver.emplace_back(std::move(name), notAFile(type, typeEc));
      }
    }
    entries.increment(ec);
    if (ec) throw errorFromSystem(ec);
  }
  std::sort(listing.names.begin(), listing.names.end(), nameBefore);
  std::sort(listing.passedOver.begin(), listing.passedOver.end(),
            [](const auto& a, const auto& b) { return nameBefore(a.first, b.first); });
  return listing;
}

}  // namespace csv2sql
