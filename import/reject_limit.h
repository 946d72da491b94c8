#pragma once

#include <cstdint>
#include <string_view>

namespace csv2sql {

// How many of a file's rows may be skipped before the file is taken for one of a shape the
// settings do not read (a new delimiter, another date form) rather than one with a few bad
// rows: a count of rows, or a share of the rows examined.
class RejectLimit {
 public:
  // "n", a whole number of rows, or "p%", a share from 0 to 100 with at most two decimals
  // ("5%", "0.5%"); spaces around either are ignored. Error 5 naming REJECTLIMIT for any other
  // text.
  static RejectLimit read(std::string_view text);

  // Whether a file whose `examined` rows had `skipped` skipped is over the limit.
  bool exceededBy(std::int64_t skipped, std::int64_t examined) const;

 private:
  RejectLimit(std::int64_t amount, bool share) : amount_(amount), share_(share) {}

  std::int64_t amount_;  // rows, or hundredths of a percent
  bool share_;
};

}  // namespace csv2sql
