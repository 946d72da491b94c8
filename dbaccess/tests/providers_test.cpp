// The one list of provider names: the window offers these, in this order, and the connection
// knows each of them; a name off the list is refused with the list.
#include "dbaccess/providers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbaccess/connection.h"
#include "tests/support/test_platform.h"
#include "tests/support/test_support.h"

namespace csv2sql::db {
namespace {

// What opening fails with; "" when it opens.
std::string openFailure(const std::string& provider, const std::string& dataSource) {
  const testing::TempDir folder;
  Connection connection(folder.path());
  connection.setConnectionTimeout(5);
  try {
    connection.Open("Provider=" + provider + ";Data Source=" + dataSource);
  } catch (const Error& error) {
    return error.numberAndDescription();
  }
  return "";
}

std::string closedPort(char separator) {
  return "127.0.0.1" + std::string(1, separator) + std::to_string(testing::closedLoopbackPort());
}

struct Offered {
  const char* name;
  std::string dataSource;  // where nothing answers
};

// The window's drop-down, in its order.
const Offered kOffered[] = {
    {"MSOLEDBSQL", closedPort(',')}, {"SQLNCLI11", closedPort(',')},
    {"SQLNCLI", closedPort(',')},    {"SQLite", "no folder/here/data.db"},
    {"PostgreSQL", closedPort(':')}, {"MSDASQL", "no such data source"},
};

TEST(ProviderList, TheWindowOffersTheListedNamesInItsOrder) {
  std::vector<std::string> expected;
  for (const Offered& offered : kOffered) expected.emplace_back(offered.name);
  EXPECT_EQ(listedProviderNames(), expected);
}

TEST(ProviderList, AnUnknownNameIsRefusedWithTheKnownOnes) {
  EXPECT_EQ(openFailure(" Oracle ", "x"),
            "3706 - Provider cannot be found. It may not be properly installed. Unknown provider "
            "\"Oracle\"; the known providers are SQLite, PostgreSQL, MSDASQL, MSOLEDBSQL, "
            "MSOLEDBSQL.1, MSOLEDBSQL19, SQLNCLI11, SQLNCLI, SQLOLEDB.");
}

class OfferedProvider : public ::testing::TestWithParam<Offered> {};

// The open may fail for want of a server, a file or a driver, never for the name.
TEST_P(OfferedProvider, IsKnownToTheConnection) {
  const std::string failed = openFailure(GetParam().name, GetParam().dataSource);
  EXPECT_EQ(failed.find("Unknown provider"), std::string::npos) << failed;
}

INSTANTIATE_TEST_SUITE_P(Window, OfferedProvider, ::testing::ValuesIn(kOffered),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::db
