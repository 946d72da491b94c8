#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

using namespace std::string_literals;
using Prompts = std::vector<std::string>;

TEST_F(SettingsTest, LoadAppliesEntriesInFileOrderUpToTheFirstFailure) {
  const std::string overflow = "Error in Proc GetIniInfo:6 - Overflow";
  const std::string typeMismatch = "Error in Proc GetIniInfo:13 - Type mismatch";
  const std::string subscript = "Error in Proc GetIniInfo:9 - Subscript out of range";
  const struct {
    const char* name;
    std::string file;
    std::string changed = {};  // "name=state|...": settings controls off their default
    UtcRows utc = {};          // spUTC afterwards
    std::string message = {};  // the one box shown, or "" for none
  } cases[] = {
      // Lines end with a bare LF here; the item reader's own table covers the other line ends.
      {"empty_file", ""},
      {"unknown_keys_only", "FOO=1\nBAR=2,BAZ=3"},
      {"blanks_around_key_and_value", "   csvfolder  =  D:\\Data   ", "txtSourceCSV=D:\\Data"},
      {"key_in_any_letter_case", "Cnn_UserId=op", "txtUserId=op"},
      {"blank_inside_key_is_no_key", "CSV FOLDER=x"},
      {"nul_in_key_is_no_key", "CSV\0FOLDER=x"s},
      {"empty_key_and_item_without_equals", "=CSVFOLDER\nCSVFOLDER\n = x"},
      {"equals_in_value", "CNN_INITIALCATALOG=a=b", "txtInitialCat=a=b"},
      {"comma_cuts_value", "CSVFOLDER=D:\\In,Old", "txtSourceCSV=D:\\In"},
      {"later_entry_wins", "CSVFOLDER=first\nCSVFOLDER=second", "txtSourceCSV=second"},
      {"provider_outside_the_list", "CNN_PROVIDER= SQLite ", "cboOleProvider=SQLite"},
      {"dest_cnn_never_read", "DEST_CNN=Provider=x;Password=y"},
      {"nul_and_invalid_utf8_kept", "CSVFOLDER=a\0b\nCNN_USERID=\xff\xc3("s,
       "txtSourceCSV=a\0b|txtUserId=\xff\xc3("s},
      {"empty_password_gives_default", "CNN_PASSWORD=", "txtPassword=mepla"},
      {"blank_password_gives_default", "\"CNN_PASSWORD=   \"", "txtPassword=mepla"},
      {"password_trimmed", "CNN_PASSWORD=  s3cret  ", "txtPassword=s3cret"},
      {"utcoffset_yes_checks", "UTCOFFSET=YES", "chkUtcOffset=1"},
      {"utcoffset_lower_case_unchecks", "UTCOFFSET=YES\nUTCOFFSET=yes"},
      {"utcoffset_leading_blank_unchecks", "UTCOFFSET=YES\nUTCOFFSET= YES"},
      {"archivefiles_yes_trimmed", "ARCHIVEFILES= YES ", "chkArchive=1"},
      {"archivefiles_other_values_keep_it", "ARCHIVEFILES=YES\nARCHIVEFILES=yes\nARCHIVEFILES=NO",
       "chkArchive=1"},
      {"delold_off_then_delrecdays", "DELOLDRECS=-1\nDELRECDAYS=30",
       "chkDelOldRecs=1|txtDeleteDays=30"},
      {"delold_then_empty_delrecdays",
       "DELOLDRECS=30\nDELRECDAYS=", "chkDelOldRecs=1|txtDeleteDays=30"},
      {"delold_half_to_even", "DELOLDRECS= 2.5 ", "chkDelOldRecs=1|txtDeleteDays=2"},
      {"delold_rounds_to_zero_clears", "DELOLDRECS=5\nDELOLDRECS=0.4"},
      {"delold_negative_clears", "DELOLDRECS=5\nDELOLDRECS=-3"},
      {"delold_letters_clear", "DELOLDRECS=5\nDELOLDRECS=abc"},
      {"delold_overflow_stops_the_load",
       "CSVFOLDER=a\nDELOLDRECS=40000\nCOLTAG=9",
       "txtSourceCSV=a",
       {},
       overflow},
      {"delrecdays_keeps_the_trimmed_text", "DELRECDAYS= 7.5 ",
       "chkDelOldRecs=1|txtDeleteDays=7.5"},
      {"delrecdays_rounding_to_one_checks", "DELRECDAYS=1.5", "chkDelOldRecs=1|txtDeleteDays=1.5"},
      {"delrecdays_rounding_to_zero_no_effect", "DELRECDAYS=0.5"},
      {"delrecdays_letters_no_effect", "DELOLDRECS=30\nDELRECDAYS=abc",
       "chkDelOldRecs=1|txtDeleteDays=30"},
      {"delrecdays_overflow_stops_the_load", "DELRECDAYS=99999\nCOLTAG=9", {}, {}, overflow},
      {"autorun_off_gives_five", "AUTORUNEVERY=9\nAUTORUNEVERY=-1"},
      {"autorun_zero_gives_five", "AUTORUNEVERY=9\nAUTORUNEVERY=0"},
      {"autorun_keeps_the_text_as_read", "AUTORUNEVERY= 10.5", "chkAutoRun=1|txtAutoRun= 10.5"},
      {"autorun_empty_is_type_mismatch",
       "COLTAG=4\nAUTORUNEVERY=\nCOLTAG=9",
       "txtColTag=4",
       {},
       typeMismatch},
      {"autorun_rounding_past_range_overflows", "AUTORUNEVERY=32767.5", {}, {}, overflow},
      {"utc_rows_in_file_order_between_entries",
       "UTC=1::2::3\nCOLTAG=4\nutc =4::5::6",
       "txtColTag=4",
       {{"1", "2", "3"}, {"4", "5", "6"}}},
      {"utc_two_separators_give_empty_row",
       "UTC=::::\nUTC=a::b::c",
       {},
       {{"", "", ""}, {"a", "b", "c"}}},
      {"utc_parts_after_third_ignored", "UTC=a::b::c::d", {}, {{"a", "b", "c"}}},
      {"utc_three_colons", "UTC=a:::b::c", {}, {{"a", ":b", "c"}}},
      {"utc_values_untrimmed", "UTC= a :: b ::-5   ", {}, {{" a ", " b ", "-5"}}},
      {"utc_one_separator_is_subscript_error", "UTC=::\nCOLTAG=9", {}, {}, subscript},
      {"utc_empty_value_is_subscript_error", "UTC=\nCOLTAG=9", {}, {}, subscript},
      {"utc_missing_part_sets_cells_before_it",
       "UTC=x::y\nCOLTAG=9",
       {},
       {{"x", "y", ""}},
       subscript},
      {"utc_comma_in_start_cuts_and_fails",
       "UTC=Mar 14, 2021 02:00::Nov 7, 2021::-5\nUTC=a::b::c",
       {},
       {{"Mar 14", "", ""}},
       subscript},
      {"every_key",
       "CSVFOLDER=C:\\in\nDELOLDRECS=14\nARCHIVEFILES=YES\nARCHIVEFOLDER=C:\\old\n"
       "CNN_COMMAND_TIMEOUT=60\nCNN_CONNECTION_TIMEOUT=15\nCNN_PROVIDER=SQLNCLI11\n"
       "CNN_DATASOURCE=srv\\inst\nCNN_INITIALCATALOG=plant\nCNN_USERID=op\n"
       "CNN_PASSWORD=pw\nDESTTABLE=READINGS\nDELRECDAYS=14\nHEADERROWS=2\n"
       "COLDATETIME=3\nCOLTAG=4\nCOLVALUE=5\nUTCOFFSET=YES\n"
       "UTC=2021-01-01::2021-06-30::-5\nAUTORUNEVERY=15",
       "txtSourceCSV=C:\\in|chkDelOldRecs=1|txtDeleteDays=14|chkArchive=1|txtArchiveFolder=C:\\old|"
       "txtCommandTimeout=60|txtConnectionTimeout=15|cboOleProvider=SQLNCLI11|txtDataSource="
       "srv\\inst|txtInitialCat=plant|txtUserId=op|txtPassword=pw|txtDestTable=READINGS|"
       "txtHeaderRows=2|txtColDateTime=3|txtColTag=4|txtColValue=5|chkUtcOffset=1|chkAutoRun=1|"
       "txtAutoRun=15",
       {{"2021-01-01", "2021-06-30", "-5"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsWindow fresh;
    writeFile(fresh.iniPath(), c.file);
    fresh.load();
    EXPECT_EQ(fresh.states(), defaultsWith(c.changed));
    EXPECT_EQ(fresh.utcRows(), c.utc);
    EXPECT_EQ(fresh.prompts(), c.message.empty() ? Prompts{} : Prompts{c.message});
  }
}

TEST_F(SettingsTest, MissingFileShowsFileNotFoundInAPlainBoxAndKeepsDefaults) {
  window.load();
  EXPECT_EQ(window.prompts(), Prompts{"Error in Proc GetIniInfo:53 - File not found"});
  EXPECT_EQ(boxes()[0].buttons, mb::OkOnly);
  EXPECT_FALSE(boxes()[0].title);  // the program's title
  EXPECT_EQ(window.states(), defaultsWith(""));
  EXPECT_FALSE(std::filesystem::exists(window.iniPath()));
}

TEST_F(SettingsTest, UnreadableFileShowsTheSystemsError) {
  std::filesystem::create_directory(window.iniPath());
  window.load();
  ASSERT_EQ(window.prompts().size(), 1u);
  // A folder opens as a stream on Linux and fails on its first read.
  EXPECT_TRUE(
      window.prompts()[0].starts_with("Error in Proc GetIniInfo:75 - Path/File access error"));
  writeFile(folder() / "plain", "x");
  window.test.session.programFolder = folder() / "plain";
  window.load();
  EXPECT_EQ(window.prompts().back(), "Error in Proc GetIniInfo:76 - Path not found");
}

TEST_F(SettingsTest, LoadRunsTheDeleteBoxClickHandlersAndFillsUtcRowsFromRowOne) {
  int clicks = 0;
  window.form().chkDelOldRecs.clicked().connect([&] { ++clicks; });
  window.form().spUTC.setRow(7);
  const std::string bytes = "DELOLDRECS=5\r\nDELOLDRECS=7\r\nDELOLDRECS=-1\r\nUTC=a::b::c\r\n";
  writeIni(bytes);
  window.load();
  EXPECT_EQ(clicks, 2);  // on, then off; setting the value it holds runs nothing
  EXPECT_EQ(window.utcRows(), (UtcRows{{"a", "b", "c"}}));
  EXPECT_EQ(readIni(), bytes);  // loading leaves the file as it was
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 1);
}

TEST_F(SettingsTest, BinaryBytesLoadWhatTheyCan) {
  std::string file;
  for (int byte = 0; byte < 1024; ++byte) file += static_cast<char>(byte % 256);
  writeIni(file + "\r\nCOLTAG=5\r\n");
  window.load();
  EXPECT_TRUE(window.prompts().empty());
  EXPECT_EQ(window.form().txtColTag.text(), "5");
}

// Each mebibyte holds an entry and then a run of NUL bytes up to the next one; the runs are
// left as holes of a sparse file, so the test writes a few kilobytes, not 100 MiB.
TEST_F(SettingsTest, HundredMebibyteFileLoadsToItsEnd) {
  constexpr std::uintmax_t kMebibyte = 1024 * 1024;
  writeIni("");
  std::filesystem::resize_file(window.iniPath(), 100 * kMebibyte);
  {
    std::fstream out(window.iniPath(), std::ios::in | std::ios::out | std::ios::binary);
    for (int mebibyte = 0; mebibyte < 100; ++mebibyte) {
      out.seekp(static_cast<std::streamoff>(mebibyte * kMebibyte));
      out << "\r\nCOLTAG=" << mebibyte << "\r\n";
    }
  }
  window.load();
  EXPECT_TRUE(window.prompts().empty());
  EXPECT_EQ(window.form().txtColTag.text(), "99");
}

}  // namespace
}  // namespace csv2sql::testing
