#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace csv2sql {

// The names of the files a run imports from a folder: regular files, neither hidden nor system,
// whose names end in ".csv" in any letter case. Sorted by name without regard to letter case,
// the order of the listing on the system the files usually come from, and the same at every
// run. A folder that does not exist holds none; any other failure of the listing is an Error.
std::vector<std::string> listSourceFiles(const std::filesystem::path& folder);

}  // namespace csv2sql
