#include "import/file_group.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/fault_point.h"

namespace csv2sql {

void FileGroup::begin(DateTime now) {
  if (transaction_) return;
  transaction_.emplace(connection_);
  opened_ = now;
}

void FileGroup::add(SentFile file, std::unique_ptr<ArchiveMove> move, bool recorded) {
  readings_ += file.counts.stored;
  entries_.push_back({std::move(file), std::move(move), recorded});
}

bool FileGroup::full(DateTime now) const {
  return ledger_ == nullptr || readings_ >= kReadings ||
         now.microseconds() - opened_.microseconds() >= kMicros;
}

std::vector<std::string> FileGroup::commit() {
  if (!transaction_) return {};
  if (ledger_ != nullptr) {
    std::vector<Ledger::Row> rows;
    for (const Entry& entry : entries_) {
      if (entry.recorded) continue;
      const SentFile& file = entry.file;
      rows.push_back({file.name, file.end.offset, file.end.hash, file.counts, file.at});
    }
    ledger_->record(rows);
    faultPoint("ledger-write");
  }
  faultPoint("before-commit");
  transaction_->commit();
  faultPoint("after-commit");
  transaction_.reset();
  readings_ = 0;
  // Taken out first: a move that fails leaves the later files for the next run, which finds
  // them in the ledger and only moves them.
  const std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  std::vector<std::string> forestalled;
  for (const Entry& entry : entries) {
    if (!entry.move) continue;
    try {
      ArchiveFile(*entry.move);
    } catch (const Error& error) {
      if (!takenByAnotherLoader(error)) throw;
      forestalled.push_back(entry.file.name);
    }
  }
  return forestalled;
}

void FileGroup::rollBack() {
  transaction_.reset();
  entries_.clear();
  readings_ = 0;
}

std::vector<FileGroup::Entry> FileGroup::rollBackAll() {
  transaction_.reset();
  readings_ = 0;
  return std::exchange(entries_, {});
}

std::vector<SentFile> FileGroup::rollBackAllBut(const std::string& name) {
  transaction_.reset();
  std::erase_if(entries_, [&](const Entry& entry) { return entry.file.name == name; });
  std::vector<SentFile> files;
  readings_ = 0;
  for (const Entry& entry : entries_) {
    files.push_back(entry.file);
    readings_ += entry.file.counts.stored;
  }
  return files;
}

}  // namespace csv2sql
