// The native drivers a build may leave out (the Windows build has neither): choosing one is
// refused by name and leaves the connection closed; a build that has it gets as far as the driver.
#include <gtest/gtest.h>

#include "dbaccess/connection.h"
#include "tests/support/test_platform.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

struct ProviderCase {
  const char* provider;
  bool builtIn;
  std::string dataSource;  // where nothing answers
};

class ProviderChoice : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(ProviderChoice, LeftOutIsRefusedByNameBuiltInReachesItsDriver) {
  const auto& [provider, builtIn, dataSource] = GetParam();
  const testing::TempDir folder;
  Connection connection(folder.path());
  std::string failed = "none";
  try {
    connection.Open(std::string("Provider=") + provider + ";Data Source=" + dataSource);
  } catch (const Error& error) {
    failed = error.numberAndDescription();
  }
  const std::string refused =
      "3706 - Provider cannot be found. It may not be properly installed. The provider \"" +
      std::string(provider) + "\" is not built into this program.";
  EXPECT_NE(failed, "none");
  EXPECT_EQ(failed == refused, !builtIn) << failed;
  EXPECT_EQ(connection.State(), Connection::StateClosed);
}

INSTANTIATE_TEST_SUITE_P(
    NativeDrivers, ProviderChoice,
    ::testing::Values(ProviderCase{"SQLite", CSV2SQL_WITH_SQLITE, "no folder/here/data.db"},
                      ProviderCase{"PostgreSQL", CSV2SQL_WITH_POSTGRESQL,
                                   "127.0.0.1:" + std::to_string(testing::closedLoopbackPort())}),
    [](const auto& info) { return std::string(info.param.provider); });

}  // namespace
}  // namespace csv2sql::db
