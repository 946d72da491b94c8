#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace csv2sql::platform {

// The one place for calls that differ between operating systems.

std::filesystem::path executablePath();

struct LocalTime {
  int year, month, day, hour, minute, second, microsecond;
};
LocalTime localNow();
// The local time of a file's time of change; nothing when the system cannot tell it.
std::optional<LocalTime> localTimeOf(std::filesystem::file_time_type written);

// True when the name is hidden or a system file (a leading "." here, the hidden or system
// attribute on Windows).
bool isHiddenOrSystem(const std::filesystem::directory_entry& entry);

// A file's size and time of last change, in one call where the platform has one; false when
// either cannot be read.
bool sizeAndWriteTime(const std::filesystem::path& file, std::uintmax_t& size,
                      std::filesystem::file_time_type& written);

// A file opened for reading with the system's own calls: no stream buffer between the reads and
// the caller's memory, and one call to open and check it. Others may go on writing the file.
class InputFile {
 public:
  // Missing: nothing of that name is there. Unreadable: it is there but is no regular file, or
  // it cannot be opened.
  enum class State { Open, Missing, Unreadable };
  explicit InputFile(const std::filesystem::path& file);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  State state() const { return state_; }
  // Reads `bytes` into `into`, fewer only at the end of the file; false when a read fails.
  bool read(char* into, std::size_t bytes, std::size_t& got);
  // The system's reason when the open or the last read failed; none for a file that opened but
  // is no regular file.
  std::error_code error() const { return error_; }

 private:
  std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
  State state_ = State::Missing;
  std::error_code error_;
};

// std::fopen for any path the platform can name (wide characters on Windows).
std::FILE* openFile(const std::filesystem::path& file, const char* mode);

// Creates an empty file that must not exist yet (no other process can have created it in
// between); the error when it cannot.
std::error_code createNewFile(const std::filesystem::path& file);

// This computer's name and this process's number, and whether a process of that number runs
// on this computer: what a lock file names its holder by.
std::string hostName();
long processId();
bool processRunning(long id);

// Writes a file's buffered bytes and asks the system to put them on the disk before it returns;
// the error when it cannot.
std::error_code flushToDisk(std::FILE* file);

// Renames a file, never over an existing one (the error is then "file exists").
std::error_code renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// True when both names lie on the same file system, so that a rename can move one to the other.
bool sameVolume(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether a process (another one: this program never writes the files it asks about) holds the
// file open for writing. Unknown where the system cannot tell: a network share (its other
// clients are out of sight), a file system not known to tell, a file this process may not ask
// about.
enum class Answer { No, Yes, Unknown };
Answer openForWritingElsewhere(const std::filesystem::path& file);

#ifndef _WIN32
// Replaces this process by the program, with the same arguments (argv[0] included), the same
// process id and the same environment; returns only when it cannot, with the error.
std::error_code runInstead(const std::filesystem::path& program, char** argv);
#endif

// Ends the process at once, as a kill signal would: no clean-up, no buffers written.
[[noreturn]] void killSelf();

// Makes a file readable and writable by its owner only, where the platform has permissions.
void restrictToOwner(const std::filesystem::path& file);

// Writes an error line to the system's event log where it has one an operator watches (the
// Windows Event Log, source "csv2sql"); nothing elsewhere, where the service manager's journal
// has the line from standard error.
void reportToEventLog(const std::string& line);

// True when a window can be shown: always on Windows and macOS; elsewhere when DISPLAY,
// WAYLAND_DISPLAY or QT_QPA_PLATFORM (an offscreen or other chosen platform) is set.
bool hasDisplay();

// Waits until a network socket can be read, written or either, as asked, or reports an error or
// hang-up; false when timeoutMs (negative: no limit) passes first.
enum class SocketWait { Read, Write, ReadOrWrite };
bool waitForSocket(int socket, SocketWait what, int timeoutMs);

// Opens a shared library by its file name, where the system looks for libraries, for the rest
// of the process; null when it cannot, with the system's reason in `reason`.
void* openLibrary(const char* name, std::string& reason);
// The address of an exported function of an opened library; null when it has none.
void* librarySymbol(void* library, const char* name);

}  // namespace csv2sql::platform
