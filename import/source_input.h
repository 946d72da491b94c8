#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

#include "core/platform.h"

namespace csv2sql {

// Whether a source file is read through gzip: its name ends in ".gz", in any letter case.
bool isGzipName(std::string_view fileName);

// The bytes of a source file as its lines are read from them: the file's own, or, for a gzip
// file, its data inflated as it is read, a block at a time, so a compressed file is never held
// whole either. Members that follow one another (appended gzip files) read as one text.
class SourceInput {
 public:
  explicit SourceInput(const std::filesystem::path& path);
  ~SourceInput();
  SourceInput(const SourceInput&) = delete;
  SourceInput& operator=(const SourceInput&) = delete;

  platform::InputFile::State state() const { return file_.state(); }
  // Reads `bytes` into `into`, fewer only at the end; false when a read of the file fails.
  // Gzip data that is damaged, or that ends before its last member does, is error 75 naming the
  // file and why: its lines must never pass for the whole file.
  bool read(char* into, std::size_t bytes, std::size_t& got);

 private:
  platform::InputFile file_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;  // none for a file read as it is
};

}  // namespace csv2sql
