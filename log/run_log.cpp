#include "log/run_log.h"

#include <cerrno>
#include <ostream>
#include <system_error>

#include "core/datetime_text.h"
#include "core/platform.h"
#include "core/system_error.h"
#include "log/folders.h"
#include "log/messages.h"

namespace csv2sql {

namespace {

// The file is unbuffered, so a line is with the system when this returns: a crash of the
// program after it loses nothing, and a failed line leaves nothing behind to be written later.
bool writeRecord(std::FILE* file, const std::string& record) {
  return file != nullptr && std::fwrite(record.data(), 1, record.size(), file) == record.size();
}

}  // namespace

RunLog::RunLog(Session& session) : session_(session) {}

RunLog::~RunLog() {
  if (file_ != nullptr) std::fclose(file_);
}

std::filesystem::path RunLog::logFolder() const {
  return session_.programFolder / "log";
}

void RunLog::OpenLogFile(std::string_view prefix) {
  const std::filesystem::path folder = logFolder();
  Messages messages(session_, *this);
  if (!DirExist(messages, folder.string())) CreateDirectory(messages, folder.string());

  logFileName_ = std::string(prefix) +
                 formatDateTime(session_.clock->now(), "_____mm_dd_yyyy__hh_nn") + ".log";

  // Called while a log is still open: that handle is closed rather than lost.
  if (file_ != nullptr) std::fclose(file_);
  // Appending keeps the lines of an earlier run that got the same name within the minute.
  errno = 0;
  file_ = platform::openFile(folder / logFileName_, "ab");
  if (file_ == nullptr) throw errorFromSystem(std::error_code(errno, std::generic_category()));
  std::setvbuf(file_, nullptr, _IONBF, 0);

  WriteLog("Log file created.");
  WriteLog("");
}

void RunLog::WriteLog(std::string_view text) noexcept {
  if (quiet_) return;
  try {
    std::string record = formatDateTime(session_.clock->now(), "hh:mm:ss AMPM") + " : ";
    record += text;
    record += "\r\n";
    const bool written = writeRecord(file_, record);
    record.resize(record.size() - 2);

    if (!session_.ServiceMode && show_) show_(record);
    // A line that reached neither the file nor a window someone reads must still leave a trace.
    const bool unseen = session_.ServiceMode || !session_.hasWindow;
    if (!written && unseen && session_.errorStream != nullptr) {
      *session_.errorStream << record << std::endl;
    }
  } catch (...) {
    // Logging never stops the work it describes.
  }
}

void RunLog::CloseLogFile() {
  WriteLog("");
  WriteLog("Logging off.");
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  logFileName_.clear();
}

}  // namespace csv2sql
