#pragma once

#include <cstdint>
#include <filesystem>

namespace csv2sql::platform {

// The one place for calls that differ between operating systems.

std::filesystem::path executablePath();

struct LocalTime {
  int year, month, day, hour, minute, second, microsecond;
};
LocalTime localNow();

// True when the name is hidden or a system file (a leading "." here, the hidden or system
// attribute on Windows).
bool isHiddenOrSystem(const std::filesystem::directory_entry& entry);

// Makes a file readable and writable by its owner only, where the platform has permissions.
void restrictToOwner(const std::filesystem::path& file);

}  // namespace csv2sql::platform
