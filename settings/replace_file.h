#pragma once

#include <filesystem>
#include <string_view>

namespace csv2sql {

// Replaces a file's contents only once the new contents are completely written: they go to
// path + ".tmp" beside it (readable and writable by its owner only), which is flushed, closed
// and renamed over the file. On any failure the old file stays whole, the temporary file is
// removed, and the system's error is raised as an Error.
void replaceFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace csv2sql
