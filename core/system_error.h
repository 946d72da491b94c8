#pragma once

#include <cstdint>
#include <system_error>

#include "core/error.h"

namespace csv2sql {

// What a failed file-system operation was after; decides what a missing name means.
enum class SystemTarget {
  Folder,  // a folder, or a file in a folder that must exist (create, open for writing)
  File,    // an existing file (read, rename from)
};

// Turns a platform error into the program's error numbers:
//   no such file or directory      -> 53 "File not found" when a file was meant,
//                                     else 76 "Path not found"
//   not a directory                -> 76 "Path not found"
//   already exists, access denied,
//   not permitted, busy            -> 75 "Path/File access error"
//   invalid name, name too long,
//   invalid characters in a name   -> 52 "Bad file name or number"
//   no space left on the device    -> 61 "Disk full"
//   anything else                  -> 75 "Path/File access error: " + the system's message
//   an empty code (no error known) -> 75 "Path/File access error"
// On Windows the system's "path not found" and "invalid name" codes are told apart from
// "file not found", which the portable conditions lump together.
Error errorFromSystem(const std::error_code& code, SystemTarget target = SystemTarget::Folder);

}  // namespace csv2sql
