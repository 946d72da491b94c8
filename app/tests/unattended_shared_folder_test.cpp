// Two loaders on one source folder and one destination, started together: every reading once,
// and both runs end normally, however their files interleave.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/tests/installation.h"
#include "tests/support/pg_server.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRaces = 5;
constexpr int kFiles = 20;
constexpr int kReadings = 20;

struct SharedCase {
  const char* name;
  bool postgres;
  bool ledger;
};

class SharedFolder : public Installation, public ::testing::WithParamInterface<SharedCase> {
 protected:
  void SetUp() override {
    if (GetParam().postgres) {
      CSV2SQL_REQUIRE_PG(server);
      pg("CREATE TABLE " + table + " (DateTime timestamp, Tag text, Value double precision)");
    }
    fs::create_directories(second);
    fs::copy_file(program, second / program.filename());
  }
  void TearDown() override {
    if (server && GetParam().postgres)
      pg("DROP TABLE " + table + "; DROP TABLE IF EXISTS " + ledger);
  }
  std::vector<std::string> pg(const std::string& sql) { return pgRun(*server, sql); }

  // The config.ini both loaders read: the first installation's folders and destination.
  std::string config() const {
    const SharedCase& c = GetParam();
    std::string text = "CSVFOLDER=" + source.string() +
                       "\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=" + archive.string() + "\r\n";
    if (c.postgres) {
      text += "CNN_PROVIDER=PostgreSQL\r\nCNN_DATASOURCE=" + server->host + ":" + server->port +
              "\r\nCNN_INITIALCATALOG=" + server->database + "\r\nCNN_USERID=" + server->user +
              "\r\nCNN_PASSWORD=" + server->password + "\r\nDESTTABLE=" + table + "\r\n";
    } else {
      text += "CNN_PROVIDER=SQLite\r\nCNN_DATASOURCE=" + database.string() + "\r\n";
    }
    if (c.ledger) text += "LEDGERTABLE=" + ledger + "\r\n";
    return text;
  }
  // Readings no other file holds: the file's number is the tag.
  void dropFiles(int race) const {
    for (int file = 0; file < kFiles; ++file) {
      std::string text = "DateTime,Tag,Value\r\n";
      for (int i = 0; i < kReadings; ++i) {
        text += "2026-03-01 10:" + std::to_string(10 + race) + ":" + std::to_string(10 + i) + ",F" +
                std::to_string(file) + "," + std::to_string(i) + "\r\n";
      }
      const std::string name = "r" + std::to_string(race) + "f" + std::to_string(file) + ".csv";
      writeFile(source / (name + ".part"), text);
      fs::rename(source / (name + ".part"), source / name);
    }
  }
  // Readings in the table, and how many of them differ.
  std::pair<long long, long long> stored() {
    const std::string sql = "SELECT count(*), count(DISTINCT DateTime || Tag) FROM " +
                            (GetParam().postgres ? table : std::string("CSVDATA"));
    const std::vector<std::string> row = GetParam().postgres ? pg(sql) : queryRows(database, sql);
    const std::string& text = row.at(0);
    const std::size_t bar = text.find('|');
    return {std::stoll(text.substr(0, bar)), std::stoll(text.substr(bar + 1))};
  }

  const std::optional<PgServer> server = pgServer();
  const std::string table = uniqueName("shared");
  const std::string ledger = GetParam().postgres ? uniqueName("ledger") : "CSVLEDGER";
  const fs::path second = folder / "second";
};

TEST_P(SharedFolder, EveryReadingOnceAndBothRunsEndNormally) {
  writeConfig(config());
  writeFile(second / "config.ini", config());
  for (int race = 0; race < kRaces; ++race) {
    dropFiles(race);
    start("1");
    ChildProcess other(second / program.filename(), "1",
                       {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, "",
                       second / "output.txt");
    std::optional<int> otherStatus;
    ASSERT_TRUE(eventually([&] { return (otherStatus = other.exitStatus()).has_value(); }));
    EXPECT_EQ(waitForEnd(), 0) << output() << logText();
    EXPECT_EQ(otherStatus, 0) << readFile(second / "output.txt");
    const long long expected = static_cast<long long>(race + 1) * kFiles * kReadings;
    EXPECT_EQ(stored(), std::make_pair(expected, expected)) << "race " << race;
    EXPECT_TRUE(fs::is_empty(source)) << "race " << race;
  }
}

INSTANTIATE_TEST_SUITE_P(Loaders, SharedFolder,
                         ::testing::Values(SharedCase{"sqlite", false, false},
                                           SharedCase{"sqlite_ledger", false, true},
                                           SharedCase{"postgres", true, false},
                                           SharedCase{"postgres_ledger", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
