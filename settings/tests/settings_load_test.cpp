#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

using Prompts = std::vector<std::string>;

// One row per rule of a key; the save tests load a file with every key once.
TEST(SettingsLoad, AppliesEntriesInFileOrderUpToTheFirstFailure) {
  const std::string error = "Error in Proc GetIniInfo:";
  const struct {
    const char* name;
    const char* file;
    const char* changed;       // "KEY=text|...": the fields off their default
    const char* message = "";  // the one box shown, or "" for none
  } cases[] = {
      {"blanks_around_key_and_value", "   csvfolder  =  D:\\a=b   ", "CSVFOLDER=D:\\a=b"},
      {"error_folder_trimmed", "ERRORFOLDER= D:\\Err ", "ERRORFOLDER=D:\\Err"},
      {"ledger_table_trimmed", "ledgertable= LEDGER ", "LEDGERTABLE=LEDGER"},
      {"reading_keys_trimmed_but_the_delimiter_a_comma_quoted",
       "\"DELIMITER= \"\n\"DECIMALMARK= , \"\nquotes=YES\nDATEFORMAT= dd.mm.yyyy hh:nn "
       "\nDATEORDER=DMY\n"
       "COLTIME= 2\nLAYOUT=WIDE\nFILES= *.txt;*.csv ",
       "DELIMITER= |DECIMALMARK=,|QUOTES=YES|DATEFORMAT=dd.mm.yyyy hh:nn|DATEORDER=DMY|COLTIME=2|"
       "LAYOUT=WIDE|FILES=*.txt;*.csv"},
      {"bare_comma_is_the_mark_and_the_delimiter", "DECIMALMARK=,\r\nDELIMITER=,\r\n",
       "DECIMALMARK=,|DELIMITER=,"},
      {"bare_comma_at_the_end_of_the_file", "DECIMALMARK=,", "DECIMALMARK=,"},
      {"bare_comma_cuts_other_keys_as_always", "CSVFOLDER=,\nLEDGERTABLE=,", ""},
      {"empty_mark_stays_empty", "DECIMALMARK=\nDECIMALMARK=", ""},
      {"no_key", "CSV FOLDER=x\nCSVFOLDER\n\xe9TC=a::b::c\nFOO=1", ""},
      {"blank_password_gives_default", "CNN_PASSWORD=x\nCNN_PASSWORD= ", "CNN_PASSWORD=mepla"},
      {"utcoffset_only_yes_checks", "UTCOFFSET=YES\nUTCOFFSET= YES", ""},
      {"archivefiles_other_values_keep_it", "ARCHIVEFILES= YES \nARCHIVEFILES=NO",
       "ARCHIVEFILES=YES"},
      {"delold_empty_delrecdays", "DELOLDRECS=30\nDELRECDAYS=", "DELOLDRECS=YES|DELRECDAYS=30"},
      {"delold_rounds_to_zero", "DELOLDRECS=5\nDELOLDRECS=0.4", ""},
      {"delold_overflow", "CSVFOLDER=a\nDELOLDRECS=40000\nCOLTAG=9", "CSVFOLDER=a", "6 - Overflow"},
      {"delrecdays_trimmed", "DELRECDAYS= 1.5 ", "DELOLDRECS=YES|DELRECDAYS=1.5"},
      {"delrecdays_rounds_to_zero", "DELRECDAYS=0.5", ""},
      {"dest_cnn_never_read", "DEST_CNN=Provider=x;", ""},
      {"autorun_off_gives_five", "AUTORUNEVERY=9\nAUTORUNEVERY=0", ""},
      {"autorun_text_as_read", "AUTORUNEVERY= 10.5", "autoRun=YES|AUTORUNEVERY= 10.5"},
      {"autorun_empty", "AUTORUNEVERY=", "", "13 - Type mismatch"},
      {"utc_rows_between_entries", "UTC=1::2::3\nCOLTAG=4\nutc =4::5::6::7",
       "COLTAG=4|UTC=1::2::3;4::5::6"},
      {"utc_empty_value", "UTC=\nCOLTAG=9", "", "9 - Subscript out of range"},
      {"utc_missing_part", "UTC=x::y\nCOLTAG=9", "UTC=x::y::", "9 - Subscript out of range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsFile file;
    writeFile(file.iniPath(), c.file);
    EXPECT_EQ(statesOf(file.load()), defaultsWith(c.changed));
    EXPECT_EQ(file.prompts(), *c.message ? Prompts{error + c.message} : Prompts{});
  }
}

// Missing, a folder, or below a plain file: a plain box says why and the settings keep their
// defaults.
TEST(SettingsLoad, FileThatCannotBeReadShowsWhyInAPlainBox) {
  SettingsFile file;
  std::vector<Settings> loaded{file.load()};
  EXPECT_EQ(file.test.messageBox.shown[0].buttons, mb::OkOnly);
  EXPECT_FALSE(file.test.messageBox.shown[0].title);  // the program's title
  std::filesystem::create_directory(file.iniPath());
  loaded.push_back(file.load());
  writeFile(file.test.session.programFolder / "plain", "x");
  file.test.session.programFolder /= "plain";
  loaded.push_back(file.load());
  EXPECT_EQ(file.prompts(),
            (Prompts{"Error in Proc GetIniInfo:53 - File not found",
                     "Error in Proc GetIniInfo:75 - Path/File access error" + folderOpenedAsFile(),
                     "Error in Proc GetIniInfo:76 - Path not found"}));
  for (const Settings& settings : loaded) EXPECT_EQ(settings, Settings());
}

}  // namespace
}  // namespace csv2sql::testing
