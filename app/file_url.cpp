#include "app/file_url.h"

namespace csv2sql {

namespace {

bool keptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
}

}  // namespace

std::string fileUrl(const std::filesystem::path& path) {
  const std::u8string generic = std::filesystem::absolute(path).generic_u8string();
  static constexpr char kHex[] = "0123456789ABCDEF";
  // A Windows path ("C:/...") needs the third slash that a POSIX path brings itself.
  std::string url = generic.starts_with(u8"/") ? "file://" : "file:///";
  for (const char8_t ch : generic) {
    const auto c = static_cast<unsigned char>(ch);
    if (keptAsIs(c)) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0x0F];
    }
  }
  return url;
}

}  // namespace csv2sql
