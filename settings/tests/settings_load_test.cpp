#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

using Prompts = std::vector<std::string>;

// One row per effect of a key; the save tests load a file with every key once.
TEST(SettingsLoad, AppliesEntriesInFileOrderUpToTheFirstFailure) {
  const std::string error = "Error in Proc GetIniInfo:";
  const struct {
    const char* name;
    const char* file;
    const char* changed;       // "name=state|...": the settings off their default
    const char* message = "";  // the one box shown, or "" for none
  } cases[] = {
      {"blanks_around_key_and_value", "   csvfolder  =  D:\\a=b   ", "txtSourceCSV=D:\\a=b"},
      {"error_folder_trimmed", "ERRORFOLDER= D:\\Err ", "txtErrorFolder=D:\\Err"},
      {"no_key", "CSV FOLDER=x\nCSVFOLDER\n\xe9TC=a::b::c\nFOO=1", ""},
      {"blank_password_gives_default", "CNN_PASSWORD=x\nCNN_PASSWORD= ", "txtPassword=mepla"},
      {"utcoffset_only_yes_checks", "UTCOFFSET=YES\nUTCOFFSET= YES", ""},
      {"archivefiles_other_values_keep_it", "ARCHIVEFILES= YES \nARCHIVEFILES=NO", "chkArchive=1"},
      {"delold_empty_delrecdays", "DELOLDRECS=30\nDELRECDAYS=", "chkDelOldRecs=1|txtDeleteDays=30"},
      {"delold_rounds_to_zero", "DELOLDRECS=5\nDELOLDRECS=0.4", ""},
      {"delold_overflow", "CSVFOLDER=a\nDELOLDRECS=40000\nCOLTAG=9", "txtSourceCSV=a",
       "6 - Overflow"},
      {"delrecdays_trimmed", "DELRECDAYS= 1.5 ", "chkDelOldRecs=1|txtDeleteDays=1.5"},
      {"delrecdays_rounds_to_zero", "DELRECDAYS=0.5", ""},
      {"autorun_off_gives_five", "AUTORUNEVERY=9\nAUTORUNEVERY=0", ""},
      {"autorun_text_as_read", "AUTORUNEVERY= 10.5", "chkAutoRun=1|txtAutoRun= 10.5"},
      {"autorun_empty", "AUTORUNEVERY=", "", "13 - Type mismatch"},
      {"utc_rows_between_entries", "UTC=1::2::3\nCOLTAG=4\nutc =4::5::6::7",
       "txtColTag=4|spUTC=1::2::3;4::5::6"},
      {"utc_empty_value", "UTC=\nCOLTAG=9", "", "9 - Subscript out of range"},
      {"utc_missing_part", "UTC=x::y\nCOLTAG=9", "spUTC=x::y::", "9 - Subscript out of range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsWindow window;
    writeFile(window.iniPath(), c.file);
    window.load();
    EXPECT_EQ(window.states(), defaultsWith(c.changed));
    EXPECT_EQ(window.prompts(), *c.message ? Prompts{error + c.message} : Prompts{});
  }
}

// Missing, a folder, or below a plain file: a plain box says why and the controls keep their
// defaults.
TEST(SettingsLoad, FileThatCannotBeReadShowsWhyInAPlainBox) {
  SettingsWindow window;
  window.load();
  EXPECT_EQ(window.test.messageBox.shown[0].buttons, mb::OkOnly);
  EXPECT_FALSE(window.test.messageBox.shown[0].title);  // the program's title
  std::filesystem::create_directory(window.iniPath());
  window.load();
  writeFile(window.test.session.programFolder / "plain", "x");
  window.test.session.programFolder /= "plain";
  window.load();
  EXPECT_EQ(window.prompts(),
            (Prompts{"Error in Proc GetIniInfo:53 - File not found",
                     "Error in Proc GetIniInfo:75 - Path/File access error" + folderOpenedAsFile(),
                     "Error in Proc GetIniInfo:76 - Path not found"}));
  EXPECT_EQ(window.states(), defaultsWith(""));
}

TEST(SettingsLoad, RunsTheDeleteBoxClickHandlersAndFillsUtcRowsFromRowOne) {
  SettingsWindow window;
  int clicks = 0;
  window.form().chkDelOldRecs.clicked().connect([&] { ++clicks; });
  window.form().spUTC.setRow(7);
  writeFile(window.iniPath(), "DELOLDRECS=5\r\nDELOLDRECS=7\r\nDELOLDRECS=-1\r\nUTC=a::b::c\r\n");
  window.load();
  EXPECT_EQ(clicks, 2);  // on, then off; setting the value it holds runs nothing
  EXPECT_EQ(window.states()["spUTC"], "a::b::c");
}

}  // namespace
}  // namespace csv2sql::testing
