#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/datetime.h"
#include "core/deferred.h"
#include "core/session.h"
#include "dbaccess/table_name.h"
#include "destination/destination.h"
#include "import/csv_rows.h"
#include "import/file_layout.h"
#include "import/file_patterns.h"
#include "import/reject_limit.h"
#include "import/utc_offsets.h"
#include "settings/settings.h"

namespace csv2sql {

// Every setting an import run uses, read once at the run's start, so that an edit made while the
// run yields is for the next run. Folders are as the run uses them: a relative one below the
// program's folder. A setting that does not convert fails
// the run at the step that uses it, as when it was read there.
struct RunPlan {
  ConnectPlan connection;

  std::filesystem::path sourceFolder;
  Deferred<db::TableName> table;
  Deferred<FileLayout> layout;
  Deferred<FilePatterns> files;  // the names taken from the source folder
  // The import ledger's table; none when its setting is empty.
  std::optional<Deferred<db::TableName>> ledger;

  // The offset table as it stood at the start, when conversion is on.
  std::optional<UtcOffsetTable> utc;

  // Rows older than this are deleted first; none when the purge is off or its days text is
  // not numeric.
  std::optional<Deferred<DateTime>> purgeCutoff;

  bool archive = false;
  std::filesystem::path archiveFolder;
  // As typed, for the log line.
  std::string archiveFolderText;

  // Where files the database refuses for their data go; empty: such a file ends the run.
  std::optional<std::filesystem::path> errorFolder;
  std::string errorFolderText;  // as typed, for the log line

  // The days the program's own archived files, logs and rejects are kept; none when its setting
  // is empty: kept for ever.
  std::optional<Deferred<std::int32_t>> keepDays;

  // The skipped rows a file may have; none when its setting is empty.
  std::optional<Deferred<RejectLimit>> rejectLimit;
  std::string rejectLimitText;  // as typed, for the log lines

  // How long a file must stand unchanged to count as written whole, where the system cannot
  // tell whether a program still has it open for writing, or its last line has no line end.
  Deferred<std::chrono::seconds> quietTime;
};

RunPlan readRunPlan(const Session& session, const Settings& settings);

}  // namespace csv2sql
