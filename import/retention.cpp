#include "import/retention.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/error.h"
#include "core/system_error.h"
#include "import/archive.h"
#include "import/import_run.h"
#include "import/name_stamp.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMicrosPerDay = 86'400'000'000;

// The time of the move an archive name holds.
std::optional<DateTime> archivedAt(std::string_view name) {
  const std::optional<ArchivedName> archived = readArchiveName(name);
  return archived ? std::optional(archived->at) : std::nullopt;
}

// The run log's prefix, "_____mm_dd_yyyy__hh_nn" and `ending`: the time the log was opened.
std::optional<DateTime> loggedAt(std::string_view name, std::string_view ending) {
  constexpr std::string_view kStamp = "_____##_##_####__##_##";
  const std::string_view prefix = kLogPrefix;
  if (name.size() != prefix.size() + kStamp.size() + ending.size() || !name.starts_with(prefix) ||
      !name.ends_with(ending)) {
    return std::nullopt;
  }
  const std::string_view stamp = name.substr(prefix.size(), kStamp.size());
  if (!hasShape(stamp, kStamp)) return std::nullopt;
  return dateTimeOf(digitsAt(stamp, 11, 4), digitsAt(stamp, 5, 2), digitsAt(stamp, 8, 2),
                    digitsAt(stamp, 17, 2), digitsAt(stamp, 20, 2), 0);
}

// The time a name of the program's own holds; none for any other name.
std::optional<DateTime> namedAt(std::string_view name, OwnFiles kind) {
  switch (kind) {
    case OwnFiles::Archived:
      return archivedAt(name);
    case OwnFiles::SetAside:
      if (name.ends_with(".err")) name.remove_suffix(std::string_view(".err").size());
      return archivedAt(name);
    case OwnFiles::RunLogs:
      if (const auto opened = loggedAt(name, ".log")) return opened;
      return loggedAt(name, ".rejects.csv");
  }
  return std::nullopt;
}

// The program's own files of a folder whose time of change and the time their name holds are
// both before the cut-off; none when there is no such folder.
std::vector<fs::path> oldFilesIn(const fs::path& folder, OwnFiles kind, DateTime cutoff) {
  std::vector<fs::path> old;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return old;
  for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec)) {
    const std::optional<DateTime> named = namedAt(entry->path().filename().string(), kind);
    if (!named) continue;
    // A name that went in the meantime is passed over, as is anything but a file.
    std::error_code gone;
    if (!fs::is_regular_file(entry->symlink_status(gone))) continue;
    const fs::file_time_type changed = fs::last_write_time(entry->path(), gone);
    if (gone) continue;
    // A file moved within a file system keeps its source's time of change: its age counts from
    // the move as well.
    const std::optional<DateTime> written = localWriteTime(changed);
    if (written && std::max(*written, *named) < cutoff) old.push_back(entry->path());
  }
  if (ec) {
    const Error cause = errorFromSystem(ec);
    throw Error(cause.number(), "The folder " + folder.string() +
                                    " cannot be searched for old files (" + cause.description() +
                                    ")");
  }
  return old;
}

void logRemoved(RunLog& log, std::size_t removed, std::int32_t days) {
  if (removed == 0) return;
  log.WriteLog("Removed " + std::to_string(removed) + " files older than " + std::to_string(days) +
               " days");
}

}  // namespace

bool isOwnFile(std::string_view name, OwnFiles kind) {
  return namedAt(name, kind).has_value();
}

void removeOldFiles(const Session& session, RunLog& log, const RunPlan& plan) {
  if (!plan.keepDays) return;
  const std::int32_t days = plan.keepDays->get();
  const DateTime now = session.clock->now();
  // Days reaching back before the first date keep everything.
  if (days > now.microseconds() / kMicrosPerDay) return;
  const DateTime cutoff = now.addDays(-days);

  std::vector<std::pair<fs::path, OwnFiles>> folders{{log.logFolder(), OwnFiles::RunLogs}};
  if (plan.archive) folders.emplace_back(plan.archiveFolder, OwnFiles::Archived);
  if (plan.errorFolder) folders.emplace_back(*plan.errorFolder, OwnFiles::SetAside);
  std::size_t removed = 0;
  try {
    for (const auto& [folder, kind] : folders) {
      for (const fs::path& file : oldFilesIn(folder, kind, cutoff)) {
        std::error_code ec;
        if (fs::remove(file, ec)) ++removed;
        if (ec) {
          const Error cause = errorFromSystem(ec, SystemTarget::File);
          throw Error(cause.number(), "The old file " + file.string() + " cannot be removed (" +
                                          cause.description() + ")");
        }
      }
    }
  } catch (const Error&) {
    logRemoved(log, removed, days);
    throw;
  }
  logRemoved(log, removed, days);
}

}  // namespace csv2sql
