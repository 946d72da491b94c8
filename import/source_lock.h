#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace csv2sql {

// Without the ledger nothing in the destination tells two loaders on one source folder that a
// file is taken, so a run holds a lock file in the folder for its whole length, created only
// when it does not exist (an exclusive create: atomic on a local disk, on SMB shares and on NFS
// from version 3). It holds "host pid" of its holder. A lock is stale, and is broken, when its
// holder ran on this computer and runs no more, or when it was not refreshed for kStaleAfter
// (a holder on another computer that stopped).
class SourceLock {
 public:
  static constexpr std::chrono::minutes kStaleAfter{15};
  static constexpr const char* kFileName = ".csv2sql.lock";

  // The lock, or nothing when another loader holds it. A folder where no file can be created
  // (read-only) gets a lock that holds nothing: no run can archive from it either.
  static std::optional<SourceLock> take(const std::filesystem::path& folder);

  SourceLock(SourceLock&& other) noexcept;
  SourceLock& operator=(SourceLock&&) = delete;
  SourceLock(const SourceLock&) = delete;
  SourceLock& operator=(const SourceLock&) = delete;
  ~SourceLock();

  // Shows other loaders that the holder still works: its time of change set to now.
  void refresh() const;

 private:
  explicit SourceLock(std::filesystem::path file) : file_(std::move(file)) {}
  std::filesystem::path file_;  // empty: nothing held
};

}  // namespace csv2sql
