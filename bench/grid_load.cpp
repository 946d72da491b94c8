// grid_load [size-MiB]: writes a CSV file of readings of about that size (default 256) to a
// temporary folder, loads it into a Grid, reads the three cells of every row that an import
// reads, and prints the load time and the peak resident memory against the file's size.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "components/grid.h"
#include "core/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr double kMiB = 1024.0 * 1024.0;

// Wall time and this process's processor time, which a busy machine distorts less.
struct Stopwatch {
  Clock::time_point wall = Clock::now();
  std::clock_t cpu = std::clock();
  double wallSeconds() const { return std::chrono::duration<double>(Clock::now() - wall).count(); }
  double cpuSeconds() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

// Removes the folder and the file in it however the run ends.
struct ScratchFolder {
  ScratchFolder() {
    std::random_device random;
    path = fs::temp_directory_path() / ("csv2sql-grid-load-" + std::to_string(random()));
    fs::create_directories(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

// Lines such as "2024-03-07T14:05:09Z,TAG017,12.345" with CR LF, one second apart, written
// in chunks so that writing costs no memory worth counting.
void writeReadings(const fs::path& file, std::uint64_t bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "Time,Name,Reading\r\n";
  std::string chunk;
  chunk.reserve(1 << 20);
  std::uint64_t written = 0;
  for (std::uint64_t n = 0; written < bytes; ++n) {
    const std::uint64_t second = n / 50;
    char line[64];
    const int length = std::snprintf(
        line, sizeof line, "2024-%02d-%02dT%02d:%02d:%02dZ,TAG%03d,%d.%03d\r\n",
        static_cast<int>(second / 2'419'200 % 12 + 1), static_cast<int>(second / 86'400 % 28 + 1),
        static_cast<int>(second / 3600 % 24), static_cast<int>(second / 60 % 60),
        static_cast<int>(second % 60), static_cast<int>(n % 50), static_cast<int>(n * 7 % 1000),
        static_cast<int>(n * 13 % 1000));
    chunk.append(line, static_cast<std::size_t>(length));
    written += static_cast<std::uint64_t>(length);
    if (chunk.size() >= (1 << 20) - 64) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      chunk.clear();
    }
  }
  out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

int run(std::uint64_t mebibytes) {
  ScratchFolder folder;
  const fs::path file = folder.path / "readings.csv";
  writeReadings(file, mebibytes << 20);
  const std::uint64_t fileSize = fs::file_size(file);
  const std::uint64_t peakBefore = csv2sql::platform::peakResidentBytes();

  csv2sql::Grid grid("sp", "", {}, 0);
  const Stopwatch loadWatch;
  if (!grid.loadTextFile(file)) {
    std::fprintf(stderr, "grid_load: the file could not be loaded\n");
    return 1;
  }
  const double loadSeconds = loadWatch.wallSeconds();
  const double loadCpuSeconds = loadWatch.cpuSeconds();

  // As the import reads: the cursor on each row, then the date-time, tag and value columns.
  const Stopwatch readWatch;
  const std::int32_t rows = grid.rowCount();
  std::uint64_t cellBytes = 0;
  for (std::int32_t row = 2; row <= rows; ++row) {
    grid.setRow(row);
    for (std::int32_t column : {1, 2, 3}) {
      grid.setCol(column);
      cellBytes += grid.text().size();
    }
  }
  const double readSeconds = readWatch.wallSeconds();
  const double readCpuSeconds = readWatch.cpuSeconds();
  const std::uint64_t peak = csv2sql::platform::peakResidentBytes();

  std::printf("file size      %10.1f MiB\n", static_cast<double>(fileSize) / kMiB);
  std::printf("load time      %10.3f s (%.0f MiB/s); processor time %.3f s\n", loadSeconds,
              static_cast<double>(fileSize) / kMiB / loadSeconds, loadCpuSeconds);
  std::printf("rows           %10d\n", rows);
  std::printf(
      "read 3 cells   %10.3f s for every row (%.1f ns a row; processor time %.3f s; %llu "
      "cell bytes)\n",
      readSeconds, readSeconds * 1e9 / rows, readCpuSeconds,
      static_cast<unsigned long long>(cellBytes));
  std::printf("peak resident  %10.1f MiB (%.1f MiB before the load)\n",
              static_cast<double>(peak) / kMiB, static_cast<double>(peakBefore) / kMiB);
  std::printf("peak/file size %10.3f\n", static_cast<double>(peak) / static_cast<double>(fileSize));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t mebibytes = 256;
  if (argc > 1) {
    try {
      const std::string text = argv[1];
      std::size_t used = 0;
      mebibytes = std::stoull(text, &used);
      if (text.front() < '0' || text.front() > '9' || used != text.size() || mebibytes == 0 ||
          mebibytes > (1u << 20)) {
        throw std::invalid_argument(text);
      }
    } catch (const std::exception&) {
      std::fprintf(stderr, "usage: grid_load [size-MiB]  (a whole number from 1 to 1048576)\n");
      return 2;
    }
  }
  try {
    return run(mebibytes);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "grid_load: %s\n", error.what());
    return 1;
  }
}
