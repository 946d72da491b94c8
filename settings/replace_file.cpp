#include "settings/replace_file.h"

#include <cstdio>
#include <utility>

#include "core/error.h"
#include "core/file_handle.h"
#include "core/platform.h"
#include "core/system_error.h"

namespace csv2sql {

namespace {

// The new contents beside the target, removed again unless they were renamed over it. Only a
// file this object created is removed, never a folder or file that stood at the name before.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    std::error_code ignored;
    if (created_) std::filesystem::remove(path_, ignored);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void write(std::string_view contents) {
    std::error_code ec;
    FileHandle file = openFile(path_, "wb", ec);
    if (!file) throw errorFromSystem(ec, SystemTarget::Folder);
    created_ = true;
    // Before the contents (a password among them) reach the file.
    platform::restrictToOwner(path_);
    if (std::fwrite(contents.data(), 1, contents.size(), file.get()) != contents.size() ||
        std::fflush(file.get()) != 0) {
      throw errorFromSystem(lastFileError());
    }
    if (std::fclose(file.release()) != 0) throw errorFromSystem(lastFileError());
  }

  void renameTo(const std::filesystem::path& target) {
    std::error_code ec;
    std::filesystem::rename(path_, target, ec);
    if (ec) throw errorFromSystem(ec, SystemTarget::File);
    created_ = false;
  }

 private:
  std::filesystem::path path_;
  bool created_ = false;
};

}  // namespace

void replaceFile(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  TemporaryFile file(std::move(temporary));
  file.write(contents);
  file.renameTo(path);
}

}  // namespace csv2sql
