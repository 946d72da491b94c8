#include "components/db/table_name.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace csv2sql::db {
namespace {

struct QuotingCase {
  const char* name;
  const char* typed;
  const char* sqlite;    // double quotes, bare names as typed
  const char* postgres;  // double quotes, bare names folded to lower case
  const char* brackets;  // SQL Server's own marks
};

class TableNameQuoting : public ::testing::TestWithParam<QuotingCase> {};

TEST_P(TableNameQuoting, SendsEachPartAsOneIdentifier) {
  const TableName table = TableName::check(GetParam().typed);
  EXPECT_EQ(table.quoted('"', '"', BareNameCase::AsTyped), GetParam().sqlite);
  EXPECT_EQ(table.quoted('"', '"', BareNameCase::Lower), GetParam().postgres);
  EXPECT_EQ(table.quoted('[', ']', BareNameCase::AsTyped), GetParam().brackets);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TableNameQuoting,
    ::testing::Values(
        QuotingCase{"plain", " CSVDATA ", "\"CSVDATA\"", "\"csvdata\"", "[CSVDATA]"},
        QuotingCase{"schema", "dbo.Readings", "\"dbo\".\"Readings\"", "\"dbo\".\"readings\"",
                    "[dbo].[Readings]"},
        QuotingCase{"bracketed_keeps_its_case", "[My Table]", "\"My Table\"", "\"My Table\"",
                    "[My Table]"},
        QuotingCase{"statement_in_brackets", "[x; DROP TABLE victim; --]",
                    "\"x; DROP TABLE victim; --\"", "\"x; DROP TABLE victim; --\"",
                    "[x; DROP TABLE victim; --]"},
        QuotingCase{"quote_inside_brackets", "[a\"b]", "\"a\"\"b\"", "\"a\"\"b\"", "[a\"b]"},
        QuotingCase{"bracket_inside_quotes", "\"a]b\"", "\"a]b\"", "\"a]b\"", "[a]]b]"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
  std::string label;
  std::string name;
  bool valid;
};

class TableNameCheck : public ::testing::TestWithParam<NameCase> {};

TEST_P(TableNameCheck, PassesOnlyIdentifiers) {
  if (GetParam().valid) {
    EXPECT_NO_THROW(TableName::check(GetParam().name));
    return;
  }
  try {
    TableName::check(GetParam().name);
    ADD_FAILURE() << "accepted";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 5);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, TableNameCheck,
    ::testing::Values(
        NameCase{"plain", "CSVDATA", true}, NameCase{"schema", "dbo.CSVDATA", true},
        NameCase{"three_parts", "Plant.dbo.Readings_2024", true},
        NameCase{"bracketed_with_blank", "[My Table]", true},
        NameCase{"bracketed_with_dot", "dbo.[Data.2024]", true},
        NameCase{"double_quoted", "\"My Table\"", true}, NameCase{"temporary", "#temp", true},
        NameCase{"at_and_dollar", "@t$1", true}, NameCase{"empty", "", false},
        NameCase{"second_statement", "CSVDATA;DROP TABLE x", false},
        NameCase{"blank", "CSV DATA", false}, NameCase{"trailing_dot", "dbo.", false},
        NameCase{"leading_dot", ".CSVDATA", false}, NameCase{"empty_part", "a..b", false},
        NameCase{"empty_brackets", "[]", false}, NameCase{"text_after_bracket", "[a]b", false},
        NameCase{"unclosed_bracket", "[a", false}, NameCase{"unclosed_quote", "\"a", false},
        NameCase{"doubled_quote", "\"a\"\"b\"", false}, NameCase{"doubled_bracket", "[a]]", false},
        NameCase{"line_break_in_brackets", "[a\nb]", false}, NameCase{"comment", "t--", false},
        NameCase{"single_quote", "t'", false}, NameCase{"non_ascii_letter", "T\xC3\xA4", false}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace csv2sql::db
