#pragma once

#include <string>

#include "log/messages.h"

namespace csv2sql {

// True when a folder (or a file) of that name exists; a final separator is ignored. A failure
// of the look-up is reported for "DirExist" and gives false.
bool DirExist(Messages& messages, const std::string& path);

// Creates every missing level of a folder path (from the root, a drive, or a network share's
// share level); existing levels are walked over. Reports its own failures and returns.
void CreateDirectory(Messages& messages, const std::string& DirectoryPath);

}  // namespace csv2sql
