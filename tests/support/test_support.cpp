#include "tests/support/test_support.h"

#include "core/utf8.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace csv2sql::testing {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  do {
    path_ = std::filesystem::temp_directory_path() /
            ("csv2sql-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
  std::error_code ec;  // a test may have taken the owner's rights away
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
  const std::string text = readFile(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TestSession::TestSession() {
  session.programFolder = folder.path();
  session.clock = &clock;
  session.messageBox = &messageBox;
  session.eventLoop = &eventLoop;
  session.urlOpener = &urlOpener;
  session.errorStream = &errors;
}

std::string uniqueName(const std::string& stem) {
  static std::random_device random;
  return stem + "_" + std::to_string(random() % 1000000000u);
}

// UTF-8 text as UTF-16 with its byte order mark.
std::string asUtf16(const std::string& utf8, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  const auto unit = [&](char16_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += littleEndian ? std::string{low, high} : std::string{high, low};
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t code = *decodeUtf8(utf8, i);
    if (code < 0x10000) {
      unit(static_cast<char16_t>(code));
    } else {
      unit(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      unit(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace csv2sql::testing
