#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kDataSource = FrmMain().txtDataSource.text();
const std::string kDefaultFile =
    "CSVFOLDER=\r\nDELOLDRECS=-1\r\nARCHIVEFILES=NO\r\nARCHIVEFOLDER=\r\nCNN_COMMAND_TIMEOUT=30\r\n"
    "CNN_CONNECTION_TIMEOUT=30\r\nCNN_PROVIDER=MSOLEDBSQL.1\r\nCNN_DATASOURCE=" +
    kDataSource +
    "\r\nCNN_INITIALCATALOG=\r\nCNN_USERID=\r\nCNN_PASSWORD=\r\nDESTTABLE=CSVDATA\r\n"
    "DELRECDAYS=\r\nHEADERROWS=1\r\nCOLDATETIME=1\r\nCOLTAG=2\r\nCOLVALUE=3\r\nUTCOFFSET=NO\r\n"
    "AUTORUNEVERY=-1\r\nDEST_CNN=\r\n";

TEST_F(SettingsTest, DefaultControlsGiveTwentyLines) {
  window.save();
  EXPECT_EQ(readIni(), kDefaultFile);
  EXPECT_TRUE(boxes().empty());
}

// The default file with lines replaced by key (the key of a quoted line is after its quote),
// and UTC lines put before AUTORUNEVERY.
std::string defaultFileWith(const Lines& replaced, const Lines& utc) {
  std::string text;
  for (std::size_t start = 0, end; start < kDefaultFile.size(); start = end + 2) {
    end = kDefaultFile.find("\r\n", start);
    std::string line = kDefaultFile.substr(start, end - start);
    if (line.starts_with("AUTORUNEVERY=")) {
      for (const auto& utcLine : utc) text += utcLine + "\r\n";
    }
    for (const auto& other : replaced) {
      if (other.substr(other.starts_with('"') ? 1 : 0)
              .starts_with(line.substr(0, line.find('=') + 1))) {
        line = other;
      }
    }
    text += line + "\r\n";
  }
  return text;
}

