#include "core/platform.h"

#include <chrono>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace csv2sql::platform {

std::filesystem::path executablePath() {
#ifdef _WIN32
  wchar_t buffer[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  return std::filesystem::path(std::wstring(buffer, length));
#else
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() / "csv2sql" : path;
#endif
}

LocalTime localNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          now - std::chrono::system_clock::from_time_t(seconds))
                          .count();
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &seconds);
#else
  localtime_r(&seconds, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
          parts.tm_min,         parts.tm_sec,     static_cast<int>(micros < 0 ? 0 : micros)};
}

bool isHiddenOrSystem(const std::filesystem::directory_entry& entry) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(entry.path().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
  const auto name = entry.path().filename().string();
  return !name.empty() && name.front() == '.';
#endif
}

void restrictToOwner(const std::filesystem::path& file) {
#ifndef _WIN32
  ::chmod(file.c_str(), S_IRUSR | S_IWUSR);
#else
  (void)file;
#endif
}

}  // namespace csv2sql::platform
