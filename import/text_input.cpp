#include "import/text_input.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/utf8.h"

namespace csv2sql {

namespace {

constexpr std::size_t kRawBlockBytes = 64 << 10;
constexpr char32_t kReplacement = 0xFFFD;

bool isHighHalf(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}
bool isLowHalf(char16_t unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}

}  // namespace

TextInput::TextInput(const std::filesystem::path& path) : file_(path) {}

bool TextInput::readFirst(char* into, std::size_t bytes, std::size_t& got) {
  started_ = true;
  if (!file_.read(into, bytes, got)) return false;
  if (got < 2) return true;
  if (into[0] == '\xFF' && into[1] == '\xFE') {
    encoding_ = Encoding::Utf16Le;
  } else if (into[0] == '\xFE' && into[1] == '\xFF') {
    encoding_ = Encoding::Utf16Be;
  } else {
    return true;
  }
  atEnd_ = got < bytes;
  raw_.assign(into + 2, got - 2);
  appendUtf8(pending_, 0xFEFF);
  convert();
  return read(into, bytes, got);
}

bool TextInput::read(char* into, std::size_t bytes, std::size_t& got) {
  if (!started_) return readFirst(into, bytes, got);
  if (encoding_ == Encoding::Bytes) return file_.read(into, bytes, got);
  got = 0;
  for (;;) {
    const std::size_t taken = std::min(bytes - got, pending_.size() - handedOut_);
    std::memcpy(into + got, pending_.data() + handedOut_, taken);
    handedOut_ += taken;
    got += taken;
    if (got == bytes) return true;
    pending_.clear();
    handedOut_ = 0;
    if (atEnd_) return true;
    if (!convertBlock()) return false;
  }
}

bool TextInput::convertBlock() {
  const std::size_t kept = raw_.size();
  raw_.resize(kept + kRawBlockBytes);
  std::size_t got = 0;
  if (!file_.read(raw_.data() + kept, kRawBlockBytes, got)) return false;
  raw_.resize(kept + got);
  atEnd_ = got < kRawBlockBytes;
  convert();
  return true;
}

void TextInput::convert() {
  const bool little = encoding_ == Encoding::Utf16Le;
  std::size_t at = 0;
  for (; at + 1 < raw_.size(); at += 2) {
    const auto first = static_cast<unsigned char>(raw_[at]);
    const auto second = static_cast<unsigned char>(raw_[at + 1]);
    const auto unit = static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
    if (highHalf_ != 0) {
      const char16_t high = std::exchange(highHalf_, 0);
      if (isLowHalf(unit)) {
        appendUtf8(pending_, 0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00));
        continue;
      }
      appendUtf8(pending_, kReplacement);
    }
    if (isHighHalf(unit)) {
      highHalf_ = unit;
    } else {
      appendUtf8(pending_, isLowHalf(unit) ? kReplacement : unit);
    }
  }
  raw_.erase(0, at);
  // What the end of the file leaves unpaired stands for a character that cannot be read.
  if (atEnd_ && (highHalf_ != 0 || !raw_.empty())) {
    appendUtf8(pending_, kReplacement);
    highHalf_ = 0;
    raw_.clear();
  }
}

}  // namespace csv2sql
