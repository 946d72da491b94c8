#include "import/source_lock.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/platform.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

std::string holderText() {
  return platform::hostName() + " " + std::to_string(platform::processId()) + "\n";
}

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool stale(const fs::path& file, const std::string& holder) {
  std::istringstream fields(holder);
  std::string host;
  long id = 0;
  if (fields >> host >> id && host == platform::hostName() && !platform::processRunning(id)) {
    return true;
  }
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(file, ec);
  return !ec && fs::file_time_type::clock::now() - written > SourceLock::kStaleAfter;
}

// Moves a stale lock aside under a name of this process's own, so that of two loaders breaking
// it at once only one does; a lock that turns out to be another's (made anew in between) is put
// back.
void breakStale(const fs::path& file, const std::string& holder) {
  fs::path aside = file;
  aside += "." + std::to_string(platform::processId()) + ".stale";
  if (platform::renameNoReplace(file, aside)) return;
  if (readText(aside) != holder && !platform::renameNoReplace(aside, file)) return;
  std::error_code ec;
  fs::remove(aside, ec);
}

}  // namespace

std::optional<SourceLock> SourceLock::take(const fs::path& folder) {
  const fs::path file = folder / kFileName;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::error_code ec = platform::createNewFile(file);
    if (!ec) {
      std::ofstream(file, std::ios::binary | std::ios::trunc) << holderText();
      return SourceLock(file);
    }
    if (ec != std::errc::file_exists) return SourceLock(fs::path());
    const std::string holder = readText(file);
    if (!stale(file, holder)) return std::nullopt;
    breakStale(file, holder);
  }
  return std::nullopt;
}

SourceLock::SourceLock(SourceLock&& other) noexcept : file_(std::exchange(other.file_, {})) {}

SourceLock::~SourceLock() {
  std::error_code ec;
  if (!file_.empty()) fs::remove(file_, ec);
}

void SourceLock::refresh() const {
  std::error_code ec;
  if (!file_.empty()) fs::last_write_time(file_, fs::file_time_type::clock::now(), ec);
}

}  // namespace csv2sql
