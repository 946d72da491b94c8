#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace csv2sql {

// The first place at or after `from` that holds the byte a or b; npos when none does. Lines and
// fields are short, so the bytes are tested sixteen at a time where the processor compares them
// at once (SSE2: every x86-64), then eight at a time in a word (a byte matches where it XORs to
// zero), then one by one: a call of memchr costs more than such a search.
inline std::size_t findEither(std::string_view text, char a, char b, std::size_t from = 0) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t at = from;
#ifdef __SSE2__
  const __m128i as = _mm_set1_epi8(a);
  const __m128i bs = _mm_set1_epi8(b);
  for (; at + sizeof(__m128i) <= size; at += sizeof(__m128i)) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const auto found = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, as), _mm_cmpeq_epi8(bytes, bs))));
    if (found != 0) return at + static_cast<std::size_t>(std::countr_zero(found));
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto zeroBytes = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighs; };
    for (; at + sizeof(std::uint64_t) <= size; at += sizeof(std::uint64_t)) {
      std::uint64_t word = 0;
      std::memcpy(&word, data + at, sizeof word);
      // The lowest flagged byte of each is exact; flags above it may be wrong, so the lowest
      // of both is the first match.
      const std::uint64_t found = zeroBytes(word ^ (kOnes * static_cast<unsigned char>(a))) |
                                  zeroBytes(word ^ (kOnes * static_cast<unsigned char>(b)));
      if (found != 0) return at + static_cast<std::size_t>(std::countr_zero(found)) / 8;
    }
  }
  for (; at < size; ++at) {
    if (data[at] == a || data[at] == b) return at;
  }
  return std::string_view::npos;
}

}  // namespace csv2sql
