// csv2sql --redrop SINCE: archived files back into the source folder after the destination lost
// what it had committed (as a failover with asynchronous replication can); with the ledger the
// next run imports exactly the lost ones.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/installation.h"
#include "core/clock.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

class Redrop : public Installation {
 protected:
  std::optional<int> run(const std::string& argument) {
    start(argument);
    return waitForEnd();
  }
  std::vector<std::string> tags() const {
    return queryRows(database, "SELECT Tag || count(*) FROM CSVDATA GROUP BY Tag ORDER BY Tag");
  }
};

TEST_F(Redrop, BringsBackTheFilesArchivedSinceAndTheNextRunImportsOnlyTheLostOnes) {
  writeConfig("LEDGERTABLE=CSVLEDGER\r\n");
  drop("a.csv", 2, "A");
  ASSERT_EQ(run("1"), 0) << output();
  // Archive names hold the second: SINCE falls after a's.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  const std::string since = formatDateTime(SystemClock().now(), "yyyy-mm-dd hh:nn:ss");
  drop("b.csv", 2, "B");
  drop("C.CSV", 3, "C");
  ASSERT_EQ(run("1"), 0) << output();
  // C's commit lost, as by a failover.
  execSql(database,
          "DELETE FROM CSVDATA WHERE Tag = 'C'; DELETE FROM CSVLEDGER WHERE "
          "FileName = 'C.CSV'");

  EXPECT_EQ(run("--redrop " + since), 0) << output();
  EXPECT_NE(output().find("2 files moved back into " + source.string()), std::string::npos)
      << output();
  EXPECT_FALSE(inSource("a.csv"));
  EXPECT_TRUE(inSource("b.csv") && inSource("C.csv"));

  ASSERT_EQ(run("1"), 0) << output();
  EXPECT_NE(logText().find("File b.csv was imported before: not imported again"),
            std::string::npos);
  EXPECT_EQ(tags(), (std::vector<std::string>{"A2", "B2", "C3"}));
  EXPECT_TRUE(fs::is_empty(source));
}

TEST_F(Redrop, WithoutADateTimeSaysWhatItTakes) {
  writeConfig();
  EXPECT_EQ(run("--redrop yesterday"), 2);
  EXPECT_NE(output().find("--redrop takes the date-time"), std::string::npos) << output();
}

}  // namespace
}  // namespace csv2sql::testing
