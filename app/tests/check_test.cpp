// "csv2sql --check" as the real program in its own process: what it prints, and that it leaves
// every file, table and folder as it found them.
#include <map>
#include <string>

#include "app/tests/installation.h"
#include "tests/support/pg_server.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

// A day of readings an hour behind local time, converted by the offset table.
constexpr const char* kReadings =
    "DateTime,Tag,Value\r\n"
    "2024-03-07 10:00:00,T1,12.5\r\n"
    "2024-03-07 10:01:00,T1,x\r\n"
    "07/03/2024 10:02:00,T2,1e3\r\n"
    "bad,T2,3\r\n"
    "2024-03-07 10:03:00,T 3 ,-0.25\r\n"
    "2024-03-07 10:04:00,T1,1\r\n"
    "2024-03-07 10:05:00,T1,2\r\n"
    "2024-03-07 10:06:00,T1,3\r\n";
constexpr const char* kUtc = "UTCOFFSET=YES\r\nUTC=2024-01-01 00:00:00::2024-12-31 23:59:59::1\r\n";

// In the C locale an all-numeric date is month first: 07/03/2024 is 3 July.
constexpr const char* kCheckOutput =
    "Date order: MDY (the system's locale)\n"
    "a.csv: 6 readings, 2 rows skipped\n"
    "  2024-03-07 11:00:00  T1  12.5\n"
    "  2024-07-03 11:02:00  T2  1000\n"
    "  2024-03-07 11:03:00  T 3  -0.25\n"
    "  2024-03-07 11:04:00  T1  1\n"
    "  2024-03-07 11:05:00  T1  2\n"
    "  Row 3 invalid value (x) record skipped\n"
    "  Row 5 invalid date (bad) record skipped\n"
    "b.csv: 0 readings, 0 rows skipped\n"
    "Check done: 2 files, 6 readings, 2 rows skipped\n";

struct CheckCase {
  const char* name;
  bool postgres;
};

class CheckCommand : public Installation, public ::testing::WithParamInterface<CheckCase> {
 protected:
  // Every file below the installation with its bytes, but the child's output.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.path().filename() == "output.txt") continue;
      found[fs::relative(entry.path(), folder).string()] =
          entry.is_regular_file() ? readFile(entry.path()) : "(folder)";
    }
    return found;
  }
  std::vector<std::string> pg(const std::string& sql) { return pgRun(*server, sql); }

  const std::optional<PgServer> server = pgServer();
  const std::string table = uniqueName("checked");
};

// Set to write everywhere a run writes: purge, ledger, archive, error folder, reject file, log,
// status file.
TEST_P(CheckCommand, PrintsWhatTheNextRunWouldReadAndWritesNothing) {
  std::string destination;
  if (GetParam().postgres) {
    CSV2SQL_REQUIRE_PG(server);
    pg("CREATE TABLE " + table + " (DateTime timestamp, Tag text, Value double precision)");
    pg("INSERT INTO " + table + " VALUES ('2000-01-01 00:00:00', 'old', 1)");
    destination = "CNN_PROVIDER=PostgreSQL\r\nCNN_DATASOURCE=" + server->host + ":" + server->port +
                  "\r\nCNN_INITIALCATALOG=" + server->database + "\r\nCNN_USERID=" + server->user +
                  "\r\nCNN_PASSWORD=" + server->password + "\r\nDESTTABLE=" + table + "\r\n";
  }
  fs::create_directories(folder / "errors");
  writeConfig(destination + kUtc + "DELOLDRECS=YES\r\nDELRECDAYS=1\r\nLEDGERTABLE=" + table +
              "_ledger\r\nERRORFOLDER=errors\r\nREJECTLIMIT=1\r\n");
  writeFile(source / "a.csv", kReadings);
  writeFile(source / "b.csv", "DateTime,Tag,Value\r\n");
  const auto before = files();

  start("--check", "LC_ALL=C");
  EXPECT_EQ(waitForEnd(), 0);
  EXPECT_EQ(output(), kCheckOutput);
  EXPECT_EQ(files(), before);
  if (GetParam().postgres) {
    EXPECT_EQ(pg("SELECT count(*) FROM " + table), std::vector<std::string>{"1"});
    EXPECT_EQ(pg("SELECT to_regclass('" + table + "_ledger') IS NULL"),
              std::vector<std::string>{"t"});
    pg("DROP TABLE " + table);
  }
}

INSTANTIATE_TEST_SUITE_P(Destinations, CheckCommand,
                         ::testing::Values(CheckCase{"sqlite", false},
                                           CheckCase{"postgresql", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the check cannot read it says, on standard error, with status 1: nothing is written.
TEST_F(Installation, CheckOfAFolderThatIsNotThereFailsWithItsError) {
  writeConfig();
  fs::remove(source);
  start("--check");
  EXPECT_EQ(waitForEnd(), 1);
  EXPECT_EQ(output(), "csv2sql: the check failed: Error 76 - Path not found: source folder " +
                          (source / "").string() + "\n");
  EXPECT_FALSE(fs::exists(folder / "log"));
}

}  // namespace
}  // namespace csv2sql::testing
