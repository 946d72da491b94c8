#include "settings/ini_items.h"

#include <string_view>

#include "core/file_handle.h"
#include "core/system_error.h"

namespace csv2sql {

namespace {

constexpr std::array<bool, 256> stopsAt(std::string_view bytes) {
  std::array<bool, 256> stops{};
  for (const char byte : bytes) stops[static_cast<unsigned char>(byte)] = true;
  return stops;
}

constexpr auto kDelimiters = stopsAt(",\r\n");
constexpr auto kClosingQuote = stopsAt("\"");

}  // namespace

bool IniItemReader::available() {
  if (position_ < end_) return true;
  position_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (end_ == 0 && std::ferror(file_)) {
    throw errorFromSystem(lastFileError(), SystemTarget::File);
  }
  return end_ > 0;
}

bool IniItemReader::advanceUntil(const std::array<bool, 256>& stops, std::string* target) {
  while (available()) {
    // Plain pointers: this loop sees every byte of the file.
    const char* const start = buffer_.data() + position_;
    const char* const end = buffer_.data() + end_;
    const bool* const isStop = stops.data();
    const char* stop = start;
    while (stop != end && !isStop[static_cast<unsigned char>(*stop)]) ++stop;
    if (target) target->append(start, stop);
    position_ += static_cast<std::size_t>(stop - start);
    if (stop != end) return true;
  }
  return false;
}

void IniItemReader::skipSpaces() {
  while (available() && buffer_[position_] == ' ') ++position_;
}

void IniItemReader::skipDelimiter() {
  endedAtComma_ = false;
  if (!available()) return;
  const char delimiter = buffer_[position_++];
  endedAtComma_ = delimiter == ',';
  if (delimiter == '\r' && available() && buffer_[position_] == '\n') ++position_;
}

bool IniItemReader::next(std::string& item) {
  item.clear();
  skipSpaces();
  if (!available()) return false;
  if (buffer_[position_] == '"') {
    ++position_;
    if (advanceUntil(kClosingQuote, &item)) ++position_;
    advanceUntil(kDelimiters, nullptr);
  } else {
    advanceUntil(kDelimiters, &item);
    item.erase(item.find_last_not_of(' ') + 1);
  }
  skipDelimiter();
  return true;
}

}  // namespace csv2sql
