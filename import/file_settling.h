#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "log/run_log.h"

namespace csv2sql {

// What tells that a file was written to: its size and time of last change.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written;
  bool operator==(const FileStamp&) const = default;
};

// Nothing when the file cannot be looked at.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// What a run knows of a file, after its first pass, to tell whether its writer is done with it.
struct FileEnding {
  std::optional<FileStamp> listed;  // as the listing found it
  bool onLineEnd = false;           // empty, or its last line has a line end
  bool noWriter = false;            // the system tells that no process has it open for writing
};

// Whether the file is written whole: all of it is taken and it may be archived. Otherwise only
// its complete lines are, and it stays. Never when it changed since it was listed. A file that
// ends on a line end is whole at once when it has no writer or is gone; any other only once it
// has stood unchanged for the quiet time since its listed change, which the run waits for (at
// most the quiet time: a time of change in the future, from a writer's clock that is ahead, is
// taken as now and said so in a log line naming the file).
bool writtenWhole(const std::filesystem::path& path, const std::string& name,
                  const FileEnding& ending, std::chrono::seconds quietTime, RunLog& log);

}  // namespace csv2sql
