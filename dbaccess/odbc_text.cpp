#include "dbaccess/odbc_text.h"

#include <optional>

#include "core/utf8.h"
#include "dbaccess/database.h"

namespace csv2sql::db::odbc {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

WideText toWide(std::string_view utf8, std::string_view what) {
  WideText wide;
  wide.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> code = decodeUtf8(utf8, i);
    if (!code) {
      throw DatabaseError(0, "22021",
                          "invalid byte sequence for encoding UTF8 in " + std::string(what));
    }
    if (*code < 0x10000) {
      wide.push_back(static_cast<SQLWCHAR>(*code));
    } else {
      const char32_t offset = *code - 0x10000;
      wide.push_back(static_cast<SQLWCHAR>(0xD800 + (offset >> 10)));
      wide.push_back(static_cast<SQLWCHAR>(0xDC00 + (offset & 0x3FF)));
    }
  }
  return wide;
}

std::string toUtf8(const SQLWCHAR* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace csv2sql::db::odbc
