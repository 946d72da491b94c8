#include "import/reject_limit.h"

#include <charconv>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

constexpr std::int64_t kWholeShare = 100 * 100;  // 100%, in hundredths of a percent

// Digits only, as a whole number; nothing for any other text or one beyond the range.
std::optional<std::int64_t> wholeNumber(std::string_view text) {
  std::int64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || !isDigit(text.front()) || error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return number;
}

// "p" or "p.d" or "p.dd", from 0 to 100, in hundredths of a percent.
std::optional<std::int64_t> share(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const std::optional<std::int64_t> whole = wholeNumber(text.substr(0, point));
  if (!whole || *whole > 100 || fraction.size() > 2) return std::nullopt;
  std::int64_t hundredths = *whole * 100;
  if (point != std::string_view::npos) {
    const std::optional<std::int64_t> digits = wholeNumber(fraction);
    if (!digits) return std::nullopt;
    hundredths += fraction.size() == 1 ? *digits * 10 : *digits;
  }
  if (hundredths > kWholeShare) return std::nullopt;
  return hundredths;
}

}  // namespace

RejectLimit RejectLimit::read(std::string_view text) {
  const std::string_view trimmed = trimSpaces(text);
  if (trimmed.ends_with('%')) {
    if (const auto hundredths = share(trimSpaces(trimmed.substr(0, trimmed.size() - 1)))) {
      return RejectLimit(*hundredths, true);
    }
  } else if (const auto rows = wholeNumber(trimmed)) {
    return RejectLimit(*rows, false);
  }
  throw Error(err::InvalidProcedureCall,
              "Invalid procedure call or argument: REJECTLIMIT (Reject Limit) is " +
                  std::string(text) +
                  ", it must be a number of rows such as 10 or a share of the rows such as 5%");
}

bool RejectLimit::exceededBy(std::int64_t skipped, std::int64_t examined) const {
  if (!share_) return skipped > amount_;
  return skipped * kWholeShare > amount_ * examined;
}

}  // namespace csv2sql
