#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

std::string dataSourceDefault() {
  return FrmMain().txtDataSource.text();
}

const std::vector<std::string>& defaultLines() {
  static const std::vector<std::string> lines = {"CSVFOLDER=",
                                                 "DELOLDRECS=-1",
                                                 "ARCHIVEFILES=NO",
                                                 "ARCHIVEFOLDER=",
                                                 "CNN_COMMAND_TIMEOUT=30",
                                                 "CNN_CONNECTION_TIMEOUT=30",
                                                 "CNN_PROVIDER=MSOLEDBSQL.1",
                                                 "CNN_DATASOURCE=" + dataSourceDefault(),
                                                 "CNN_INITIALCATALOG=",
                                                 "CNN_USERID=",
                                                 "CNN_PASSWORD=",
                                                 "DESTTABLE=CSVDATA",
                                                 "DELRECDAYS=",
                                                 "HEADERROWS=1",
                                                 "COLDATETIME=1",
                                                 "COLTAG=2",
                                                 "COLVALUE=3",
                                                 "UTCOFFSET=NO",
                                                 "AUTORUNEVERY=-1",
                                                 "DEST_CNN="};
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(SettingsTest, DefaultControlsGiveTwentyLines) {
  save();
  EXPECT_EQ(readFile(iniPath()),
            "CSVFOLDER=\r\nDELOLDRECS=-1\r\nARCHIVEFILES=NO\r\nARCHIVEFOLDER=\r\n"
            "CNN_COMMAND_TIMEOUT=30\r\nCNN_CONNECTION_TIMEOUT=30\r\nCNN_PROVIDER=MSOLEDBSQL.1\r\n"
            "CNN_DATASOURCE=" +
                dataSourceDefault() +
                "\r\nCNN_INITIALCATALOG=\r\nCNN_USERID=\r\nCNN_PASSWORD=\r\n"
                "DESTTABLE=CSVDATA\r\nDELRECDAYS=\r\nHEADERROWS=1\r\nCOLDATETIME=1\r\nCOLTAG=2\r\n"
                "COLVALUE=3\r\nUTCOFFSET=NO\r\nAUTORUNEVERY=-1\r\nDEST_CNN=\r\n");
  EXPECT_TRUE(prompts().empty());
}

TEST_F(SettingsTest, ErrorFolderOnlyWhenSetAfterTheOldLines) {
  form().txtErrorFolder.setText("D:\\Err");
  save();
  EXPECT_EQ(readFile(iniPath()), joinLines(defaultLines()) + "ERRORFOLDER=D:\\Err\r\n");
}

struct SaveCase {
  const char* name;
  void (*setup)(FrmMain&);
  std::map<std::string, std::string> replaced = {};  // default line by its key -> line written
  std::vector<std::string> utcLines = {};            // written between UTCOFFSET and AUTORUNEVERY
};

void PrintTo(const SaveCase& c, std::ostream* out) {
  *out << c.name;
}

class Save : public SettingsTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(Save, WritesEveryLineAsFormed) {
  GetParam().setup(form());
  save();
  std::vector<std::string> expected;
  for (const auto& line : defaultLines()) {
    if (line.starts_with("AUTORUNEVERY=")) {
      expected.insert(expected.end(), GetParam().utcLines.begin(), GetParam().utcLines.end());
    }
    const auto replaced = GetParam().replaced.find(line.substr(0, line.find('=')));
    expected.push_back(replaced != GetParam().replaced.end() ? replaced->second : line);
  }
  EXPECT_EQ(readFile(iniPath()), joinLines(expected));
  EXPECT_TRUE(prompts().empty());
}

void setUtc(Grid& grid, std::int32_t row, const char* start, const char* end, const char* hours) {
  grid.setCell(row, 1, start);
  grid.setCell(row, 2, end);
  grid.setCell(row, 3, hours);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Save,
    ::testing::Values(
        SaveCase{"days_on_fraction",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(1);
                   f.txtDeleteDays.setText("7.5");
                 },
                 {{"DELOLDRECS", "DELOLDRECS=8"}, {"DELRECDAYS", "DELRECDAYS=7.5"}}},
        SaveCase{"days_on_half_to_even",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(1);
                   f.txtDeleteDays.setText("2.5");
                 },
                 {{"DELOLDRECS", "DELOLDRECS=2"}, {"DELRECDAYS", "DELRECDAYS=2.5"}}},
        SaveCase{"days_on_blanks_around_kept_in_quotes",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(1);
                   f.txtDeleteDays.setText(" 30 ");
                 },
                 {{"DELOLDRECS", "DELOLDRECS=30"}, {"DELRECDAYS", "\"DELRECDAYS= 30 \""}}},
        SaveCase{"days_on_letters",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(1);
                   f.txtDeleteDays.setText("abc");
                 },
                 {{"DELRECDAYS", "DELRECDAYS=abc"}}},
        SaveCase{"days_on_negative",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(1);
                   f.txtDeleteDays.setText("-4");
                 },
                 {{"DELOLDRECS", "DELOLDRECS=-4"}, {"DELRECDAYS", "DELRECDAYS=-4"}}},
        SaveCase{"days_off",
                 [](FrmMain& f) { f.txtDeleteDays.setText("30"); },
                 {{"DELRECDAYS", "DELRECDAYS=30"}}},
        SaveCase{"grayed_check_box_counts_as_on",
                 [](FrmMain& f) {
                   f.chkDelOldRecs.setValue(2);
                   f.txtDeleteDays.setText("5");
                   f.chkArchive.setValue(2);
                   f.chkUtcOffset.setValue(2);
                   f.chkAutoRun.setValue(2);
                 },
                 {{"DELOLDRECS", "DELOLDRECS=5"},
                  {"DELRECDAYS", "DELRECDAYS=5"},
                  {"ARCHIVEFILES", "ARCHIVEFILES=YES"},
                  {"UTCOFFSET", "UTCOFFSET=YES"},
                  {"AUTORUNEVERY", "AUTORUNEVERY=5"}}},
        SaveCase{"password_trimmed",
                 [](FrmMain& f) { f.txtPassword.setText("  s3cret  "); },
                 {{"CNN_PASSWORD", "CNN_PASSWORD=s3cret"}}},
        SaveCase{"password_with_comma_quoted",
                 [](FrmMain& f) { f.txtPassword.setText("a,b"); },
                 {{"CNN_PASSWORD", "\"CNN_PASSWORD=a,b\""}}},
        SaveCase{"quote_and_comma_written_bare",
                 [](FrmMain& f) { f.txtPassword.setText("p\"w,x"); },
                 {{"CNN_PASSWORD", "CNN_PASSWORD=p\"w,x"}}},
        SaveCase{"autorun_on_zero",
                 [](FrmMain& f) {
                   f.chkAutoRun.setValue(1);
                   f.txtAutoRun.setText("0");
                 },
                 {{"AUTORUNEVERY", "AUTORUNEVERY=0"}}},
        SaveCase{
            "autorun_off_ignores_the_minutes", [](FrmMain& f) { f.txtAutoRun.setText("15"); }, {}},
        SaveCase{"archive_off_with_folder",
                 [](FrmMain& f) { f.txtArchiveFolder.setText("D:\\Old"); },
                 {}},
        SaveCase{
            "archive_on",
            [](FrmMain& f) {
              f.chkArchive.setValue(1);
              f.txtArchiveFolder.setText("D:\\Old");
            },
            {{"ARCHIVEFILES", "ARCHIVEFILES=YES"}, {"ARCHIVEFOLDER", "ARCHIVEFOLDER=D:\\Old"}}},
        SaveCase{"texts_written_unchanged",
                 [](FrmMain& f) {
                   f.txtSourceCSV.setText("D:\\In Files");
                   f.cboOleProvider.setText("SQLite");
                   f.txtDataSource.setText("plant.db");
                   f.txtInitialCat.setText("a=b");
                   f.txtUserId.setText("op");
                   f.txtDestTable.setText("T");
                   f.txtCommandTimeout.setText("x");
                   f.txtConnectionTimeout.setText("");
                   f.txtHeaderRows.setText("0");
                   f.txtColDateTime.setText("7");
                   f.txtColTag.setText("8");
                   f.txtColValue.setText("9");
                   f.txtDestCnn.setText("Provider=p;");
                 },
                 {{"CSVFOLDER", "CSVFOLDER=D:\\In Files"},
                  {"CNN_PROVIDER", "CNN_PROVIDER=SQLite"},
                  {"CNN_DATASOURCE", "CNN_DATASOURCE=plant.db"},
                  {"CNN_INITIALCATALOG", "CNN_INITIALCATALOG=a=b"},
                  {"CNN_USERID", "CNN_USERID=op"},
                  {"DESTTABLE", "DESTTABLE=T"},
                  {"CNN_COMMAND_TIMEOUT", "CNN_COMMAND_TIMEOUT=x"},
                  {"CNN_CONNECTION_TIMEOUT", "CNN_CONNECTION_TIMEOUT="},
                  {"HEADERROWS", "HEADERROWS=0"},
                  {"COLDATETIME", "COLDATETIME=7"},
                  {"COLTAG", "COLTAG=8"},
                  {"COLVALUE", "COLVALUE=9"},
                  {"DEST_CNN", "DEST_CNN=Provider=p;"}}},
        SaveCase{"utc_rows_one_and_three_only",
                 [](FrmMain& f) {
                   setUtc(f.spUTC, 1, "2021-01-01", "2021-03-14", "-5");
                   setUtc(f.spUTC, 3, "2021-03-14", "2021-11-07", "-4");
                 },
                 {},
                 {"UTC=2021-01-01::2021-03-14::-5", "UTC=::::", "UTC=2021-03-14::2021-11-07::-4"}},
        SaveCase{"utc_row_with_one_cell",
                 [](FrmMain& f) { f.spUTC.setCell(2, 3, "1"); },
                 {},
                 {"UTC=::::", "UTC=::::1"}},
        SaveCase{"utc_cell_with_separator_written_unchanged",
                 [](FrmMain& f) { setUtc(f.spUTC, 1, "a::b", "c", "d"); },
                 {},
                 {"UTC=a::b::c::d"}},
        SaveCase{"utc_cell_with_comma_quoted",
                 [](FrmMain& f) { setUtc(f.spUTC, 1, "Mar 14, 2021", "Nov 7, 2021", "-5"); },
                 {},
                 {"\"UTC=Mar 14, 2021::Nov 7, 2021::-5\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, SavingTwiceWritesTheSameBytes) {
  form().txtPassword.setText("a,b");
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText(" 30 ");
  setUtc(form().spUTC, 2, "s", "e", "1");
  save();
  const std::string first = readFile(iniPath());
  save();
  EXPECT_EQ(readFile(iniPath()), first);
  EXPECT_TRUE(prompts().empty());
}

TEST_F(SettingsTest, SavingChangesNoControl) {
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText(" 7.5 ");
  form().txtPassword.setText(" pw ");
  setUtc(form().spUTC, 1, "a", "b", "c");
  std::vector<std::string> before;
  for (const auto& name : settingsControls()) before.push_back(controlState(form(), name));
  const UtcRows rowsBefore = utcRows();
  save();
  std::vector<std::string> after;
  for (const auto& name : settingsControls()) after.push_back(controlState(form(), name));
  EXPECT_EQ(after, before);
  EXPECT_EQ(utcRows(), rowsBefore);
  EXPECT_TRUE(prompts().empty());
}

#ifndef _WIN32
TEST_F(SettingsTest, SavedFileIsReadableByItsOwnerOnly) {
  writeIni("old\r\n");
  fs::permissions(iniPath(), fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read | fs::perms::others_read);
  save();
  EXPECT_EQ(fs::status(iniPath()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

TEST_F(SettingsTest, LeftoverTemporaryFileIsReplaced) {
  writeFile(folder() / "config.ini.tmp", std::string(100000, 'j'));
  save();
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(readFile(iniPath()), joinLines(defaultLines()));
  EXPECT_FALSE(fs::exists(folder() / "config.ini.tmp"));
}

// A save that fails: the old file stays whole, no temporary file is left, one report names
// the handler.
class FailedSave : public SettingsTest {
 protected:
  static constexpr const char* kOld = "CSVFOLDER=old\r\n";

  void expectOldFileAndReport(const std::string& error) {
    EXPECT_EQ(readFile(iniPath()), kOld);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_TRUE(
        boxes()[0].prompt.starts_with("Error in Procedure btnSaveSettings_Click\r\nError " + error))
        << boxes()[0].prompt;
    EXPECT_EQ(boxes()[0].buttons, mb::Critical);
  }
};

TEST_F(FailedSave, DaysOutOfRangeWhileDeletionIsOn) {
  writeIni(kOld);
  form().chkDelOldRecs.setValue(1);
  form().txtDeleteDays.setText("40000");
  save();
  expectOldFileAndReport("6 - Overflow");
  EXPECT_FALSE(fs::exists(folder() / "config.ini.tmp"));
}

TEST_F(FailedSave, DaysOutOfRangeWhileDeletionIsOffIsWritten) {
  form().txtDeleteDays.setText("40000");
  save();
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(readLines(iniPath())[12], "DELRECDAYS=40000");
}

// Running as root, permissions do not stop a write; a folder that holds the temporary file's
// name stops its creation for every user.
TEST_F(FailedSave, TemporaryNameHeldByAFolder) {
  writeIni(kOld);
  fs::create_directory(folder() / "config.ini.tmp");
  writeFile(folder() / "config.ini.tmp" / "keep", "k");
  save();
  expectOldFileAndReport("75 - Path/File access error");
  EXPECT_EQ(readFile(folder() / "config.ini.tmp" / "keep"), "k");
}

TEST_F(FailedSave, ConfigIniIsAFolder) {
  fs::create_directory(iniPath());
  writeFile(iniPath() / "keep", "k");
  save();
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_TRUE(boxes()[0].prompt.starts_with("Error in Procedure btnSaveSettings_Click\r\nError 75"))
      << boxes()[0].prompt;
  EXPECT_EQ(readFile(iniPath() / "keep"), "k");
  EXPECT_FALSE(fs::exists(folder() / "config.ini.tmp"));
}

TEST_F(FailedSave, ProgramFolderThatIsAFile) {
  writeFile(folder() / "plain", "x");
  window_.test.session.programFolder = folder() / "plain";
  save();
  EXPECT_EQ(prompts(),
            std::vector<std::string>{
                "Error in Procedure btnSaveSettings_Click\r\nError 76 - Path not found"});
  EXPECT_EQ(readFile(window_.test.folder.path() / "plain"), "x");
}

// Save, then load into a fresh window: every control comes back except the listed differences.
struct RoundTripCase {
  const char* name;
  void (*setup)(FrmMain&);
  std::map<std::string, std::string> differences = {};  // controls that come back otherwise
  std::optional<UtcRows> utc = {};                      // when the rows come back otherwise
  std::string message = {};                             // the load's box, or "" for none
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
  *out << c.name;
}

class RoundTrip : public SettingsTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, LoadRestoresTheControls) {
  const RoundTripCase& c = GetParam();
  c.setup(form());
  save();
  ASSERT_TRUE(prompts().empty());
  SettingsWindow reloaded(folder());
  reloaded.load();
  for (const auto& name : settingsControls()) {
    const auto difference = c.differences.find(name);
    const std::string expected =
        difference != c.differences.end() ? difference->second : controlState(form(), name);
    EXPECT_EQ(controlState(reloaded.form(), name), expected) << name;
  }
  EXPECT_EQ(reloaded.utcRows(), c.utc.value_or(utcRows()));
  EXPECT_EQ(reloaded.prompts(),
            c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
}

void everyControl(FrmMain& f) {
  f.txtSourceCSV.setText("D:\\In");
  f.chkDelOldRecs.setValue(1);
  f.txtDeleteDays.setText("30");
  f.chkArchive.setValue(1);
  f.txtArchiveFolder.setText("D:\\Old");
  f.txtConnectionTimeout.setText("45");
  f.txtCommandTimeout.setText("90");
  f.cboOleProvider.setText("SQLNCLI11");
  f.txtDataSource.setText("srv\\inst");
  f.txtInitialCat.setText("plant");
  f.txtUserId.setText("op");
  f.txtPassword.setText("pa,ss=w rd");
  f.txtDestTable.setText("READINGS");
  f.txtHeaderRows.setText("2");
  f.txtColDateTime.setText("3");
  f.txtColTag.setText("4");
  f.txtColValue.setText("5");
  f.chkUtcOffset.setValue(1);
  setUtc(f.spUTC, 1, "Mar 14, 2021 02:00", "Nov 7, 2021 02:00", "-5");
  setUtc(f.spUTC, 3, "2022-01-01", "2022-06-30", " -4 ");
  f.chkAutoRun.setValue(1);
  f.txtAutoRun.setText("10 ");
  f.txtDestCnn.setText("x");
}

INSTANTIATE_TEST_SUITE_P(
    Controls, RoundTrip,
    ::testing::Values(
        RoundTripCase{"every_control", everyControl, {{"txtDestCnn", ""}}},
        RoundTripCase{"defaults", [](FrmMain&) {}, {{"txtPassword", "mepla"}}},
        RoundTripCase{"comma_in_password", [](FrmMain& f) { f.txtPassword.setText("a,b"); }, {}},
        RoundTripCase{"archive_off_drops_the_folder",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.txtArchiveFolder.setText("D:\\Old");
                      },
                      {{"txtArchiveFolder", ""}}},
        RoundTripCase{"autorun_off_gives_five",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.txtAutoRun.setText("15");
                      },
                      {{"txtAutoRun", "5"}}},
        RoundTripCase{"autorun_on_zero_comes_back_off",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.chkAutoRun.setValue(1);
                        f.txtAutoRun.setText("0");
                      },
                      {{"chkAutoRun", "0"}, {"txtAutoRun", "5"}}},
        RoundTripCase{"autorun_letters_fail_the_load",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.chkAutoRun.setValue(1);
                        f.txtAutoRun.setText("abc");
                      },
                      {{"chkAutoRun", "0"}, {"txtAutoRun", "5"}},
                      std::nullopt,
                      "Error in Proc GetIniInfo:13 - Type mismatch"},
        RoundTripCase{"days_on_come_back_trimmed",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.chkDelOldRecs.setValue(1);
                        f.txtDeleteDays.setText(" 7.5 ");
                      },
                      {{"txtDeleteDays", "7.5"}}},
        RoundTripCase{"days_on_letters_come_back_off_and_empty",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.chkDelOldRecs.setValue(1);
                        f.txtDeleteDays.setText("abc");
                      },
                      {{"chkDelOldRecs", "0"}, {"txtDeleteDays", ""}}},
        RoundTripCase{"days_off_with_number_come_back_on",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.txtDeleteDays.setText("30");
                      },
                      {{"chkDelOldRecs", "1"}}},
        RoundTripCase{"blanks_around_trimmed_texts_dropped",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        f.txtSourceCSV.setText("  D:\\In  ");
                        f.txtDestTable.setText(" T");
                      },
                      {{"txtSourceCSV", "D:\\In"}, {"txtDestTable", "T"}}},
        RoundTripCase{"utc_cell_with_separator_shifts_parts",
                      [](FrmMain& f) {
                        f.txtPassword.setText("p");
                        setUtc(f.spUTC, 1, "a::b", "c", "d");
                      },
                      {},
                      UtcRows{{"a", "b", "c"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace csv2sql::testing
