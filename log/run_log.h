#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "core/session.h"

namespace csv2sql {

// The one run log of the process: a file in the "log" folder beside the program, one
// time-stamped line per WriteLog, also shown where showLinesIn says unless the program runs as a
// service.
class RunLog {
 public:
  explicit RunLog(Session& session);
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Opens prefix + "_____mm_dd_yyyy__hh_nn.log" in the log folder (creating the folder), and
  // writes "Log file created." and an empty line. A file of that name is appended to. Errors
  // of the open pass to the caller; LogFileName is set before the file is opened.
  void OpenLogFile(std::string_view prefix);
  // "hh:mm:ss AMPM : " + text + CR LF, on disk before it returns. Never throws.
  void WriteLog(std::string_view text) noexcept;
  // Writes an empty line and "Logging off.", closes the file and empties LogFileName.
  void CloseLogFile();

  // While one lives, WriteLog writes nothing: for work done again whose lines are written.
  class Quiet {
   public:
    explicit Quiet(RunLog& log) : log_(log) { log_.quiet_ = true; }
    ~Quiet() { log_.quiet_ = false; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    RunLog& log_;
  };

  // Where each line is shown as well, without its line end (the window's log list).
  void showLinesIn(std::function<void(const std::string&)> show) { show_ = std::move(show); }

  // Not empty exactly while a run log is open.
  const std::string& LogFileName() const { return logFileName_; }
  std::filesystem::path logFolder() const;

 private:
  Session& session_;
  std::function<void(const std::string&)> show_;
  std::string logFileName_;
  std::FILE* file_ = nullptr;
  bool quiet_ = false;
};

}  // namespace csv2sql
