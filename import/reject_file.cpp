#include "import/reject_file.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "core/platform.h"
#include "core/system_error.h"

namespace csv2sql {

namespace {

// A text cut to at most bytes, never inside a UTF-8 sequence.
std::string_view cut(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
  return text.substr(0, bytes);
}

void appendField(std::string& line, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    line += text;
    return;
  }
  line += '"';
  for (const char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

RejectFile::RejectFile(const RunLog& log)
    : path_(log.logFolder() /
            std::filesystem::path(log.LogFileName()).replace_extension(".rejects.csv")) {}

RejectFile::~RejectFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void RejectFile::add(std::string_view file, std::int64_t line, std::string_view text,
                     std::string_view reason) {
  std::string record;
  if (file_ == nullptr) {
    // A log continued by a later run of the day continues its reject file too.
    std::error_code ec;
    const bool fresh = !std::filesystem::exists(path_, ec);
    errno = 0;
    file_ = platform::openFile(path_, "ab");
    if (file_ == nullptr) throw errorFromSystem(std::error_code(errno, std::generic_category()));
    if (fresh) record = "File,Line,Text,Reason\r\n";
  }
  appendField(record, file);
  record += ',' + std::to_string(line) + ',';
  appendField(record, cut(text, kTextBytes));
  record += ',';
  appendField(record, reason);
  record += "\r\n";
  errno = 0;
  if (std::fwrite(record.data(), 1, record.size(), file_) != record.size() ||
      std::fflush(file_) != 0) {
    throw errorFromSystem(std::error_code(errno, std::generic_category()));
  }
}

}  // namespace csv2sql
