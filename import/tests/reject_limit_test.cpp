#include "import/reject_limit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/error.h"

namespace csv2sql::testing {
namespace {

// A limit, then skipped of examined rows just within it and just over it.
struct LimitCase {
  const char* text;
  std::int64_t examined;
  std::int64_t within;  // the most skipped rows that are not over the limit
};

class ReadLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ReadLimit, HoldsUpToItsAmountAndNoMore) {
  const LimitCase& c = GetParam();
  const RejectLimit limit = RejectLimit::read(c.text);
  EXPECT_FALSE(limit.exceededBy(c.within, c.examined)) << c.text;
  if (c.within < c.examined) {
    EXPECT_TRUE(limit.exceededBy(c.within + 1, c.examined)) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, ReadLimit,
                         ::testing::Values(LimitCase{"0", 10, 0}, LimitCase{"3", 10, 3},
                                           LimitCase{" 3 ", 10, 3},
                                           LimitCase{"9223372036854775807", 10, 10},
                                           LimitCase{"0%", 10, 0}, LimitCase{"20%", 10, 2},
                                           LimitCase{"25%", 10, 2}, LimitCase{"5 %", 200, 10},
                                           LimitCase{"0.5%", 1000, 5}, LimitCase{"0.25%", 400, 1},
                                           LimitCase{"33.3%", 1000, 333}, LimitCase{"100%", 10, 10},
                                           LimitCase{"100.00%", 7, 7}, LimitCase{"50%", 0, 0}),
                         [](const auto& info) { return "case_" + std::to_string(info.index); });

TEST(RejectLimit, TextThatIsNoCountOrShareIsErrorFiveNamingTheKey) {
  for (const char* text : {"abc", "-1", "+3", "1.5", "3 rows", "%", "5%%", "101%", "100.01%",
                           "0.125%", "5.%", ".5%", "-5%", "1e3", "99999999999999999999"}) {
    try {
      RejectLimit::read(text);
      ADD_FAILURE() << text << " was read";
    } catch (const Error& error) {
      EXPECT_EQ(error.numberAndDescription(),
                std::string("5 - Invalid procedure call or argument: REJECTLIMIT (Reject "
                            "Limit) is ") +
                    text +
                    ", it must be a number of rows such as 10 or a share of the rows "
                    "such as 5%");
    }
  }
}

}  // namespace
}  // namespace csv2sql::testing
