#pragma once

#include <string_view>

#include "core/session.h"
#include "import/run_plan.h"
#include "log/run_log.h"

namespace csv2sql {

// The names the program gives files, by the folder that holds them. Only such files are ever
// removed for their age: whatever else is in those folders belongs to someone else.
enum class OwnFiles {
  Archived,  // "<stem>__yymmdd_hhmmss.csv" (archiveName)
  SetAside,  // error folder: the same, and the note beside each, that name + ".err"
  RunLogs,   // "R27731_____mm_dd_yyyy__hh_nn.log" and its reject file, ".rejects.csv"
};

// True when a file so named, in a folder holding that kind, is one the program named.
bool isOwnFile(std::string_view name, OwnFiles kind);

// At the end of a run with KEEPDAYS: removes the program's own files whose time of change is
// older than that many days before now, from the archive folder (when archiving), the error
// folder (when set) and the log folder, and logs "Removed k files older than n days" when there
// were any. The time a name holds (a move, a log's opening) must be that old too: a file moved
// within a file system keeps its source's time of change. Files only: never a folder or a link.
// A file that cannot be removed, or a folder that cannot be listed, is an Error, after the line
// for those removed before it.
void removeOldFiles(const Session& session, RunLog& log, const RunPlan& plan);

}  // namespace csv2sql
