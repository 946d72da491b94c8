#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace csv2sql {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// A C stream, closed when it goes out of scope. C streams tell a failed read apart from the end
// of the file (the settings file, an archive copy).
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file in a binary mode ("rb", "wb"): no line-end translation. On failure the handle
// is empty and ec holds the system's reason.
FileHandle openFile(const std::filesystem::path& path, const char* mode, std::error_code& ec);

// The system's reason for the C stream call that has just failed.
std::error_code lastFileError();

}  // namespace csv2sql
