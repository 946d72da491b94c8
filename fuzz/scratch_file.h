#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// The one file of this fuzzing process, rewritten with each input; in memory (/dev/shm), as
// truncating a file on disk costs milliseconds. A random name keeps parallel fuzzers apart; it
// ends in the first call's `ending`.
inline const std::filesystem::path& writeScratchFile(const std::uint8_t* data, std::size_t size,
                                                     const char* ending = ".csv") {
  static const std::filesystem::path path =
      "/dev/shm/csv2sql_fuzz_" + std::to_string(std::random_device{}()) + ending;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
