#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "app/entry.h"

namespace csv2sql::testing {
namespace {

struct CommandCase {
  std::string name;
  std::vector<std::string> arguments;
  int status;
  std::string out;  // what standard output holds after the call
};

#if CSV2SQL_WITH_TIME_ZONES  // the zone lookup, which the Windows build leaves out
class UtcPeriodsCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(UtcPeriodsCommand, PrintsTheUtcLinesOfConfigIni) {
  std::vector<std::string> words = {"csv2sql"};
  words.insert(words.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  std::ostringstream out, err;
  EXPECT_EQ(runCommand(static_cast<int>(argv.size()), argv.data(), out, err), GetParam().status);
  EXPECT_EQ(out.str(), GetParam().out);
  EXPECT_EQ(err.str().empty(), GetParam().status == 0) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UtcPeriodsCommand,
    ::testing::Values(
        CommandCase{"new_york",
                    {"--utc-periods", "America/New_York", "2024", "2024"},
                    0,
                    "UTC=2024-01-01 00:00:00::2024-03-10 06:59:59::-5\r\n"
                    "UTC=2024-03-10 07:00:00::2024-11-03 05:59:59::-4\r\n"
                    "UTC=2024-11-03 06:00:00::2024-12-31 23:59:59::-5\r\n"},
        CommandCase{"kolkata_two_years",
                    {"--utc-periods", "Asia/Kolkata", "2024", "2025"},
                    0,
                    "UTC=2024-01-01 00:00:00::2025-12-31 23:59:59::5.5\r\n"},
        CommandCase{"year_missing", {"--utc-periods", "UTC", "2024"}, 2, ""},
        CommandCase{"year_not_a_number", {"--utc-periods", "UTC", "soon", "2024"}, 2, ""},
        CommandCase{"unknown_zone", {"--utc-periods", "Nowhere/At_All", "2024", "2024"}, 2, ""}),
    [](const auto& info) { return info.param.name; });
#endif

// Before any status file is read: a monitoring system takes any other status for the state of
// the runs.
TEST(Command, StatusWithMinutesThatAreNoWholeNumberOrMoreArgumentsIsUnknown) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--status", "0"},
                                                    {"--status", "-5"},
                                                    {"--status", "1.5"},
                                                    {"--status", "soon"},
                                                    {"--status", ""},
                                                    {"--status", "99999999999"},
                                                    {"--status", "30", "more"}}) {
    std::vector<std::string> words = {"csv2sql"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    std::ostringstream out, err;
    EXPECT_EQ(runCommand(static_cast<int>(argv.size()), argv.data(), out, err), 3);
    EXPECT_EQ(out.str(),
              "csv2sql UNKNOWN - usage: csv2sql --status [MINUTES], MINUTES a whole number of "
              "minutes, 1 or more\n");
  }
}

TEST(Command, OtherStartsAreLeftToTheProgram) {
  std::string name = "csv2sql", one = "1";
  char* argv[] = {name.data(), one.data()};
  std::ostringstream out, err;
  EXPECT_EQ(runCommand(2, argv, out, err), std::nullopt);
  EXPECT_EQ(runCommand(1, argv, out, err), std::nullopt);
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace csv2sql::testing
