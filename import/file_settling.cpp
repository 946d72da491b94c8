#include "import/file_settling.h"

#include <thread>

#include "core/platform.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

// True when the file is as it was listed and has stayed so for the quiet time, waiting for as
// much of that time as has not passed yet. Measured on the file system's clock, that of the
// times of change.
bool quietSince(const fs::path& path, const std::string& name, const FileStamp& listed,
                std::chrono::seconds quietTime, RunLog& log) {
  auto age = fs::file_time_type::clock::now() - listed.written;
  if (age < fs::file_time_type::duration::zero()) {
    log.WriteLog(name + " has a time of change in the future; taken as changed just now");
    age = fs::file_time_type::duration::zero();
  }
  if (age < quietTime) std::this_thread::sleep_for(quietTime - age);
  return stampOf(path) == listed;
}

}  // namespace

std::optional<FileStamp> stampOf(const fs::path& path) {
  FileStamp stamp;
  if (!platform::sizeAndWriteTime(path, stamp.size, stamp.written)) return std::nullopt;
  return stamp;
}

bool writtenWhole(const fs::path& path, const std::string& name, const FileEnding& ending,
                  std::chrono::seconds quietTime, RunLog& log) {
  const std::optional<FileStamp> now = stampOf(path);
  if (ending.listed && now && *now != *ending.listed) return false;
  // A file gone has no writer to wait for: its move says that it is missing.
  if (ending.onLineEnd && (ending.noWriter || !now)) return true;
  return ending.listed && quietSince(path, name, *ending.listed, quietTime, log);
}

}  // namespace csv2sql
