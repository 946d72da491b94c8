#include "core/file_handle.h"

#include <cerrno>

#include "core/platform.h"

namespace csv2sql {

FileHandle openFile(const std::filesystem::path& path, const char* mode, std::error_code& ec) {
  errno = 0;
  FileHandle file(platform::openFile(path, mode));
  ec = file ? std::error_code() : lastFileError();
  return file;
}

std::error_code lastFileError() {
  // A C library that fails without setting errno still yields an access error, never "success".
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

}  // namespace csv2sql
