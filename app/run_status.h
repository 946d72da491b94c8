#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"
#include "import/import_run.h"

namespace csv2sql {

// How the last run ended, as a monitoring system reads it (csv2sql --status): a small text file
// in the log folder, one "key=value" line each, replaced whole at the end of every run so that
// a reader never sees half of one.
struct RunStatus {
  enum class Result {
    Normal,
    FilesLeft,  // a normal run that set files aside
    Failed,
  };

  Result result = Result::Normal;
  DateTime started;
  DateTime ended;
  std::int64_t files = 0;
  std::int64_t stored = 0;
  std::int64_t skipped = 0;
  std::vector<std::string> setAside;  // the log line of each file set aside
  std::string error;                  // the error line of a failed run
  // When a run last ended normally, this one or an earlier one; none before the first.
  std::optional<DateTime> lastNormalEnd;
  std::string nextRun;  // as lblNextRun shows it; empty when automatic runs are off
};

// The status file of an installation: in the log folder beside the program.
std::filesystem::path statusFile(const std::filesystem::path& programFolder);

// The status a run leaves. previous: the status before it, for the last normal end of a run
// that failed. nextRun: as lblNextRun shows it, empty when automatic runs are off.
RunStatus statusOf(const RunReport& report, const std::optional<RunStatus>& previous,
                   std::string nextRun);

// The status file's text, and the status read back from it; nothing when the text is no
// status (a key it needs missing or not readable).
std::string statusText(const RunStatus& status);
std::optional<RunStatus> parseStatus(std::string_view text);

// Replaces the status file, creating its folder when missing; failures are Errors.
void writeRunStatus(const std::filesystem::path& file, const RunStatus& status);
// Nothing when no run has left one yet; error 75 when it cannot be read or holds no status.
std::optional<RunStatus> readRunStatus(const std::filesystem::path& file);

}  // namespace csv2sql
