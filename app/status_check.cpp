#include "app/status_check.h"

#include "core/datetime_text.h"

namespace csv2sql {

namespace {

constexpr std::int64_t kMicrosPerMinute = 60'000'000;

std::string shown(DateTime time) {
  return formatDateTime(time, "yyyy-mm-dd hh:nn:ss");
}

}  // namespace

StatusCheck checkStatus(const std::optional<RunStatus>& status, DateTime now,
                        std::optional<std::int32_t> minutes) {
  if (!status) return {kStatusUnknown, "csv2sql UNKNOWN - no run has left its status yet"};
  const std::string lastRun = "last run " + shown(status->started);
  const std::string nextRun = status->nextRun.empty() ? "" : "; next run " + status->nextRun;
  if (status->result == RunStatus::Result::Failed) {
    return {kStatusCritical,
            "csv2sql CRITICAL - " + lastRun + " failed: " + status->error + nextRun};
  }
  if (minutes &&
      (!status->lastNormalEnd ||
       now.microseconds() - status->lastNormalEnd->microseconds() > *minutes * kMicrosPerMinute)) {
    return {kStatusCritical, "csv2sql CRITICAL - no run ended normally in the last " +
                                 std::to_string(*minutes) + " minutes (" + lastRun + ")" + nextRun};
  }
  const std::string figures = lastRun + ": " + std::to_string(status->files) + " files, " +
                              std::to_string(status->stored) + " readings stored, " +
                              std::to_string(status->skipped) + " rows skipped";
  if (status->result == RunStatus::Result::FilesLeft) {
    std::string files;
    for (const std::string& line : status->setAside) files += "; " + line;
    return {kStatusWarning, "csv2sql WARNING - " + figures + files + nextRun};
  }
  return {kStatusOk, "csv2sql OK - " + figures + nextRun};
}

}  // namespace csv2sql
