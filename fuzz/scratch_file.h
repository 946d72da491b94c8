#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// The one file of this fuzzing process, rewritten with each input. In memory when the system
// has a memory file system: truncating a file on disk costs milliseconds.
inline const std::filesystem::path& writeScratchFile(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path path = [] {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const auto folder =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    return folder / ("csv2sql_fuzz_" + std::to_string(getpid()) + ".csv");
  }();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
