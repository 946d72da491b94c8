#include <gtest/gtest.h>

#include <string>

#include "components/db/database.h"
#include "components/db/odbc_text.h"

namespace csv2sql::db::odbc {
namespace {

struct RoundTrip {
  const char* name;
  std::string utf8;
  WideText wide;
};

class OdbcText : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(OdbcText, TravelsBothWays) {
  EXPECT_EQ(toWide(GetParam().utf8, "a test"), GetParam().wide);
  EXPECT_EQ(toUtf8(GetParam().wide.data(), GetParam().wide.size()), GetParam().utf8);
}

const RoundTrip kRoundTrips[] = {
    {"empty", "", {}},
    {"ascii", "T1", {'T', '1'}},
    {"two_bytes", "\xC2\xB0", {0x00B0}},
    {"three_bytes", "\xE2\x82\xAC", {0x20AC}},
    {"four_bytes_as_surrogate_pair", "\xF0\x9F\x8C\xA1", {0xD83C, 0xDF21}},
};

INSTANTIATE_TEST_SUITE_P(Cases, OdbcText, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

struct Malformed {
  const char* name;
  std::string bytes;
};

class OdbcTextMalformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(OdbcTextMalformed, FailsWithSqlState22021) {
  try {
    toWide(GetParam().bytes, "a test");
    FAIL() << "accepted malformed UTF-8";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlState(), "22021");
    EXPECT_NE(error.message().find("a test"), std::string::npos);
  }
}

const Malformed kMalformed[] = {
    {"windows_1252_degree",
     "\xB0"
     "C"},
    {"lone_continuation", "a\x80"},
    {"overlong_slash", "\xC0\xAF"},
    {"truncated_at_end", "\xE2\x82"},
    {"surrogate_encoded", "\xED\xA0\x80"},
    {"beyond_unicode", "\xF4\x90\x80\x80"},
    {"five_byte_lead", "\xF8\x88\x80\x80\x80"},
};

INSTANTIATE_TEST_SUITE_P(Cases, OdbcTextMalformed, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OdbcTextFromDriver, UnpairedSurrogateBecomesReplacementCharacter) {
  const SQLWCHAR text[] = {'a', 0xD800, 'b', 0xDC00};
  EXPECT_EQ(toUtf8(text, 4),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace csv2sql::db::odbc
