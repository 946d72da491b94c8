#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "log/run_log.h"

namespace csv2sql {

// The rows a run skipped, one CSV line each (file, line number, the line as read cut to
// kTextBytes, the reason), in a file beside the run log that an operator can fix and drop back
// in. The file is made only when a first row is skipped.
class RejectFile {
 public:
  static constexpr std::size_t kTextBytes = 300;

  // The run log's name with ".rejects.csv" for its ".log", in the log folder.
  explicit RejectFile(const RunLog& log);
  ~RejectFile();
  RejectFile(const RejectFile&) = delete;
  RejectFile& operator=(const RejectFile&) = delete;

  // Errors of the file's open pass to the caller.
  void add(std::string_view file, std::int64_t line, std::string_view text,
           std::string_view reason);

 private:
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
};

}  // namespace csv2sql
