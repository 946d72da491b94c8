#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/session.h"
#include "dbaccess/connection.h"
#include "dbaccess/database.h"
#include "import/csv_rows.h"
#include "import/file_group.h"
#include "import/file_settling.h"
#include "import/ledger.h"
#include "import/run_plan.h"
#include "log/run_log.h"

namespace csv2sql {

// "n readings stored, m rows skipped".
std::string fileCountsLine(const FileCounts& counts);

// What the import of each file of a run works with.
struct FileImport {
  const Session& session;
  RunLog& log;
  db::Connection& connection;
  FileGroup& group;
  db::Recordset& recordset;
  const RunPlan& plan;
  const FileLayout& layout;
  Ledger* ledger;  // none without one
  // The log line of each file set aside: moved to the error folder, left over its reject limit
  // or passed over as unreadable.
  std::vector<std::string>& setAside;
};

// One file of the source folder into the open group, then its move into the archive folder when
// asked; the group is committed after it when `closesGroup` or when it is full. A file whose
// readings the database refuses for their data goes to the error folder (the run goes on) or
// ends the run, naming it and the row. A file with more skipped rows than the reject limit
// allows keeps none of its rows and goes to the error folder or stays in place; one that cannot
// be read is passed over. What the run's figures gain: the file's counts (nothing when its rows
// were rolled back, moved or imported before), less those of earlier files of the group that
// turned out to be the refused ones. listed: the file as the listing found it.
FileCounts importFile(const FileImport& run, const std::string& name,
                      const std::optional<FileStamp>& listed, RowObserver& progress,
                      bool closesGroup);

// Commits the group that a stop request left open; what the run's figures lose (refused files).
FileCounts commitGroup(const FileImport& run);

}  // namespace csv2sql
