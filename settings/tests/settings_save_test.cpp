#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

TEST(SettingsSave, DefaultControlsGiveTwentyLines) {
  SettingsWindow window;
  window.save();
  EXPECT_EQ(readFile(window.iniPath()),
            "CSVFOLDER=\r\nDELOLDRECS=-1\r\nARCHIVEFILES=NO\r\nARCHIVEFOLDER=\r\n"
            "CNN_COMMAND_TIMEOUT=30\r\nCNN_CONNECTION_TIMEOUT=30\r\nCNN_PROVIDER=MSOLEDBSQL.1\r\n"
            "CNN_DATASOURCE=" +
                window.form().txtDataSource.text() +
                "\r\nCNN_INITIALCATALOG=\r\nCNN_USERID=\r\nCNN_PASSWORD=\r\nDESTTABLE=CSVDATA\r\n"
                "DELRECDAYS=\r\nHEADERROWS=1\r\nCOLDATETIME=1\r\nCOLTAG=2\r\nCOLVALUE=3\r\n"
                "UTCOFFSET=NO\r\nAUTORUNEVERY=-1\r\nDEST_CNN=\r\n");
  EXPECT_TRUE(window.prompts().empty());
}

// Saved, then loaded into a fresh window: every control comes back but the ones listed; the
// error folder, newer than the old lines, after them. A value that the reader would cut is
// quoted, unless it holds a quote; a grayed check box counts as on; a cell holding the separator
// shifts the parts after it.
TEST(SettingsSave, EveryValueSetIsWrittenAsFormedAndLoadsBack) {
  SettingsWindow saved;
  saved.set(
      "txtSourceCSV=D:\\In Files|chkDelOldRecs=1|txtDeleteDays= 7.5 |chkArchive=1|"
      "txtArchiveFolder=D:\\Old|txtConnectionTimeout=45|txtCommandTimeout=90|"
      "cboOleProvider=SQLNCLI11|txtDataSource=srv\\inst|txtInitialCat=a\"b,c|txtUserId=op|"
      "txtPassword=  pa,ss  |txtDestTable=READINGS|txtHeaderRows=2|txtColDateTime=3|"
      "txtColTag=4|txtColValue=5|chkUtcOffset=2|chkAutoRun=1|txtAutoRun=10|txtDestCnn=P=p;|"
      "txtErrorFolder=D:\\Err");
  const char* utc[][3] = {{"Mar 14, 2021 02:00", "Nov 7, 2021", "-5"}, {}, {"a::b", "c", "d"}};
  for (int row : {0, 2}) {
    for (int column = 0; column < 3; ++column)
      saved.form().spUTC.setCell(row + 1, column + 1, utc[row][column]);
  }
  const States before = saved.states();
  saved.save();
  EXPECT_EQ(
      readFile(saved.iniPath()),
      "CSVFOLDER=D:\\In Files\r\nDELOLDRECS=8\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=D:\\Old\r\n"
      "CNN_COMMAND_TIMEOUT=90\r\nCNN_CONNECTION_TIMEOUT=45\r\nCNN_PROVIDER=SQLNCLI11\r\n"
      "CNN_DATASOURCE=srv\\inst\r\nCNN_INITIALCATALOG=a\"b,c\r\nCNN_USERID=op\r\n"
      "\"CNN_PASSWORD=pa,ss\"\r\nDESTTABLE=READINGS\r\n\"DELRECDAYS= 7.5 \"\r\nHEADERROWS=2\r\n"
      "COLDATETIME=3\r\nCOLTAG=4\r\nCOLVALUE=5\r\nUTCOFFSET=YES\r\n"
      "\"UTC=Mar 14, 2021 02:00::Nov 7, 2021::-5\"\r\nUTC=::::\r\nUTC=a::b::c::d\r\n"
      "AUTORUNEVERY=10\r\nDEST_CNN=P=p;\r\nERRORFOLDER=D:\\Err\r\n");
  EXPECT_EQ(saved.states(), before);  // saving changes no control
  SettingsWindow loaded;
  loaded.test.session.programFolder = saved.test.session.programFolder;
  loaded.load();
  States expected = before;
  for (const auto& [name, state] :
       statesOf("txtDeleteDays=7.5|txtInitialCat=a\"b|"
                "txtPassword=pa,ss|chkUtcOffset=1|txtDestCnn=|"
                "spUTC=Mar 14, 2021 02:00::Nov 7, 2021::-5;::::;a::b::c")) {
    expected[name] = state;
  }
  EXPECT_EQ(loaded.states(), expected);
}

TEST(SettingsSave, OffCheckBoxesWriteNoDaysAndNoArchiveFolder) {
  for (const auto& [set, line] : {std::pair{"chkDelOldRecs=1|txtDeleteDays=abc", "DELOLDRECS=-1"},
                                  {"txtArchiveFolder=D:\\Old", "ARCHIVEFOLDER=\r"}}) {
    SettingsWindow window;
    window.set(set);
    window.save();
    EXPECT_NE(readFile(window.iniPath()).find(line), std::string::npos) << set;
  }
}

#ifndef _WIN32
TEST(SettingsSave, SavedFileIsReadableByItsOwnerOnlyAndReplacesALeftoverTemporaryFile) {
  SettingsWindow window;
  writeFile(window.iniPath(), "old\r\n");
  fs::permissions(window.iniPath(), fs::perms::all);
  writeFile(window.iniPath().string() + ".tmp", std::string(100000, 'j'));
  window.save();
  EXPECT_TRUE(readFile(window.iniPath()).starts_with("CSVFOLDER=\r\n"));
  EXPECT_EQ(fs::status(window.iniPath()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(window.iniPath().string() + ".tmp"));
}
#endif

// A save that fails leaves the old file whole and no temporary file, and a critical report
// names the handler. Running as root, permissions do not stop a write; a folder does.
TEST(SettingsSave, FailedSaveKeepsTheOldFile) {
  SettingsWindow window;
  const std::string temporary = window.iniPath().string() + ".tmp";
  writeFile(window.iniPath(), "CSVFOLDER=old\r\n");
  window.set("chkDelOldRecs=1|txtDeleteDays=40000");
  window.save();
  EXPECT_FALSE(fs::exists(temporary));
  window.set("chkDelOldRecs=0");
  fs::create_directories(temporary + "/keep");
  window.save();
  EXPECT_EQ(readFile(window.iniPath()), "CSVFOLDER=old\r\n");
  const std::string report = "Error in Procedure btnSaveSettings_Click\r\nError ";
  EXPECT_EQ(window.prompts(), (std::vector<std::string>{
                                  report + "6 - Overflow",
                                  report + "75 - Path/File access error" + folderOpenedAsFile()}));
  EXPECT_EQ(window.test.messageBox.shown[0].buttons, mb::Critical);
}

}  // namespace
}  // namespace csv2sql::testing
