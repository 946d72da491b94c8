#include "core/platform.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>

#ifdef _WIN32
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <io.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/vfs.h>
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

namespace {

// Nothing when the system cannot convert the time.
std::optional<LocalTime> localTimeAt(std::chrono::system_clock::time_point at) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          at - std::chrono::system_clock::from_time_t(seconds))
                          .count();
  std::tm parts{};
#ifdef _WIN32
  if (localtime_s(&parts, &seconds) != 0) return std::nullopt;
#else
  if (localtime_r(&seconds, &parts) == nullptr) return std::nullopt;
#endif
  return LocalTime{parts.tm_year + 1900,
                   parts.tm_mon + 1,
                   parts.tm_mday,
                   parts.tm_hour,
                   parts.tm_min,
                   parts.tm_sec,
                   static_cast<int>(micros < 0 ? 0 : micros)};
}

}  // namespace

LocalTime localNow() {
  return localTimeAt(std::chrono::system_clock::now()).value();
}

std::optional<LocalTime> localTimeOf(std::filesystem::file_time_type written) {
  return localTimeAt(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(written)));
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

bool sizeAndWriteTime(const std::filesystem::path& file, std::uintmax_t& size,
                      std::filesystem::file_time_type& written) {
#ifdef _WIN32
  // The C runtime's stat (behind std::filesystem here) keeps whole seconds only, which would
  // cut up to a second off a file's quiet time; the attributes keep 100 ns.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  size = (std::uintmax_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  const std::int64_t ticks = (std::int64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                             data.ftLastWriteTime.dwLowDateTime;
  constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;
  const std::chrono::duration<std::int64_t, std::ratio<1, 10000000>> since(ticks -
                                                                           kTicksFrom1601To1970);
#else
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  size = static_cast<std::uintmax_t>(status.st_size);
  const auto since = std::chrono::seconds(status.st_mtim.tv_sec) +
                     std::chrono::nanoseconds(status.st_mtim.tv_nsec);
#endif
  written = std::chrono::file_clock::from_sys(std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(since)));
  return true;
}

#ifdef _WIN32
InputFile::InputFile(const std::filesystem::path& file) {
  // The sharing that the C runtime's fopen grants: a writer may go on appending.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    state_ = missing ? State::Missing : State::Unreadable;
    // A folder is refused as "access denied": it is there, but no regular file.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!folder) error_ = std::error_code(static_cast<int>(error), std::system_category());
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  state_ = GetFileType(handle) == FILE_TYPE_DISK ? State::Open : State::Unreadable;
}

InputFile::~InputFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool InputFile::read(char* into, std::size_t bytes, std::size_t& got) {
  got = 0;
  while (got < bytes) {
    const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), into + got, asked, &read, nullptr)) {
      error_ = std::error_code(static_cast<int>(GetLastError()), std::system_category());
      return false;
    }
    if (read == 0) break;
    got += read;
  }
  return true;
}
#else
InputFile::InputFile(const std::filesystem::path& file) {
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    state_ = errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Unreadable;
    error_ = std::error_code(errno, std::generic_category());
    return;
  }
  handle_ = descriptor;
  struct stat status {};
  const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
  state_ = regular ? State::Open : State::Unreadable;
}

InputFile::~InputFile() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

bool InputFile::read(char* into, std::size_t bytes, std::size_t& got) {
  got = 0;
  while (got < bytes) {
    const ssize_t read = ::read(static_cast<int>(handle_), into + got, bytes - got);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) {
      error_ = std::error_code(errno, std::generic_category());
      return false;
    }
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return true;
}
#endif

std::FILE* openFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  std::FILE* opened = _wfopen(file.c_str(), wideMode.c_str());
  // The C runtime says ENOENT for a missing folder as for a missing file; Windows' own code
  // tells them apart, as POSIX does with ENOTDIR for a path through no folder.
  if (opened == nullptr && GetLastError() == ERROR_PATH_NOT_FOUND) errno = ENOTDIR;
  return opened;
#else
  return std::fopen(file.c_str(), mode);
#endif
}

std::error_code createNewFile(const std::filesystem::path& file) {
#ifdef _WIN32
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  }
  CloseHandle(handle);
  return {};
#else
  const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (descriptor < 0) return std::error_code(errno, std::generic_category());
  ::close(descriptor);
  return {};
#endif
}

std::string hostName() {
#ifdef _WIN32
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof name;
  return GetComputerNameA(name, &length) ? std::string(name, length) : std::string();
#else
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
#endif
}

long processId() {
#ifdef _WIN32
  return static_cast<long>(GetCurrentProcessId());
#else
  return static_cast<long>(getpid());
#endif
}

bool processRunning(long id) {
#ifdef _WIN32
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
#else
  // A process of another user answers EPERM: it runs all the same.
  return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
#endif
}

std::error_code flushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return std::error_code(errno, std::generic_category());
#ifdef _WIN32
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  }
#else
  if (::fsync(::fileno(file)) != 0) return std::error_code(errno, std::generic_category());
#endif
  return {};
}

std::error_code renameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
#ifdef _WIN32
  if (!MoveFileExW(from.c_str(), to.c_str(), 0)) {
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  }
  return {};
#else
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  // File systems without the flag answer EINVAL; they get the check before the rename.
  if (errno != EINVAL && errno != ENOSYS) return std::error_code(errno, std::generic_category());
