// How the program starts: the entry routine on a test session, the headless host, the real
// program in its own process, what it makes of bad input and what it reads from its environment.
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/entry.h"
#include "app/headless_host.h"
#include "app/schedule_seam.h"
#include "app/tests/app_fixture.h"
#include "app/tests/installation.h"
#include "core/platform.h"
#include "tests/support/pg_server.h"
#include "tests/support/test_platform.h"

namespace csv2sql::testing {
namespace {

TEST(ArgumentText, JoinsTheWordsAfterTheProgramNameWithSingleBlanks) {
  char name[] = "csv2sql", one[] = "NTSERVICE", two[] = "a  b";
  char* words[] = {name, one, two, nullptr};
  EXPECT_EQ(argumentText(1, words), "");
  EXPECT_EQ(argumentText(3, words), "NTSERVICE a  b");
}

// A host whose loop only notes how it was started.
struct RecordingHost final : Host {
  void installPorts(Session&, FrmMain&) override {}
  void attach(Program&) override {}
  int run(bool showWindow) override {
    loop = showWindow ? "shown" : "hidden";
    return 7;
  }
  std::string loop = "none";
};

struct StartCase {
  const char* name;
  const char* arguments;
  const char* extraConfig;
  const char* loop;
  int status;
  bool unattended;
  bool timerOn;
  long long rows;
  std::size_t boxes = 0;
};

class RunProgram : public AppTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(RunProgram, SetsTheModesAndStartsWhatTheArgumentsAsk) {
  const StartCase& c = GetParam();
  writeConfig(c.extraConfig);
  drop("a.csv");
  session.UnattendedMode = !c.unattended;  // Form_Load decides it afresh
  RecordingHost host;
  EXPECT_EQ(runProgram(session, form, c.arguments, host), c.status);
  EXPECT_EQ(host.loop, c.loop);
  EXPECT_EQ(session.ServiceMode, host.loop == "hidden");
  EXPECT_EQ(session.UnattendedMode, c.unattended);
  EXPECT_EQ(form.Timer1.enabled(), c.timerOn);
  EXPECT_EQ(rows(), c.rows);
  EXPECT_EQ(test.messageBox.shown.size(), c.boxes);
  EXPECT_EQ(logText().find(" : Error ") != std::string::npos, c.status == 1) << logText();
}

constexpr const char* kOn = "AUTORUNEVERY=10\r\n";  // chkAutoRun checked
constexpr const char* kOff = "AUTORUNEVERY=-1\r\n";
// chkAutoRun checked, then a load that fails (6 - Overflow) before the archiving is set.
constexpr const char* kPartial = "AUTORUNEVERY=10\r\nDELRECDAYS=40000\r\nARCHIVEFILES=YES\r\n";

// A service start runs automatic runs whatever chkAutoRun holds; "2" only when it is checked.
INSTANTIATE_TEST_SUITE_P(
    Arguments, RunProgram,
    ::testing::Values(
        StartCase{"none", "", kOn, "shown", 7, false, false, 0},
        StartCase{"service", "ntservice", kOff, "hidden", 7, false, true, 0},
        StartCase{"two_unchecked", "2", kOff, "shown", 7, true, false, 0},
        StartCase{"two_checked", "2", kOn, "shown", 7, true, true, 0},
        StartCase{"one", "1", kOn, "none", 0, true, false, 2},
        StartCase{"one_failed", "1", "CNN_DATASOURCE=missing/dest.db\r\n", "none", 1, true, false,
                  0},
        StartCase{"one_partial_settings", "1", kPartial, "none", 1, true, false, 0, 1},
        StartCase{"two_partial_settings", "2", kPartial, "shown", 7, true, false, 0, 1},
        StartCase{"service_partial_settings", "ntservice", kPartial, "hidden", 7, false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The service start on the headless host, with a clock that runs 6000 times as fast from the
// test clock's time and a tick every millisecond: one scheduled minute passes in 10 ms.
class HeadlessServiceTest : public AppTest {
 protected:
  HeadlessServiceTest() {
    session.clock = &fastClock;
    writeConfig("AUTORUNEVERY=1\r\n");
  }

  FastClock fastClock{test.clock, 6000};
  HeadlessHost host{1};
};

TEST_F(HeadlessServiceTest, StopSignalDuringARunFinishesTheCurrentFileAndEndsWithStatusZero) {
  drop("a.csv", 2);
  drop("b.csv", 3);
  // The signal arrives as the first scheduled run disables "Load Data" at its start.
  form.btnTransferData.changed().connect([] { std::raise(SIGTERM); });
  EXPECT_EQ(runProgram(session, form, "NTSERVICE", host), 0);
  // One file was imported whole; the other waits for the next start.
  EXPECT_NE(inSource("a.csv"), inSource("b.csv"));
  EXPECT_EQ(rows(), inSource("a.csv") ? 3 : 2);
}

TEST(HeadlessHost, WritesBoxesAndAddressesToStandardErrorAndAnswersTheDefaultButton) {
  TestSession test;
  HeadlessHost host;
  FrmMain form;
  host.installPorts(test.session, form);
  EXPECT_EQ(test.session.messageBox->show({"Replace?", mb::YesNo | mb::DefaultButton2, "Archive"}),
            answer::No);
  EXPECT_EQ(test.session.messageBox->show({"Stop?", mb::OkOnly, std::nullopt}), answer::Ok);
  test.session.urlOpener->open("file:///opt/user-guide.html");
  for (const std::string& part :
       {std::string("Archive: Replace?"), std::string("button NO is taken"),
        kProgramTitle + std::string(": Stop?"), std::string("file:///opt/user-guide.html")}) {
    EXPECT_NE(test.errors.str().find(part), std::string::npos)
        << part << " in " << test.errors.str();
  }
}

// What the starts without a window print, for scripts and for the journal.
struct PrintedCase {
  const char* name;
  const char* argument;
  const char* config;  // after the installation's lines; a later key wins
  int status;
  const char* printed;
};

class Printed : public Installation, public ::testing::WithParamInterface<PrintedCase> {};

TEST_P(Printed, OnStandardOutputOrError) {
  writeConfig(GetParam().config);
  std::filesystem::copy_file(CSV2SQL_SAMPLE_FILE, source / "plant1.csv");
  start(GetParam().argument);
  EXPECT_EQ(waitForEnd(), GetParam().status) << output();
  EXPECT_NE(output().find(GetParam().printed), std::string::npos) << output();
}

INSTANTIATE_TEST_SUITE_P(
    Starts, Printed,
    ::testing::Values(PrintedCase{"help", "--help", "", 0, "Usage: csv2sql "},
                      PrintedCase{"version", "--version", "", 0, "csv2sql 1."},
                      PrintedCase{"run_figures_of_the_sample", "1", "", 0,
                                  "Run done: 1 files, 5 readings stored, 2 rows skipped, "},
                      PrintedCase{"window_without_a_display", "2", "", 2, kStartsWithoutWindow},
                      PrintedCase{"partial_settings", "1", kPartial, 1,
                                  "csv2sql: the run failed: Error in Proc GetIniInfo:6 - Overflow"},
                      PrintedCase{"service_on_partial_settings", "ntservice", kPartial, 1,
                                  "automatic runs are off"}),
    [](const auto& info) { return std::string(info.param.name); });

#ifdef CSV2SQL_WINDOW_PROGRAM_FILE
// The window lives in a program of its own, which a start with a window runs in its place.
TEST_F(Installation, AWindowStartRunsTheWindowProgramBesideIt) {
  const std::filesystem::path windowProgram = folder / CSV2SQL_WINDOW_PROGRAM_FILE;
  start("", "QT_QPA_PLATFORM=offscreen");
  EXPECT_EQ(waitForEnd(), 2);
  EXPECT_NE(output().find("csv2sql: the window program " + windowProgram.string() +
                          " cannot be started: "),
            std::string::npos)
      << output();

  std::filesystem::copy_file(platform::executablePath().parent_path() / CSV2SQL_WINDOW_PROGRAM_FILE,
                             windowProgram);
  start("", "QT_QPA_PLATFORM=offscreen");
  // The window stays until it is closed; the start without its program ended at once.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  EXPECT_FALSE(statusNow().has_value()) << output();
  askToStop();
  EXPECT_TRUE(waitForEnd().has_value());
}
#endif

// A relative folder is below the program's folder, as config.ini and the log are, whatever the
// working directory: cron, a service manager and the window each start the program from
// somewhere else.
TEST_F(Installation, RelativeFoldersAreBelowTheProgramsFolderWhateverTheWorkingDirectory) {
  ASSERT_NE(std::filesystem::current_path(), folder);
  writeConfig("CSVFOLDER=in\r\nARCHIVEFOLDER=archive\r\n");
  drop("a.csv", 3);
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_EQ(rows(), 3);
  EXPECT_FALSE(inSource("a.csv"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(archive), {}), 1);
}

TEST_F(Installation, ServiceImportsADroppedFileAndEndsWithStatusZeroOnTheStopSignal) {
  writeConfig("AUTORUNEVERY=1\r\n");
  // One scheduled minute lasts 200 ms under the test seam.
  start("ntservice", "CSV2SQL_TIMER_INTERVAL_MS=200");
  drop("a.csv", 3);
  EXPECT_TRUE(eventually([&] { return !inSource("a.csv") && rows() == 3; })) << output();
  askToStop();
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_FALSE(std::filesystem::is_empty(archive));
}

// One bad input given to "csv2sql 1" beside b.csv, a good file; "{dir}" stands for the
// installation folder. The destination refuses tags longer than 8 characters. The edges of line
// ends, links and numbers are pinned by the tests of the line reader, the listing and the numeric
// test.
struct BadInput {
  const char* name;
  std::string config;  // after the installation's lines
  std::string file;    // a.csv, unless setup makes it
  int status;
  std::vector<std::string> lines;  // starts of run log lines in this order, after the time stamps
  std::vector<std::string> rows;   // CSVDATA as "DateTime|Tag|Value"
  std::string note = {};           // the .err file in {dir}/errors; none when empty
  std::function<void(const std::filesystem::path& in)> setup = {};
};

const std::string kHeader = "DateTime,Tag,Value\r\n";
const std::string kAt = "2024-01-01 00:00:00,T,";
const std::string kReading = kAt + "1\r\n";
const std::string kRow = "2024-01-01 00:00:00|T|1.0";  // b.csv's reading, and kReading's
const std::string kLongTag = "2024-01-01 00:01:00,LONGER_THAN_8,2";
const std::string kNul(1, '\0');
std::string repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

// a.csv: the header line and the given lines; its rows are stored before b.csv's.
BadInput rows(const char* name, const std::string& lines, std::vector<std::string> log,
              std::vector<std::string> stored) {
  stored.push_back(kRow);
  return {name, "", kHeader + lines, 0, std::move(log), std::move(stored)};
}
// A setting that ends the run before any file is read.
BadInput fault(const char* name, std::string config, std::string line) {
  return {name, std::move(config), kHeader + kReading, 1, {std::move(line)}, {}};
}

class BadInputRun : public Installation, public ::testing::WithParamInterface<BadInput> {
 protected:
  std::string placed(std::string text) const {
    for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}"))
      text.replace(at, 5, folder.string());
    return text;
  }
};

TEST_P(BadInputRun, GivesItsSkipOrErrorLineAndExactlyItsRows) {
  const BadInput& c = GetParam();
  execSql(database,
          "CREATE TRIGGER short_tags BEFORE INSERT ON CSVDATA WHEN length(NEW.Tag) > 8 "
          "BEGIN SELECT RAISE(ABORT, 'tag longer than 8'); END");
  std::filesystem::create_directories(folder / "errors");
  writeConfig(placed(c.config));
  c.setup ? c.setup(source) : writeFile(source / "a.csv", c.file);
  writeFile(source / "b.csv", kHeader + kReading);
  start("1");
  EXPECT_EQ(waitForEnd(), c.status) << output();
  const std::string log = logText();
  std::size_t from = 0;
  for (const std::string& line : c.lines) {
    from = log.find(" : " + placed(line), from);
    EXPECT_NE(from, std::string::npos) << "no line " << placed(line).substr(0, 400);
  }
  EXPECT_EQ(queryRows(database, "SELECT DateTime, Tag, Value FROM CSVDATA ORDER BY rowid"), c.rows);
  std::vector<std::string> notes;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "errors")) {
    if (entry.path().extension() == ".err") notes.push_back(readFile(entry.path()));
  }
  EXPECT_EQ(notes, c.note.empty() ? std::vector<std::string>{} : std::vector{c.note});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInputRun,
    ::testing::Values(
        fault("missing_source_folder", "CSVFOLDER={dir}/gone\r\n",
              "Error 76 - Path not found: source folder {dir}/gone/"),
        fault("column_zero", "COLTAG=0\r\n",
              "Error 5 - Invalid procedure call or argument: COLTAG (Tag Column #) is 0, it must "
              "be 1 or more"),
        fault("header_count_below_zero", "HEADERROWS=-1\r\n",
              "Error 5 - Invalid procedure call or argument: HEADERROWS (Header Rows) is -1, it "
              "must be 0 or more"),
        fault("date_format_not_understood", "DATEFORMAT=dd.MM.yyyy\r\n",
              "Error 5 - Invalid procedure call or argument: DATEFORMAT (Date Format) is "
              "dd.MM.yyyy, it must be ISO, UNIX, UNIXMS, EXCEL or a pattern of yyyy yy mm dd hh "
              "nn ss AMPM f"),
        fault("delimiter_of_two_characters", "DELIMITER=;;\r\n",
              "Error 5 - Invalid procedure call or argument: DELIMITER (Delimiter) is ;;, it "
              "must be one character or TAB"),
        fault("files_pattern_naming_a_folder", "FILES=in/*.csv\r\n",
              "Error 5 - Invalid procedure call or argument: FILES (Files) is in/*.csv, it must "
              "be names of the source folder, such as *.csv;*.txt"),
        fault("error_folder_missing", "ERRORFOLDER={dir}/gone\r\n",
              "Error 76 - Path not found: error folder {dir}/gone/"),
        // Not counted in the run's figures; the row found inside the driver's batch of rows.
        // A file moved to the error folder ends the run with status 3.
        BadInput{"refused_row_inside_a_batch_moved_to_the_error_folder",
                 "ERRORFOLDER={dir}/errors\r\n",
                 kHeader + repeated(kReading, 2500) + kLongTag + "\r\n" + repeated(kReading, 500),
                 3,
                 {"Moved a.csv to {dir}/errors: tag longer than 8", "Loading file {dir}/in/b.csv",
                  "Run done: 2 files, 1 readings stored, 0 rows skipped, "},
                 {kRow},
                 "File: a.csv\r\nRow: 2502\r\nLine: " + kLongTag +
                     "\r\nDatabase: tag longer than 8\r\n"},
        BadInput{"refused_tag_without_error_folder",
                 "",
                 kHeader + kReading + kLongTag,
                 1,
                 {"Error -2147467259 - tag longer than 8 (file a.csv, row 3: " + kLongTag + ")"},
                 {}},
        // With the ledger a group's readings go on from file to file: the refusal comes with
        // b.csv's, and the group sent again one file at a time names a.csv.
        BadInput{
            "refused_tag_found_after_the_next_file_of_its_group",
            "LEDGERTABLE=CSVLEDGER\r\nERRORFOLDER={dir}/errors\r\n",
            kHeader + kReading + kLongTag,
            3,
            {"Loading file {dir}/in/b.csv", "Moved a.csv to {dir}/errors: tag longer than 8",
             "Run done: 2 files, 1 readings stored, 0 rows skipped, "},
            {kRow},
            "File: a.csv\r\nRow: 3\r\nLine: " + kLongTag + "\r\nDatabase: tag longer than 8\r\n"},
        BadInput{"refused_tag_of_a_group_without_error_folder",
                 "LEDGERTABLE=CSVLEDGER\r\n",
                 kHeader + kReading + kLongTag,
                 1,
                 {"Loading file {dir}/in/b.csv",
                  "Error -2147467259 - tag longer than 8 (file a.csv, row 3: " + kLongTag + ")"},
                 {}},
        BadInput{"folder_named_a_csv",
                 "",
                 "",
                 0,
                 {"Passed over {dir}/in/a.csv: it cannot be read as a file (it is a folder)"},
                 {kRow},
                 "",
                 [](const auto& in) { std::filesystem::create_directory(in / "a.csv"); }},
        rows("nul_bytes", "2024-01-01 00:00:00,T" + kNul + "A,1\r\n2024" + kNul + "-01-01,T,1",
             {"Row 3 invalid date (2024" + kNul + "-01-01) record skipped"},
             {"2024-01-01 00:00:00|T" + kNul + "A|1.0"}),
        rows("invalid_utf8_read_as_windows_1252", "2024-01-01 00:00:00,\xFF\xC3,1",
             {"2 rows loaded from file"}, {"2024-01-01 00:00:00|\xC3\xBF\xC3\x83|1.0"}),
        BadInput{"line_of_64_mib",
                 "",
                 "",
                 0,
                 {"Row 2 invalid date (" + std::string(300, '1') +
                  "...(cut, 67108864 bytes in all)) record skipped"},
                 {kRow, kRow},
                 "",
                 [](const auto& in) {
                   writeFile(in / "a.csv",
                             kHeader + std::string(64 << 20, '1') + ",T,1\r\n" + kReading);
                 }},
        rows("hundred_thousand_columns", kAt + "1" + std::string(99'997 * 2, ','),
             {"2 rows loaded from file"}, {kRow}),
        BadInput{"zero_byte_file", "", "", 0, {"0 rows loaded from file"}, {kRow}},
        rows("values_out_of_range_or_not_decimal",
             kAt + "1e400\r\n" + kAt + "NaN\r\n" + kAt + "Infinity\r\n" + kAt + "0x1A\r\n" + kAt +
                 "-0",
             {"Row 2 invalid value (1e400) record skipped", "Row 3 invalid value (NaN) record",
              "Row 4 invalid value (Infinity) record", "Row 5 invalid value (0x1A) record"},
             {"2024-01-01 00:00:00|T|0.0"}),
        rows("dates_at_the_range_limits_and_february_29",
             "0001-01-01 00:00:00,T,1\r\n9999-12-31 23:59:59,T,2\r\n10000-01-01 00:00:00,T,3\r\n"
             "2023-02-29 00:00:00,T,4\r\n2024-02-29 00:00:00,T,5",
             {"Row 4 invalid date (10000-01-01 00:00:00) record skipped",
              "Row 5 invalid date (2023-02-29 00:00:00) record skipped"},
             {"0001-01-01 00:00:00|T|1.0", "9999-12-31 23:59:59|T|2.0",
              "2024-02-29 00:00:00|T|5.0"})),
    [](const auto& info) { return std::string(info.param.name); });

// Every reading once however a run is killed: three files of readings (one transaction with the
// ledger, one each without), a run killed at a fault point (or run to its end where the point
// is not on its path), then a run without faults.
// Across two file systems the archive folder is a tmpfs the test mounts.
class FaultPoint : public Installation,
                   public ::testing::WithParamInterface<std::tuple<const char*, bool, bool>> {
 protected:
  static constexpr int kReadings = 9;
  static constexpr std::array<const char*, 3> kFiles = {"a.csv", "b.csv", "c.csv"};
  ~FaultPoint() override {
    if (mounted_) std::system(("umount " + other.string()).c_str());
  }
  // The archive folder: on a tmpfs for two file systems, when one can be mounted.
  std::optional<std::filesystem::path> archiveFolder(bool twoVolumes) {
    if (!twoVolumes) return archive;
    std::filesystem::create_directory(other);
    mounted_ =
        std::system(
            ("mount -t tmpfs -o size=8m tmpfs " + other.string() + " 2>/dev/null").c_str()) == 0;
    if (!mounted_) return std::nullopt;
    return other;
  }
  long long distinctRows() const {
    return std::stoll(queryRows(database,
                                "SELECT COUNT(*) FROM (SELECT DISTINCT DateTime, Tag, Value FROM "
                                "CSVDATA)")
                          .front());
  }
  const std::filesystem::path other = folder / "other";
  bool mounted_ = false;
};

// The windows the user guide names: without the ledger a file committed but not yet moved is
// imported again; on one file system the move is one rename, so only "after-commit" remains.
bool duplicatesWithoutLedger(std::string_view point, bool twoVolumes) {
  return point == "after-commit" || (twoVolumes && point == "after-rename");
}

TEST_P(FaultPoint, NextRunLeavesEveryReadingOnceOrTheDuplicateTheGuideNames) {
  const auto [point, ledger, twoVolumes] = GetParam();
  const auto folder = archiveFolder(twoVolumes);
  if (!folder) GTEST_SKIP() << "a tmpfs cannot be mounted here: one file system only";
  writeConfig("ARCHIVEFOLDER=" + folder->string() + "\r\n" +
              (ledger ? "LEDGERTABLE=CSVLEDGER\r\n" : ""));
  for (const char* name : kFiles) drop(name, kReadings, name);
  start("1", std::string("CSV2SQL_FAULT_POINT=") + point);
  const std::optional<int> killed = waitForEnd();
  // The killed run's archive name is taken until the next second.
  if (point == std::string_view("after-rename")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  }
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << output();
  const long long stored = rows(), distinct = distinctRows(), expected = kReadings * 3;
  // Without the ledger the killed run stops at the first file's window.
  const long long duplicated =
      !ledger && duplicatesWithoutLedger(point, twoVolumes) ? kReadings : 0;
  std::printf(
      "| %-13s | %-3s | %s | ended %-4d | expected %lld | stored %lld | lost %lld | "
      "duplicated %lld |\n",
      point, ledger ? "on" : "off", twoVolumes ? "two" : "one", killed.value_or(-1), expected,
      stored, expected - distinct, stored - distinct);
  EXPECT_EQ(distinct, expected);
  EXPECT_EQ(stored - distinct, duplicated);
  for (const char* name : kFiles) EXPECT_FALSE(inSource(name)) << name;
}

INSTANTIATE_TEST_SUITE_P(PointsLedgerVolumes, FaultPoint,
                         ::testing::Combine(::testing::Values("before-commit", "ledger-write",
                                                              "after-commit", "mid-copy",
                                                              "after-rename"),
                                            ::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           std::string name = std::get<0>(info.param);
                           std::erase(name, '-');
                           return name + (std::get<1>(info.param) ? "_ledger" : "_noledger") +
                                  (std::get<2>(info.param) ? "_twovolumes" : "_onevolume");
                         });

// A logger that keeps its file open, caught in mid-line: the run takes the complete lines, the
// next run goes on from the ledgered length once the line is done.
TEST_F(Installation, GrowingFileIsContinuedWithEveryCompletedReadingOnceAndNoneCut) {
  writeConfig("LEDGERTABLE=CSVLEDGER\r\n");
  const std::filesystem::path file = source / "grow.csv";
  writeFile(file, "DateTime,Tag,Value\r\n2026-03-01 10:00:00,T,1\r\n2026-03-01 10:00:01,T,12");
  std::atomic<bool> writing = true;
  std::thread writer([&] {
    while (writing) {
      std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now());
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  start("1");
  const std::optional<int> first = waitForEnd();
  writing = false;
  writer.join();
  EXPECT_EQ(first, 0) << output();
  EXPECT_EQ(queryRows(database, "SELECT Value FROM CSVDATA"), std::vector<std::string>{"1.0"});
  std::ofstream(file, std::ios::app) << "34.5\r\n2026-03-01 10:00:02,T,7\r\n";
  start("1");
  EXPECT_EQ(waitForEnd(), 0) << output();
  EXPECT_EQ(queryRows(database, "SELECT Value FROM CSVDATA ORDER BY DateTime"),
            (std::vector<std::string>{"1.0", "1234.5", "7.0"}));
  EXPECT_FALSE(inSource("grow.csv"));
}

// The server stops answering at the login (a port that never answers), or its backend is
// stopped (SIGSTOP) while a trigger holds it in the purge's DELETE, the COPY or the commit.
// psqlODBC waits for a stopped backend without limit: through ODBC only the login is bounded.
struct FrozenCase {
  const char* name;
  const char* provider;
  const char* trigger;  // "CREATE " + this + " EXECUTE ...", "@" the table; "" at the login
};

class FrozenServer : public Installation, public ::testing::WithParamInterface<FrozenCase> {
 protected:
  void SetUp() override {
    CSV2SQL_REQUIRE_PG(server);
    // The trigger names its session, so that the test finds it among those of other tests.
    pg("CREATE TABLE " + table + " (DateTime timestamp, Tag text, Value double precision); " +
       "CREATE FUNCTION " + table + "_hold() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN " +
       "PERFORM set_config('application_name', '" + table + "', false); " +
       "PERFORM pg_sleep(60); RETURN NEW; END $$");
  }
  void TearDown() override {
    if (!server) return;
    if (backend > 0 && resumeProcess(backend)) {
      pg("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity WHERE pid = " +
         std::to_string(backend));
    }
    EXPECT_EQ(pg("SELECT count(*) FROM " + table), std::vector<std::string>{"0"});
    pg("DROP TABLE " + table + "; DROP FUNCTION " + table + "_hold()");
  }
  std::vector<std::string> pg(const std::string& sql) { return pgRun(*server, sql); }

  const std::optional<PgServer> server = pgServer();
  const std::string table = uniqueName("frozen");
  int backend = 0;
};

TEST_P(FrozenServer, EndsTheRunWithinTheTimeOutWithOneErrorAndTheFileLeftInPlace) {
  const auto [name, provider, trigger] = GetParam();
  const bool odbc = std::string_view(provider) == "MSDASQL";
  LoopbackListener silent;
  const std::string port = *trigger ? server->port : std::to_string(silent.port());
  writeFile(folder / "odbc.ini",
            "[dsn]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" + port);
  if (*trigger) {
    std::string create = std::string("CREATE ") + trigger + " EXECUTE FUNCTION @_hold()";
    for (std::size_t at; (at = create.find('@')) != std::string::npos;)
      create.replace(at, 1, table);
    pg(create);
  }
  writeConfig(std::string("CNN_PROVIDER=") + provider +
              "\r\nCNN_DATASOURCE=" + (odbc ? "dsn" : "127.0.0.1:" + port) +
              "\r\nCNN_INITIALCATALOG=" + server->database + "\r\nCNN_USERID=" + server->user +
              "\r\nCNN_PASSWORD=" + server->password + "\r\nDESTTABLE=" + table +
              "\r\nDELRECDAYS=30\r\n" + "CNN_CONNECTION_TIMEOUT=2\r\nCNN_COMMAND_TIMEOUT=2\r\n");
  drop("a.csv", 3);
  const auto started = std::chrono::steady_clock::now();
  start("1", "ODBCINI=" + (folder / "odbc.ini").string());
  const std::string sleeping = "SELECT pid FROM pg_stat_activity WHERE application_name = '" +
                               table + "' AND wait_event = 'PgSleep'";
  if (*trigger) {
    ASSERT_TRUE(eventually([&] { return !pg(sleeping).empty(); })) << output();
    backend = std::stoi(pg(sleeping).at(0));
    ASSERT_TRUE(pauseProcess(backend));
  }
  EXPECT_EQ(waitForEnd(), 1) << output();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  std::printf("frozen server, %s: the run ended after %.1f s\n", name, took.count());
  EXPECT_LT(took.count(), 2 + 5);
  const std::string log = logText();
  EXPECT_EQ(log.find(" : Error "), log.rfind(" : Error ")) << log;
  EXPECT_NE(log.find(" : Error "), std::string::npos) << log;
  EXPECT_TRUE(inSource("a.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    Waits, FrozenServer,
    ::testing::Values(
        FrozenCase{"login", "PostgreSQL", ""},
        FrozenCase{"statement", "PostgreSQL", "TRIGGER hold BEFORE DELETE ON @ FOR EACH STATEMENT"},
        FrozenCase{"copy", "PostgreSQL", "TRIGGER hold BEFORE INSERT ON @ FOR EACH ROW"},
        FrozenCase{"commit", "PostgreSQL",
                   "CONSTRAINT TRIGGER hold AFTER INSERT ON @ DEFERRABLE INITIALLY "
                   "DEFERRED FOR EACH ROW"},
        FrozenCase{"login_odbc", "MSDASQL", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A variable unset for the test's time and put back after it.
class Unset {
 public:
  explicit Unset(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
    setVariable(name, {});
  }
  ~Unset() { setVariable(name_, saved_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(Environment, ADisplayVariableWithAValueMeansADisplay) {
  const Unset display("DISPLAY"), wayland("WAYLAND_DISPLAY"), qpa("QT_QPA_PLATFORM");
  setVariable("WAYLAND_DISPLAY", "");
  EXPECT_FALSE(platform::hasDisplay()) << "an empty value names no display";
  setVariable("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(platform::hasDisplay());
}

}  // namespace
}  // namespace csv2sql::testing
