#include "core/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <random>
#include <string>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::errorNumber;
using testing::expectRows;
using testing::Row;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(TrimSpaces, RemovesSpacesOnly) {
  EXPECT_EQ(trimSpaces("  a b  "), "a b");
  EXPECT_EQ(trimSpaces(" \ta\t "), "\ta\t");
  EXPECT_EQ(trimSpaces("   "), "");
  EXPECT_EQ(trimSpaces(""), "");
}

// The numeric test, and toDouble by it: a number, or no number and error 13.
TEST(ParseNumber, AcceptsDecimalsWithSignFractionAndExponentOnly) {
  const Row<std::string, std::optional<double>> rows[] = {
      {"spaces_around", " -1.5 ", -1.5},
      {"plus_sign", "+2", 2},
      {"exponent", "2e3", 2000},
      {"upper_exponent_negative", "1.5E-3", 0.0015},
      {"exponent_with_plus", "1e+2", 100},
      {"leading_point", ".5", 0.5},
      {"trailing_point", "5.", 5},
      {"negative_leading_point", "-.25", -0.25},
      {"leading_zeros", "000000000000000000000000000042", 42},
      {"many_fraction_digits", "0.10000000000000000000000000000000001", 0.1},
      {"largest_double", "1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"huge_exponent_is_infinite", "1e400", kInfinity},
      {"huge_negative_is_negative_infinite", "-1e400", -kInfinity},
      {"tiny_exponent_is_zero", "1e-400", 0},
      {"exponent_beyond_any_integer", "1e99999999999999999999", kInfinity},
      {"zero_with_huge_exponent", "0e999999", 0},
      {"thousand_digit_integer_is_infinite", "1" + std::string(1000, '0'), kInfinity},
      {"thousand_digit_fraction", "0." + std::string(1000, '0') + "1e1002", 10},
      {"fraction_digits_past_the_buffer", "2." + std::string(1000, '0') + "1", 2},

      {"empty", "", std::nullopt},
      {"only_spaces", "   ", std::nullopt},
      {"sign_only", "-", std::nullopt},
      {"point_only", ".", std::nullopt},
      {"sign_and_point", "+.", std::nullopt},
      {"exponent_only", "e5", std::nullopt},
      {"bare_exponent", "1e", std::nullopt},
      {"exponent_sign_only", "1e+", std::nullopt},
      {"infinity", "inf", std::nullopt},
      {"not_a_number", "nan", std::nullopt},
      {"hexadecimal", "0x1A", std::nullopt},
      {"comma_decimal", "1,5", std::nullopt},
      {"embedded_blank", "1 2", std::nullopt},
      {"leading_tab", "\t1", std::nullopt},
      {"trailing_line_feed", "1\n", std::nullopt},
      {"two_signs", "+-1", std::nullopt},
      {"trailing_letter", "12a", std::nullopt},
      {"two_points", "1.2.3", std::nullopt},
      {"nul_inside", std::string("1\0", 2), std::nullopt},
      {"high_bytes", "\xff\xfe", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(parseNumber(row.in), row.out) << row.name;
    EXPECT_EQ(isNumeric(row.in), row.out.has_value()) << row.name;
    if (row.out) {
      EXPECT_EQ(toDouble(row.in), *row.out) << row.name;
    } else {
      EXPECT_EQ(errorNumber([&] { toDouble(row.in); }), err::TypeMismatch) << row.name;
    }
  }
}

// Plain decimals take a short path; it must give the same double as a full conversion.
TEST(ParseNumber, PlainDecimalsMatchFullConversionToTheLastBit) {
  std::mt19937_64 random(20261206);
  for (int i = 0; i < 100000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 15);
    const int point = static_cast<int>(random() % (digits + 1));
    std::string text;
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(parseNumber(text), expected) << text;
    ASSERT_EQ(parseNumber("-" + text), -expected) << text;
  }
}

TEST(RoundToInt, RoundsHalfToEvenWithinTheRange) {
  const struct {
    const char* name;
    double value;
    int int16;  // 0: error 6
  } cases[] = {
      {"half_down_to_even", 2.5, 2},
      {"half_up_to_even", 3.5, 4},
      {"half_to_zero", 0.5, 0},
      {"negative_half_to_even", -2.5, -2},
      {"negative_half_away_to_even", -3.5, -4},
      {"just_below_half", 2.4999999, 2},
      {"just_above_half", 2.5000001, 3},
      {"largest_rounded_down", 32767.4, 32767},
      {"smallest_half_to_even", -32768.5, -32768},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(roundToInt16(c.value), c.int16) << c.name;
    EXPECT_EQ(roundToInt32(c.value), c.int16) << c.name;
  }
  for (const double value : {32767.5, 32768.0, -32769.0, -32768.6, kInfinity, -kInfinity, kNaN}) {
    EXPECT_EQ(errorNumber([&] { roundToInt16(value); }), err::Overflow) << value;
  }
  EXPECT_EQ(roundToInt32(2147483646.5), 2147483646);
  EXPECT_EQ(roundToInt32(-2147483648.5), -2147483647 - 1);
  for (const double value : {2147483647.5, -2147483649.0, 1e10, kNaN}) {
    EXPECT_EQ(errorNumber([&] { roundToInt32(value); }), err::Overflow) << value;
  }
}

TEST(WholeNumberText, ConvertsByTheNumericTest) {
  EXPECT_EQ(toInt16(" 2.5 "), 2);
  EXPECT_EQ(toInt16("1e2"), 100);
  EXPECT_EQ(toInt32("40000"), 40000);
  EXPECT_EQ(errorNumber([] { toInt16("abc"); }), err::TypeMismatch);
  EXPECT_EQ(errorNumber([] { toInt32("\t5"); }), err::TypeMismatch);
  EXPECT_EQ(errorNumber([] { toInt16("40000"); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { toInt32("3e9"); }), err::Overflow);
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  const Row<std::string, double> rows[] = {
      {"word_after", "5 minutes", 5},
      {"blank_inside", "1 2", 12},
      {"word", "abc", 0},
      {"empty", "", 0},
      {"exponent_then_letter", "1e3x", 1000},
      {"exponent_without_digits", "1e", 1},
      {"exponent_sign_without_digits", "1e+", 1},
      {"sign_only", "-", 0},
      {"point_only", ".", 0},
      {"leading_point", ".5", 0.5},
      {"plus_sign", "+4", 4},
      {"tabs_and_line_feeds", "\t 7\n", 7},
      {"blank_after_sign", " - 5", -5},
      {"blanks_in_exponent", "1 e 3", 1000},
      {"second_point_ends", "1.2.3", 1.2},
      {"comma_ends", "5,5", 5},
      {"two_signs", "--5", 0},
      {"carriage_return_ends", "1\r2", 1},
      {"carriage_return_first", "\r5", 0},
      {"huge_is_infinite", "1e400", kInfinity},
      {"nul_ends",
       std::string("4\0"
                   "2",
                   3),
       4},
      {"binary_bytes", std::string("\xff\0\x01", 3), 0},
      {"long_blanks_before", std::string(100000, ' ') + "3", 3},
      {"long_integer", "1" + std::string(5000, '0'), kInfinity},
      {"long_fraction", "0." + std::string(5000, '0') + "1", 0},
  };
  expectRows(rows, [](const std::string& text) { return leadingNumber(text); });
}

}  // namespace
}  // namespace csv2sql