#endif
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(to, ec))) {
    return std::make_error_code(std::errc::file_exists);
  }
  std::filesystem::rename(from, to, ec);
  return ec;
#endif
}

bool sameVolume(const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
  wchar_t volumeA[MAX_PATH], volumeB[MAX_PATH];
  return GetVolumePathNameW(a.c_str(), volumeA, MAX_PATH) &&
         GetVolumePathNameW(b.c_str(), volumeB, MAX_PATH) &&
         std::wstring_view(volumeA) == std::wstring_view(volumeB);
#else
  struct stat statA {
  }, statB{};
  return ::stat(a.c_str(), &statA) == 0 && ::stat(b.c_str(), &statB) == 0 &&
         statA.st_dev == statB.st_dev;
#endif
}

#ifdef __linux__
namespace {
// Local file systems, where a lease sees every writer. On a network share it sees only this
// machine's, and some clients refuse a lease whenever the server lets them cache nothing.
bool leasesSeeEveryWriter(int descriptor) {
  struct statfs system {};
  if (::fstatfs(descriptor, &system) != 0) return false;
  switch (static_cast<std::uint32_t>(system.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0x01021994:  // tmpfs
    case 0x794C7630:  // overlayfs
    case 0xF2F52010:  // F2FS
    case 0x2FC12FC1:  // ZFS
    case 0xCA451A4E:  // bcachefs
    case 0x4D44:      // FAT
    case 0x2011BAB0:  // exFAT
    case 0x7366746E:  // NTFS (ntfs3)
      return true;
    default:
      return false;
  }
}
}  // namespace
#endif

Answer openForWritingElsewhere(const std::filesystem::path& file) {
#ifdef _WIN32
  // An open that lets no one else write fails while anyone has the file open for writing.
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? Answer::Yes : Answer::Unknown;
  }
  CloseHandle(handle);
  return Answer::No;
#elif defined(__linux__)
  // A read lease is refused with EAGAIN while any process has the file open for writing; it
  // needs the file's owner or CAP_LEASE. It is given back at once: a writer that opens the file
  // meanwhile waits that long, and is announced by a signal that is ignored unless handled
  // (SIGIO, the default one, would end this process). An open that would wait for another
  // process's write lease to be broken is a writer too.
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return errno == EWOULDBLOCK ? Answer::Yes : Answer::Unknown;
  Answer answer = Answer::Unknown;
  if (leasesSeeEveryWriter(descriptor) && ::fcntl(descriptor, F_SETSIG, SIGURG) == 0) {
    if (::fcntl(descriptor, F_SETLEASE, F_RDLCK) == 0) {
      ::fcntl(descriptor, F_SETLEASE, F_UNLCK);
      answer = Answer::No;
    } else if (errno == EAGAIN) {
      answer = Answer::Yes;
    }
  }
  ::close(descriptor);
  return answer;
#else
  (void)file;
  return Answer::Unknown;
#endif
}

#ifndef _WIN32
std::error_code runInstead(const std::filesystem::path& program, char** argv) {
  ::execv(program.c_str(), argv);
  return {errno, std::generic_category()};
}
#endif

void killSelf() {
#ifdef _WIN32
  TerminateProcess(GetCurrentProcess(), 137);
#else
  ::kill(::getpid(), SIGKILL);
#endif
  std::abort();
}

void restrictToOwner(const std::filesystem::path& file) {
#ifndef _WIN32
  ::chmod(file.c_str(), S_IRUSR | S_IWUSR);
#else
  (void)file;
#endif
}

void reportToEventLog(const std::string& line) {
#ifdef _WIN32
  const HANDLE source = RegisterEventSourceW(nullptr, L"csv2sql");
  if (source == nullptr) return;
  const int size = static_cast<int>(line.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, line.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.data(), size, wide.data(), static_cast<int>(wide.size()));
  const wchar_t* strings[] = {wide.c_str()};
  ReportEventW(source, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
#else
  (void)line;
#endif
}

bool hasDisplay() {
#if defined(_WIN32) || defined(__APPLE__)
  return true;
#else
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
#endif
}

bool waitForSocket(int socket, SocketWait what, int timeoutMs) {
  const bool read = what != SocketWait::Write, write = what != SocketWait::Read;
#ifdef _WIN32
  WSAPOLLFD entry{static_cast<SOCKET>(socket),
                  static_cast<SHORT>((read ? POLLRDNORM : 0) | (write ? POLLWRNORM : 0)), 0};
  return WSAPoll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs) > 0;
#else
  pollfd entry{socket, static_cast<short>((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int wait = timeoutMs;
    if (timeoutMs > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    const int ready = ::poll(&entry, 1, wait);
    if (ready >= 0) return ready > 0;
    if (errno != EINTR) return true;  // let the caller's next read or write report the fault
  }
#endif
}

void* openLibrary(const char* name, std::string& reason) {
#ifdef _WIN32
  HMODULE library = LoadLibraryA(name);
  if (library == nullptr) {
    reason = std::system_category().message(static_cast<int>(GetLastError()));
  }
  return reinterpret_cast<void*>(library);
#else
  void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    reason = error != nullptr ? error : "unknown error";
  }
  return library;
#endif
}

void* librarySymbol(void* library, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

}  // namespace csv2sql::platform
