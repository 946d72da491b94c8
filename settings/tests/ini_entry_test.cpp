#include "settings/ini_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace csv2sql {
namespace {

TEST(SplitEntry, KeyIsTrimmedValueIsRawFromTheFirstEquals) {
  const auto entry = splitEntry("  csvFolder  = D:\\a=b ");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->key, "csvFolder");
  EXPECT_EQ(entry->value, " D:\\a=b ");
}

TEST(SplitEntry, ItemWithoutEqualsIsNoEntry) {
  EXPECT_FALSE(splitEntry("Old"));
}

TEST(SplitEntry, ItemStartingWithEqualsHasAnEmptyKey) {
  const auto entry = splitEntry("=x");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->key, "");
  EXPECT_EQ(entry->value, "x");
}

TEST(KeyMatches, AnyLetterCase) {
  EXPECT_TRUE(keyMatches("CnN_PassWord", "CNN_PASSWORD"));
  EXPECT_FALSE(keyMatches("UTC2", "UTC"));
  EXPECT_FALSE(keyMatches("UT", "UTC"));
  EXPECT_FALSE(keyMatches("", "UTC"));
  // Only ASCII letters change case: a Latin-1 letter never turns into a key's letter.
  EXPECT_FALSE(keyMatches("\xe9TC", "UTC"));
}

struct LineCase {
  const char* name;
  std::string value;
  std::string line;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << c.name;
}

class EntryLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(EntryLine, QuotesOnlyWhatTheReaderWouldCut) {
  EXPECT_EQ(entryLine("KEY", GetParam().value), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, EntryLine,
    ::testing::Values(LineCase{"plain", "abc", "KEY=abc"}, LineCase{"empty", "", "KEY="},
                      LineCase{"inner_blank", "a b", "KEY=a b"},
                      LineCase{"comma", "a,b", "\"KEY=a,b\""},
                      LineCase{"leading_blank", " 30", "\"KEY= 30\""},
                      LineCase{"trailing_blank", "30 ", "\"KEY=30 \""},
                      LineCase{"blanks_around", " 30 ", "\"KEY= 30 \""},
                      LineCase{"line_feed", "a\nb", "\"KEY=a\nb\""},
                      LineCase{"carriage_return", "a\rb", "\"KEY=a\rb\""},
                      LineCase{"leading_quote_stays_bare", "\"a", "KEY=\"a"},
                      LineCase{"quote_and_comma_cannot_be_quoted", "a\"b,c", "KEY=a\"b,c"},
                      LineCase{"equals", "a=b", "KEY=a=b"},
                      LineCase{"tab_at_end_stays_bare", "a\t", "KEY=a\t"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql
