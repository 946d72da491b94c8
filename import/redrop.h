#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/datetime.h"

namespace csv2sql {

// A way back after a database lost committed transactions (a failover with asynchronous
// replication): the archived files whose archive time is at or after `since` go back into the
// source folder under their names before archiving (a CSV file's extension as ".csv"), so that the
// next run, with the ledger, imports exactly those the destination does not hold. The oldest
// archive of a name goes first; one whose name is taken in the source folder stays where it is.
struct Redropped {
  std::vector<std::string> moved;  // "<archive name> as <name>"
  std::vector<std::string> left;   // "<archive name>: <name> is in the source folder"
};
Redropped redropArchived(const std::filesystem::path& sourceFolder,
                         const std::filesystem::path& archiveFolder, DateTime since);

}  // namespace csv2sql
