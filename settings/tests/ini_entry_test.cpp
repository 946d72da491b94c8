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
  EXPECT_FALSE(splitEntry("Old"));
  EXPECT_EQ(splitEntry("=x")->key, "");
}

TEST(KeyMatches, AnyLetterCaseOfTheWholeKey) {
  EXPECT_TRUE(keyMatches("CnN_PassWord", "CNN_PASSWORD"));
  EXPECT_FALSE(keyMatches("UTC2", "UTC"));
  EXPECT_FALSE(keyMatches("UT", "UTC"));
  // Only ASCII letters change case: a Latin-1 letter never turns into a key's letter.
  EXPECT_FALSE(keyMatches("\xe9TC", "UTC"));
}

TEST(EntryLine, QuotesOnlyWhatTheReaderWouldCut) {
  const struct {
    const char *name, *value, *line;
  } cases[] = {
      {"plain", "a b=c", "KEY=a b=c"},
      {"empty", "", "KEY="},
      {"comma", "a,b", "\"KEY=a,b\""},
      {"leading_blank", " 30", "\"KEY= 30\""},
      {"trailing_blank", "30 ", "\"KEY=30 \""},
      {"line_feed", "a\nb", "\"KEY=a\nb\""},
      {"carriage_return", "a\rb", "\"KEY=a\rb\""},
      {"leading_quote_stays_bare", "\"a", "KEY=\"a"},
      {"quote_and_comma_cannot_be_quoted", "a\"b,c", "KEY=a\"b,c"},
      {"tab_at_end_stays_bare", "a\t", "KEY=a\t"},
  };
  for (const auto& c : cases) EXPECT_EQ(entryLine("KEY", c.value), c.line) << c.name;
}

}  // namespace
}  // namespace csv2sql