TEST_F(SettingsTest, SaveWritesEveryLineAsFormed) {
  const struct {
    const char* name;
    std::string set, replaced;  // "name=state|...", "line|line|..."
    UtcRows utc = {};
    std::string utcLines = {};
  } cases[] = {
      {"days_on_fraction", "chkDelOldRecs=1|txtDeleteDays=7.5", "DELOLDRECS=8|DELRECDAYS=7.5"},
      {"days_on_blanks_around_kept_in_quotes", "chkDelOldRecs=1|txtDeleteDays= 30 ",
       "DELOLDRECS=30|\"DELRECDAYS= 30 \""},
      {"days_on_letters", "chkDelOldRecs=1|txtDeleteDays=abc", "DELRECDAYS=abc"},
      {"days_on_negative", "chkDelOldRecs=1|txtDeleteDays=-4", "DELOLDRECS=-4|DELRECDAYS=-4"},
      {"days_off", "txtDeleteDays=30", "DELRECDAYS=30"},
      {"days_off_out_of_range_written", "txtDeleteDays=40000", "DELRECDAYS=40000"},
      {"grayed_check_box_counts_as_on",
       "chkDelOldRecs=2|txtDeleteDays=5|chkArchive=2|chkUtcOffset=2|chkAutoRun=2",
       "DELOLDRECS=5|DELRECDAYS=5|ARCHIVEFILES=YES|UTCOFFSET=YES|AUTORUNEVERY=5"},
      {"password_trimmed", "txtPassword=  s3cret  ", "CNN_PASSWORD=s3cret"},
      {"autorun_on_zero", "chkAutoRun=1|txtAutoRun=0", "AUTORUNEVERY=0"},
      {"autorun_off_ignores_the_minutes", "txtAutoRun=15", {}},
      {"archive_off_drops_the_folder", "txtArchiveFolder=D:\\Old", {}},
      {"archive_on", "chkArchive=1|txtArchiveFolder=D:\\Old",
       "ARCHIVEFILES=YES|ARCHIVEFOLDER=D:\\Old"},
      {"texts_written_unchanged",
       "txtSourceCSV=D:\\In "
       "Files|cboOleProvider=SQLite|txtDataSource=plant.db|txtInitialCat=a=b|txtUserId=op|"
       "txtDestTable=T|txtCommandTimeout=x|txtConnectionTimeout=|txtHeaderRows=0|txtColDateTime=7|"
       "txtColTag=8|txtColValue=9|txtDestCnn=Provider=p;",
       "CSVFOLDER=D:\\In "
       "Files|CNN_PROVIDER=SQLite|CNN_DATASOURCE=plant.db|CNN_INITIALCATALOG=a=b|CNN_USERID=op|"
       "DESTTABLE=T|CNN_COMMAND_TIMEOUT=x|CNN_CONNECTION_TIMEOUT=|HEADERROWS=0|COLDATETIME=7|"
       "COLTAG=8|COLVALUE=9|DEST_CNN=Provider=p;"},
      {"utc_rows_up_to_the_last_with_data",
       {},
       {},
       {{"2021-01-01", "2021-03-14", "-5"}, {"", "", ""}, {"", "", "1"}},
       "UTC=2021-01-01::2021-03-14::-5|UTC=::::|UTC=::::1"},
      {"utc_cell_with_separator_written_unchanged", {}, {}, {{"a::b", "c", "d"}}, "UTC=a::b::c::d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsWindow fresh;
    fresh.set(c.set, c.utc);
    const States before = fresh.states();
    fresh.save();
    EXPECT_EQ(readFile(fresh.iniPath()), defaultFileWith(split(c.replaced), split(c.utcLines)));
    EXPECT_TRUE(fresh.prompts().empty());
    EXPECT_EQ(fresh.states(), before);  // saving changes no control
    EXPECT_EQ(fresh.utcRows().size(), c.utc.size());
  }
}

#ifndef _WIN32
TEST_F(SettingsTest, SavedFileIsReadableByItsOwnerOnlyAndReplacesALeftoverTemporaryFile) {
  writeIni("old\r\n");
  fs::permissions(window.iniPath(), fs::perms::all);
  writeFile(folder() / "config.ini.tmp", std::string(100000, 'j'));
  window.save();
  EXPECT_EQ(readIni(), kDefaultFile);
  EXPECT_EQ(fs::status(window.iniPath()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(folder() / "config.ini.tmp"));
}
#endif

// A save that fails leaves the old file whole and no temporary file, and one critical report
// names the handler.
TEST_F(SettingsTest, FailedSaveKeepsTheOldFile) {
  const struct {
    const char* name;
    void (*setup)(SettingsWindow&);
    std::string error;
  } cases[] = {
      {"days_out_of_range_while_deletion_is_on",
       [](SettingsWindow& w) { w.set("chkDelOldRecs=1|txtDeleteDays=40000"); }, "6 - Overflow"},
      // Running as root, permissions do not stop a write; a folder at the temporary file's
      // name stops it for every user.
      {"temporary_name_held_by_a_folder",
       [](SettingsWindow& w) {
         fs::create_directory(w.iniPath().string() + ".tmp");
         writeFile(w.iniPath().string() + ".tmp/keep", "k");
       },
       "75 - Path/File access error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsWindow fresh;
    writeFile(fresh.iniPath(), "CSVFOLDER=old\r\n");
    c.setup(fresh);
    fresh.save();
    EXPECT_EQ(readFile(fresh.iniPath()), "CSVFOLDER=old\r\n");
    ASSERT_EQ(fresh.prompts().size(), 1u);
    EXPECT_TRUE(fresh.prompts()[0].starts_with(
        "Error in Procedure btnSaveSettings_Click\r\nError " + c.error));
    EXPECT_EQ(fresh.test.messageBox.shown[0].buttons, mb::Critical);
    EXPECT_FALSE(fs::is_regular_file(fresh.iniPath().string() + ".tmp"));
  }
  fs::create_directory(window.iniPath());  // config.ini itself a folder
  writeFile(window.iniPath() / "keep", "k");
  window.save();
  EXPECT_EQ(readFile(window.iniPath() / "keep"), "k");
  EXPECT_FALSE(fs::exists(folder() / "config.ini.tmp"));
  writeFile(folder() / "plain", "x");
  window.test.session.programFolder = folder() / "plain";
  window.save();
  EXPECT_EQ(window.prompts(),
            (Lines{window.prompts()[0],
                   "Error in Procedure btnSaveSettings_Click\r\nError 76 - Path not found"}));
  EXPECT_TRUE(
      window.prompts()[0].starts_with("Error in Procedure btnSaveSettings_Click\r\nError 75"));
}

// Save, then load into a fresh window: every control comes back except the listed differences.
TEST_F(SettingsTest, LoadRestoresWhatSaveWrote) {
  const struct {
    const char* name;
    std::string set, differences = {};  // controls that come back otherwise
    std::string message = {};           // the load's box, or "" for none
  } cases[] = {
      {"every_control",
       "txtSourceCSV=D:\\In|chkDelOldRecs=1|txtDeleteDays=30|chkArchive=1|txtArchiveFolder=D:\\Old|"
       "txtConnectionTimeout=45|txtCommandTimeout=90|cboOleProvider=SQLNCLI11|txtDataSource="
       "srv\\inst|txtInitialCat=plant|txtUserId=op|txtPassword=pa,ss=w "
       "rd|txtDestTable=READINGS|txtHeaderRows=2|txtColDateTime=3|txtColTag=4|txtColValue=5|"
       "chkUtcOffset=1|chkAutoRun=1|txtAutoRun=10 |txtDestCnn=x",
       "txtDestCnn="},
      {"defaults", {}, "txtPassword=mepla"},
      {"archive_off_drops_the_folder", "txtPassword=p|txtArchiveFolder=D:\\Old",
       "txtArchiveFolder="},
      {"autorun_off_gives_five", "txtPassword=p|txtAutoRun=15", "txtAutoRun=5"},
      {"autorun_on_zero_comes_back_off", "txtPassword=p|chkAutoRun=1|txtAutoRun=0",
       "chkAutoRun=0|txtAutoRun=5"},
      {"autorun_letters_fail_the_load", "txtPassword=p|chkAutoRun=1|txtAutoRun=abc",
       "chkAutoRun=0|txtAutoRun=5", "Error in Proc GetIniInfo:13 - Type mismatch"},
      {"days_on_come_back_trimmed", "txtPassword=p|chkDelOldRecs=1|txtDeleteDays= 7.5 ",
       "txtDeleteDays=7.5"},
      {"days_on_letters_come_back_off_and_empty", "txtPassword=p|chkDelOldRecs=1|txtDeleteDays=abc",
       "chkDelOldRecs=0|txtDeleteDays="},
      {"days_off_with_number_come_back_on", "txtPassword=p|txtDeleteDays=30", "chkDelOldRecs=1"},
      {"blanks_around_trimmed_texts_dropped",
       "txtPassword=p|txtSourceCSV=  D:\\In  |txtDestTable= T",
       "txtSourceCSV=D:\\In|txtDestTable=T"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsWindow saved;
    saved.set(
        c.set,
        {{"Mar 14, 2021 02:00", "Nov 7, 2021 02:00", "-5"}, {"", "", ""}, {"a::b", "c", " -4 "}});
    saved.save();
    ASSERT_TRUE(saved.prompts().empty());
    SettingsWindow loaded(saved.test.session.programFolder);
    loaded.load();
    States expected = saved.states();
    for (const auto& [name, state] : statesOf(c.differences)) expected[name] = state;
    EXPECT_EQ(loaded.states(), expected);
    // A cell holding the separator shifts the parts after it.
    EXPECT_EQ(loaded.utcRows(), (UtcRows{{"Mar 14, 2021 02:00", "Nov 7, 2021 02:00", "-5"},
                                         {"", "", ""},
                                         {"a", "b", "c"}}));
    EXPECT_EQ(loaded.prompts(), c.message.empty() ? Lines{} : Lines{c.message});
  }
}

}  // namespace
}  // namespace csv2sql::testing
