#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace csv2sql {

// A folder as a run reads it from its setting: the spaces around it removed, and the platform's
// separator appended when the text does not already end with a separator ("/" here; "/" and
// "\" on Windows).
std::string folderFromText(std::string_view text);

// The same, with a relative folder taken below the program's folder, as config.ini and the log
// folder are: a start from cron, from the service manager or from the window reads the same
// folder whatever its working directory.
std::filesystem::path runFolder(const std::filesystem::path& programFolder,
                                const std::filesystem::path& folder);

}  // namespace csv2sql
