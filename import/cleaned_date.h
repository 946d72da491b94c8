#pragma once

#include <array>
#include <string>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/text.h"

namespace csv2sql {

// The date-time text of a cell as rows are checked: spaces around it removed, then every
// capital "T" made a blank and every capital "Z" removed, so ISO UTC stamps read as local
// forms. Kept on the stack; only a text longer than any date form takes the heap.
class CleanedDate {
 public:
  explicit CleanedDate(std::string_view cell) {
    const std::string_view trimmed = trimSpaces(cell);
    char* out = room_.data();
    if (trimmed.size() > room_.size()) {
      spill_.resize(trimmed.size());
      out = spill_.data();
    }
    std::size_t length = 0;
    std::size_t at = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time while they hold no "Z": each "T" among them made a blank.
    const __m128i ts = _mm_set1_epi8('T');
    const __m128i zs = _mm_set1_epi8('Z');
    const __m128i blanks = _mm_set1_epi8(' ');
    for (; at + sizeof(__m128i) <= trimmed.size(); at += sizeof(__m128i)) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(trimmed.data() + at));
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zs)) != 0) break;
      const __m128i isT = _mm_cmpeq_epi8(bytes, ts);
      const __m128i cleaned =
          _mm_or_si128(_mm_andnot_si128(isT, bytes), _mm_and_si128(isT, blanks));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + length), cleaned);
      length += sizeof(__m128i);
    }
#endif
    for (; at < trimmed.size(); ++at) {
      const char c = trimmed[at];
      if (c != 'Z') out[length++] = c == 'T' ? ' ' : c;
    }
    text_ = std::string_view(out, length);
  }
  CleanedDate(const CleanedDate&) = delete;
  CleanedDate& operator=(const CleanedDate&) = delete;

  std::string_view text() const {
    return text_;
  }

 private:
  std::array<char, 96> room_;
  std::string spill_;
  std::string_view text_;
};

}  // namespace csv2sql
