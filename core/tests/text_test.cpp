#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::errorNumber;
using testing::Row;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The numeric test, and toDouble by it: a number, or no number and error 13.
TEST(ParseNumber, AcceptsDecimalsWithSignFractionAndExponentOnly) {
  const std::string zeros(1000, '0');
  const Row<std::string, std::optional<double>> rows[] = {
      {"spaces_around", " -1.5 ", -1.5},
      {"fifteen_digits", "1234567890.12345", 1234567890.12345},
      {"sixteen_digits", "-1234567890.123456", -1234567890.123456},
      {"point_ends", "+7.", 7},
      {"point_starts", ".25", 0.25},
      {"point_alone", ".", std::nullopt},
      {"two_points", "1.2.3", std::nullopt},
      {"exponent", "1.5E-3", 0.0015},
      {"leading_zeros", "000000000000000000000000000042", 42},
      {"tiny_exponent", "1e-400", 0},
      {"exponent_beyond_any_integer", "1e99999999999999999999", kInfinity},
      {"zero_with_huge_exponent", "0e999999", 0},
      {"thousand_digit_integer", "1" + zeros, kInfinity},
      {"thousand_digit_fraction", "0." + zeros + "1e1002", 10},
      {"fraction_past_the_buffer", "2." + zeros + "1", 2},
      {"sign_only", "-", std::nullopt},
      {"bare_exponent", "1e", std::nullopt},
      {"trailing_letter", "12a", std::nullopt},
      {"tab_is_no_blank", "\t1", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(parseNumber(row.in), row.out) << row.name;
    EXPECT_EQ(isNumeric(row.in), row.out.has_value()) << row.name;
    const int error = row.out ? 0 : err::TypeMismatch;
    EXPECT_EQ(errorNumber([&] { toDouble(row.in); }), error) << row.name;
  }
}

TEST(RoundToInt, RoundsHalfToEvenWithinTheRange) {
  for (const auto& [in, out] : {std::pair{3.5, 4}, {2.5, 2}, {2.6, 3}}) {
    EXPECT_EQ(roundToInt16(in), out) << in;
    EXPECT_EQ(roundToInt32(in), out) << in;
  }
  EXPECT_EQ(errorNumber([] { roundToInt16(32767.5); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { roundToInt16(std::nan("")); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { roundToInt32(2147483647.5); }), err::Overflow);
}

// The scheduler's tests read the minutes text by it; here the exponent's edges.
TEST(LeadingNumber, ReadsTheNumberAtTheStartOverBlanks) {
  EXPECT_EQ(leadingNumber("\t 1 e 3\n"), 1000);
  EXPECT_EQ(leadingNumber("1e+x"), 1);
}

// The 64 MiB cell of the program's bad-input test is cut with its mark; here the edges of the cut.
TEST(EchoedCell, KeepsThreeHundredBytesAndCutsNoUtf8CharacterInTwo) {
  const std::string kept(299, 'x');
  EXPECT_EQ(echoedCell(kept + "y"), kept + "y");
  EXPECT_EQ(echoedCell(kept + "\xC3\xA9yz"), kept + "...(cut, 303 bytes in all)");
  // Only the beginning held, of a cell of a line too long to be held whole.
  EXPECT_EQ(echoedCell(kept + "yz", 5'000'000), kept + "y...(cut, 5000000 bytes in all)");
  EXPECT_EQ(echoedCell("ab", 301), "ab...(cut, 301 bytes in all)");
}

}  // namespace
}  // namespace csv2sql
