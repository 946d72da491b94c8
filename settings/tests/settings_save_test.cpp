#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

namespace fs = std::filesystem;

TEST(SettingsSave, DefaultsGiveTwentyLines) {
  SettingsFile file;
  file.save(Settings());
  EXPECT_EQ(readFile(file.iniPath()),
            "CSVFOLDER=\r\nDELOLDRECS=-1\r\nARCHIVEFILES=NO\r\nARCHIVEFOLDER=\r\n"
            "CNN_COMMAND_TIMEOUT=30\r\nCNN_CONNECTION_TIMEOUT=30\r\nCNN_PROVIDER=MSOLEDBSQL.1\r\n"
            "CNN_DATASOURCE=localhost\\SQLEXPRESS\r\nCNN_INITIALCATALOG=\r\nCNN_USERID=\r\nCNN_"
            "PASSWORD=\r\nDESTTABLE=CSVDATA\r\n"
            "DELRECDAYS=\r\nHEADERROWS=1\r\nCOLDATETIME=1\r\nCOLTAG=2\r\nCOLVALUE=3\r\n"
            "UTCOFFSET=NO\r\nAUTORUNEVERY=-1\r\nDEST_CNN=\r\n");
  EXPECT_TRUE(file.prompts().empty());
}

// Saved, then loaded again: every field comes back but the ones listed; the newer keys after the
// old lines. A value that the reader would cut is quoted, unless it holds a quote; a cell holding
// the separator shifts the parts after it.
TEST(SettingsSave, EveryValueSetIsWrittenAsFormedAndLoadsBack) {
  SettingsFile file;
  Settings saved = settingsWith(
      "CSVFOLDER=D:\\In Files|DELOLDRECS=YES|DELRECDAYS= 7.5 |ARCHIVEFILES=YES|"
      "ARCHIVEFOLDER=D:\\Old|CNN_CONNECTION_TIMEOUT=45|CNN_COMMAND_TIMEOUT=90|"
      "CNN_PROVIDER=SQLNCLI11|CNN_DATASOURCE=srv\\inst|CNN_INITIALCATALOG=a\"b,c|CNN_USERID=op|"
      "CNN_PASSWORD=  pa,ss  |DESTTABLE=READINGS|HEADERROWS=2|COLDATETIME=3|"
      "COLTAG=4|COLVALUE=5|UTCOFFSET=YES|autoRun=YES|AUTORUNEVERY=10|DEST_CNN=P=p;|"
      "LEDGERTABLE=LEDGER|ERRORFOLDER=D:\\Err|DELIMITER=;|DECIMALMARK=,|QUOTES=YES|"
      "DATEFORMAT=ISO|DATEORDER=DMY|COLTIME=2|LAYOUT=WIDE|FILES=*.txt");
  saved.utc = {{"Mar 14, 2021 02:00", "Nov 7, 2021", "-5"}, {}, {"a::b", "c", "d"}};
  file.save(saved);
  EXPECT_EQ(
      readFile(file.iniPath()),
      "CSVFOLDER=D:\\In Files\r\nDELOLDRECS=8\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=D:\\Old\r\n"
      "CNN_COMMAND_TIMEOUT=90\r\nCNN_CONNECTION_TIMEOUT=45\r\nCNN_PROVIDER=SQLNCLI11\r\n"
      "CNN_DATASOURCE=srv\\inst\r\nCNN_INITIALCATALOG=a\"b,c\r\nCNN_USERID=op\r\n"
      "\"CNN_PASSWORD=pa,ss\"\r\nDESTTABLE=READINGS\r\n\"DELRECDAYS= 7.5 \"\r\nHEADERROWS=2\r\n"
      "COLDATETIME=3\r\nCOLTAG=4\r\nCOLVALUE=5\r\nUTCOFFSET=YES\r\n"
      "\"UTC=Mar 14, 2021 02:00::Nov 7, 2021::-5\"\r\nUTC=::::\r\nUTC=a::b::c::d\r\n"
      "AUTORUNEVERY=10\r\nDEST_CNN=P=p;\r\nLEDGERTABLE=LEDGER\r\nERRORFOLDER=D:\\Err\r\n"
      "DELIMITER=;\r\n\"DECIMALMARK=,\"\r\nQUOTES=YES\r\nDATEFORMAT=ISO\r\nDATEORDER=DMY\r\n"
      "COLTIME=2\r\nLAYOUT=WIDE\r\nFILES=*.txt\r\n");
  States expected = statesOf(saved);
  for (const auto& [key, text] :
       statesOf("DELRECDAYS=7.5|CNN_INITIALCATALOG=a\"b|CNN_PASSWORD=pa,ss|DEST_CNN=|"
                "UTC=Mar 14, 2021 02:00::Nov 7, 2021::-5;::::;a::b::c")) {
    expected[key] = text;
  }
  EXPECT_EQ(statesOf(file.load()), expected);
}

TEST(SettingsSave, OffFlagsWriteNoDaysNoArchiveFolderAndNoMinutes) {
  for (const auto& [set, line] : {std::pair{"DELOLDRECS=YES|DELRECDAYS=abc", "DELOLDRECS=-1\r"},
                                  {"DELOLDRECS=NO|DELRECDAYS=5", "DELOLDRECS=-1\r"},
                                  {"ARCHIVEFOLDER=D:\\Old", "ARCHIVEFOLDER=\r"},
                                  {"AUTORUNEVERY=10", "AUTORUNEVERY=-1\r"}}) {
    SettingsFile file;
    file.save(settingsWith(set));
    EXPECT_NE(readFile(file.iniPath()).find(line), std::string::npos) << set;
  }
}

#ifndef _WIN32
TEST(SettingsSave, SavedFileIsReadableByItsOwnerOnlyAndReplacesALeftoverTemporaryFile) {
  SettingsFile file;
  writeFile(file.iniPath(), "old\r\n");
  fs::permissions(file.iniPath(), fs::perms::all);
  writeFile(file.iniPath().string() + ".tmp", std::string(100000, 'j'));
  file.save(Settings());
  EXPECT_TRUE(readFile(file.iniPath()).starts_with("CSVFOLDER=\r\n"));
  EXPECT_EQ(fs::status(file.iniPath()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(file.iniPath().string() + ".tmp"));
}
#endif

// A save that fails leaves the old file whole and no temporary file, and a critical report
// names the handler. Running as root, permissions do not stop a write; a folder does.
TEST(SettingsSave, FailedSaveKeepsTheOldFile) {
  SettingsFile file;
  const std::string temporary = file.iniPath().string() + ".tmp";
  writeFile(file.iniPath(), "CSVFOLDER=old\r\n");
  file.save(settingsWith("DELOLDRECS=YES|DELRECDAYS=40000"));
  EXPECT_FALSE(fs::exists(temporary));
  fs::create_directories(temporary + "/keep");
  file.save(Settings());
  EXPECT_EQ(readFile(file.iniPath()), "CSVFOLDER=old\r\n");
  const std::string report = "Error in Procedure btnSaveSettings_Click\r\nError ";
  EXPECT_EQ(file.prompts(), (std::vector<std::string>{
                                report + "6 - Overflow",
                                report + "75 - Path/File access error" + folderOpenedAsFile()}));
  EXPECT_EQ(file.test.messageBox.shown[0].buttons, mb::Critical);
}

}  // namespace
}  // namespace csv2sql::testing
