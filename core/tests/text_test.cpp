#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "core/error.h"
#include "core/tests/core_test_support.h"

namespace csv2sql {
namespace {

using testing::caseName;
using testing::errorNumber;
using testing::PrintTo;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// ---- trimming

struct TrimCase {
  std::string name, text, expected;
};
class TrimSpaces : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimSpaces, RemovesSpacesOnly) {
  EXPECT_EQ(trimSpaces(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Text, TrimSpaces,
                         ::testing::Values(TrimCase{"BothSides", "  a b  ", "a b"},
                                           TrimCase{"TabsStay", " \ta\t ", "\ta\t"},
                                           TrimCase{"LineEndsStay", "\r\n", "\r\n"},
                                           TrimCase{"OnlySpaces", "   ", ""},
                                           TrimCase{"Empty", "", ""},
                                           TrimCase{"NothingToTrim", "x", "x"}),
                         caseName<TrimCase>);

class EchoedCell : public ::testing::TestWithParam<TrimCase> {};

TEST_P(EchoedCell, CutsALongCellAtAWholeCharacterWithAMark) {
  EXPECT_EQ(echoedCell(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, EchoedCell,
    ::testing::Values(TrimCase{"ShortKept", "a,b", "a,b"},
                      TrimCase{"LongestKept", std::string(300, 'x'), std::string(300, 'x')},
                      TrimCase{"OneMoreCut", std::string(301, 'x'),
                               std::string(300, 'x') + "...(cut, 301 bytes in all)"},
                      TrimCase{"SequenceAcrossTheCutLeftOut", std::string(299, 'x') + "\xC3\xA9yz",
                               std::string(299, 'x') + "...(cut, 303 bytes in all)"}),
    caseName<TrimCase>);

// ---- the numeric test

struct NumberCase {
  std::string name, text;
  double value;
};
class NumericAccepted : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumericAccepted, GivesTheNumber) {
  const auto& c = GetParam();
  ASSERT_TRUE(isNumeric(c.text));
  EXPECT_EQ(parseNumber(c.text), c.value);
  EXPECT_EQ(toDouble(c.text), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Text, NumericAccepted,
    ::testing::Values(
        NumberCase{"Integer", "12", 12}, NumberCase{"SpacesAround", " -1.5 ", -1.5},
        NumberCase{"PlusSign", "+2", 2}, NumberCase{"Exponent", "2e3", 2000},
        NumberCase{"UpperExponentNegative", "1.5E-3", 0.0015},
        NumberCase{"ExponentWithPlus", "1e+2", 100}, NumberCase{"LeadingPoint", ".5", 0.5},
        NumberCase{"TrailingPoint", "5.", 5}, NumberCase{"NegativeLeadingPoint", "-.25", -0.25},
        NumberCase{"LeadingZeros", "000000000000000000000000000042", 42},
        NumberCase{"ManyFractionDigits", "0.10000000000000000000000000000000001", 0.1},
        NumberCase{"NearestDouble", "0.1", 0.1},
        NumberCase{"LargestDouble", "1.7976931348623157e308", std::numeric_limits<double>::max()},
        NumberCase{"HugeExponentIsInfinite", "1e400", kInfinity},
        NumberCase{"HugeNegativeIsNegativeInfinite", "-1e400", -kInfinity},
        NumberCase{"TinyExponentIsZero", "1e-400", 0},
        NumberCase{"ExponentBeyondAnyInteger", "1e99999999999999999999", kInfinity},
        NumberCase{"ZeroWithHugeExponent", "0e999999", 0}),
    caseName<NumberCase>);

TEST(NumericAccepted, ThousandDigitIntegerIsInfinite) {
  EXPECT_EQ(parseNumber("1" + std::string(1000, '0')), kInfinity);
}

TEST(NumericAccepted, ThousandDigitFractionKeepsItsValue) {
  EXPECT_EQ(parseNumber("0." + std::string(1000, '0') + "1e1002"), 10.0);
  EXPECT_EQ(parseNumber("2." + std::string(1000, '0') + "1"), 2.0);
}

struct TextCase {
  std::string name, text;
};
class NumericRejected : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumericRejected, IsNoNumber) {
  const auto& text = GetParam().text;
  EXPECT_FALSE(isNumeric(text));
  EXPECT_EQ(parseNumber(text), std::nullopt);
  EXPECT_EQ(errorNumber([&] { toDouble(text); }), err::TypeMismatch);
}

INSTANTIATE_TEST_SUITE_P(
    Text, NumericRejected,
    ::testing::Values(
        TextCase{"Empty", ""}, TextCase{"OnlySpaces", "   "}, TextCase{"SignOnly", "-"},
        TextCase{"PointOnly", "."}, TextCase{"SignAndPoint", "+."}, TextCase{"ExponentOnly", "e5"},
        TextCase{"ExponentWithoutDigits", "1e"}, TextCase{"ExponentSignWithoutDigits", "1e+"},
        TextCase{"Infinity", "inf"}, TextCase{"NotANumber", "nan"}, TextCase{"Hexadecimal", "0x1A"},
        TextCase{"ThousandsSeparator", "1,000"}, TextCase{"CommaDecimal", "1,5"},
        TextCase{"EmbeddedBlank", "1 2"}, TextCase{"LeadingTab", "\t1"},
        TextCase{"TrailingTab", "1\t"}, TextCase{"TrailingLineFeed", "1\n"},
        TextCase{"TwoSigns", "+-1"}, TextCase{"Word", "abc"}, TextCase{"TrailingLetter", "12a"},
        TextCase{"TwoPoints", "1.2.3"}, TextCase{"NulInside", std::string("1\0", 2)},
        TextCase{"HighBytes", "\xff\xfe"}),
    caseName<TextCase>);

// ---- whole-number conversion

struct RoundCase {
  std::string name;
  double value;
  std::int32_t expected;
};
class RoundToInt16 : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundToInt16, RoundsHalfToEven) {
  EXPECT_EQ(roundToInt16(GetParam().value), GetParam().expected);
  EXPECT_EQ(roundToInt32(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, RoundToInt16,
    ::testing::Values(
        RoundCase{"HalfDownToEven", 2.5, 2}, RoundCase{"HalfUpToEven", 3.5, 4},
        RoundCase{"HalfToZero", 0.5, 0}, RoundCase{"OneAndAHalf", 1.5, 2},
        RoundCase{"NegativeHalfToEven", -2.5, -2}, RoundCase{"NegativeHalfAwayToEven", -3.5, -4},
        RoundCase{"NegativeHalfToZero", -0.5, 0}, RoundCase{"JustBelowHalf", 2.4999999, 2},
        RoundCase{"JustAboveHalf", 2.5000001, 3}, RoundCase{"Whole", 7, 7},
        RoundCase{"Largest", 32767, 32767}, RoundCase{"LargestRoundedDown", 32767.4, 32767},
        RoundCase{"Smallest", -32768, -32768}, RoundCase{"SmallestHalfToEven", -32768.5, -32768}),
    caseName<RoundCase>);

struct OverflowCase {
  std::string name;
  double value;
};
class RoundToInt16Overflow : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(RoundToInt16Overflow, IsErrorSix) {
  EXPECT_EQ(errorNumber([&] { roundToInt16(GetParam().value); }), err::Overflow);
}

INSTANTIATE_TEST_SUITE_P(Text, RoundToInt16Overflow,
                         ::testing::Values(OverflowCase{"HalfAboveLargestRoundsUp", 32767.5},
                                           OverflowCase{"OneAboveLargest", 32768},
                                           OverflowCase{"OneBelowSmallest", -32769},
                                           OverflowCase{"BelowSmallestHalf", -32768.6},
                                           OverflowCase{"Infinite", kInfinity},
                                           OverflowCase{"NegativeInfinite", -kInfinity},
                                           OverflowCase{"NotANumber",
                                                        std::numeric_limits<double>::quiet_NaN()}),
                         caseName<OverflowCase>);

TEST(RoundToInt32, KeepsTheWholeRangeAndRoundsHalfToEven) {
  EXPECT_EQ(roundToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(roundToInt32(2147483646.5), 2147483646);
  EXPECT_EQ(roundToInt32(-2147483648.5), -2147483647 - 1);
  EXPECT_EQ(roundToInt32(40000.5), 40000);
  EXPECT_EQ(errorNumber([] { roundToInt32(2147483647.5); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { roundToInt32(-2147483649.0); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { roundToInt32(1e10); }), err::Overflow);
}

TEST(WholeNumberText, ConvertsByTheNumericTest) {
  EXPECT_EQ(toInt16(" 2.5 "), 2);
  EXPECT_EQ(toInt16("-3.5"), -4);
  EXPECT_EQ(toInt16("1e2"), 100);
  EXPECT_EQ(toInt32(" 30 "), 30);
  EXPECT_EQ(toInt32("40000"), 40000);
}

TEST(WholeNumberText, NoNumberIsErrorThirteen) {
  EXPECT_EQ(errorNumber([] { toInt16("abc"); }), err::TypeMismatch);
  EXPECT_EQ(errorNumber([] { toInt16(""); }), err::TypeMismatch);
  EXPECT_EQ(errorNumber([] { toInt32("1 2"); }), err::TypeMismatch);
  EXPECT_EQ(errorNumber([] { toInt32("\t5"); }), err::TypeMismatch);
}

TEST(WholeNumberText, OutOfRangeIsErrorSix) {
  EXPECT_EQ(errorNumber([] { toInt16("40000"); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { toInt16("32767.5"); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { toInt16("1e400"); }), err::Overflow);
  EXPECT_EQ(errorNumber([] { toInt32("3e9"); }), err::Overflow);
}

// ---- the leading number

class LeadingNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart) {
  EXPECT_EQ(leadingNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Text, LeadingNumber,
    ::testing::Values(
        NumberCase{"Fraction", "2.5", 2.5}, NumberCase{"WordAfter", "5 minutes", 5},
        NumberCase{"BlankInside", "1 2", 12}, NumberCase{"Word", "abc", 0},
        NumberCase{"Empty", "", 0}, NumberCase{"Negative", "-3", -3},
        NumberCase{"ExponentThenLetter", "1e3x", 1000},
        NumberCase{"ExponentWithoutDigits", "1e", 1},
        NumberCase{"ExponentSignWithoutDigits", "1e+", 1}, NumberCase{"SignOnly", "-", 0},
        NumberCase{"PointOnly", ".", 0}, NumberCase{"LeadingPoint", ".5", 0.5},
        NumberCase{"PlusSign", "+4", 4}, NumberCase{"TabsAndLineFeeds", "\t 7\n", 7},
        NumberCase{"BlankAfterSign", " - 5", -5}, NumberCase{"BlanksInExponent", "1 e 3", 1000},
        NumberCase{"SecondPointEnds", "1.2.3", 1.2}, NumberCase{"CommaEnds", "5,5", 5},
        NumberCase{"TwoSigns", "--5", 0}, NumberCase{"CarriageReturnEnds", "1\r2", 1},
        NumberCase{"CarriageReturnFirst", "\r5", 0},
        NumberCase{"HugeIsInfinite", "1e400", kInfinity},
        NumberCase{"BinaryBytes", std::string("\xff\0\x01", 3), 0},
        NumberCase{"NulEnds",
                   std::string("4\0"
                               "2",
                               3),
                   4}),
    caseName<NumberCase>);

TEST(LeadingNumber, LongTextsNeedNoRoomForTheirLength) {
  EXPECT_EQ(leadingNumber(std::string(100000, ' ') + "3"), 3);
  EXPECT_EQ(leadingNumber("1" + std::string(5000, '0')), kInfinity);
  EXPECT_EQ(leadingNumber("0." + std::string(5000, '0') + "1"), 0);
}

}  // namespace
}  // namespace csv2sql
