#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "import/file_patterns.h"

namespace csv2sql {

struct SourceListing {
  std::vector<std::string> names;
  // Entries of a name the patterns take that cannot be read as a file: name and why (a folder, a
  // link to nothing, a link loop, a device).
  std::vector<std::pair<std::string, std::string>> passedOver;
};

// The names of the files a run imports from a folder: regular files, neither hidden nor system,
// whose names the patterns take (by default those ending in ".csv" in any letter case). Sorted by
// name without regard to letter case, the order of the listing on the system the files usually come
// from, and the same at every run. A folder that does not exist is error 76, as a mistyped or
// unmounted folder must not look like a folder without files; any other failure of the listing is
// an Error.
SourceListing listSourceFiles(const std::filesystem::path& folder,
                              const FilePatterns& patterns = {});

}  // namespace csv2sql
