#include "core/byte_search.h"

#include <gtest/gtest.h>

#include <string>

namespace csv2sql {
namespace {

// Each way of searching (sixteen bytes at once, eight, one) must give the first match wherever
// it stands and from wherever the search starts, among bytes next to the ones sought (a word's
// borrow) or with the high bit set.
TEST(FindEither, FindsTheFirstOfTwoBytesAtEveryPlaceFromEveryStart) {
  constexpr auto npos = std::string_view::npos;
  for (const char filler : {'x', '\x0B', '\x0C', '\x80', '\xFF'}) {
    for (std::size_t size = 0; size <= 40; ++size) {
      ASSERT_EQ(findEither(std::string(size, filler), '\n', '\r'), npos) << size;
      for (std::size_t at = 0; at < size; ++at) {
        std::string text(size, filler);
        text[at] = '\r';
        const std::size_t later = at + 3 < size ? at + 3 : npos;
        if (later != npos) text[later] = '\n';
        for (std::size_t from = 0; from <= size; ++from) {
          const std::size_t expected = from <= at ? at : (from <= later ? later : npos);
          ASSERT_EQ(findEither(text, '\n', '\r', from), expected)
              << "filler " << int(filler) << ", size " << size << ", at " << at << ", from "
              << from;
        }
      }
    }
  }
}

}  // namespace
}  // namespace csv2sql
