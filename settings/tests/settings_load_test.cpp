#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "settings/tests/settings_fixture.h"

namespace csv2sql::testing {
namespace {

using namespace std::string_literals;
using Rows = UtcRows;

struct LoadCase {
  const char* name;
  std::string file;
  std::map<std::string, std::string> changed = {};  // settings controls off their default
  Rows utc = {};                                    // spUTC afterwards
  std::string message = {};                         // the one box shown, or "" for none
};

void PrintTo(const LoadCase& c, std::ostream* out) {
  *out << c.name;
}

class Load : public SettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(Load, AppliesEntriesInFileOrder) {
  const LoadCase& c = GetParam();
  writeIni(c.file);
  load();
  const FrmMain defaults;
  for (const auto& name : settingsControls()) {
    const auto changed = c.changed.find(name);
    const std::string expected =
        changed != c.changed.end() ? changed->second : controlState(defaults, name);
    EXPECT_EQ(controlState(form(), name), expected) << name;
  }
  EXPECT_EQ(utcRows(), c.utc);
  EXPECT_EQ(prompts(), c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
}

const std::string kOverflow = "Error in Proc GetIniInfo:6 - Overflow";
const std::string kTypeMismatch = "Error in Proc GetIniInfo:13 - Type mismatch";
const std::string kSubscript = "Error in Proc GetIniInfo:9 - Subscript out of range";

INSTANTIATE_TEST_SUITE_P(
    Entries, Load,
    ::testing::Values(
        LoadCase{"empty_file", "", {}, {}, ""},
        LoadCase{"unknown_keys_only", "FOO=1\r\nBAR=2,BAZ=3\r\n", {}, {}, ""},
        LoadCase{"blanks_around_key_value_and_item",
                 "   csvfolder  =  D:\\Data   \r\n",
                 {{"txtSourceCSV", "D:\\Data"}}},
        LoadCase{"key_in_any_letter_case", "Cnn_UserId=op\r\n", {{"txtUserId", "op"}}},
        LoadCase{
            "error_folder_trimmed", "ERRORFOLDER= D:\\Err \r\n", {{"txtErrorFolder", "D:\\Err"}}},
        LoadCase{"blank_inside_key_is_no_key", "CSV FOLDER=x\r\n", {}},
        LoadCase{"equals_in_value",
                 "CNN_INITIALCATALOG=a=b\r\nCNN_PASSWORD=p=w=\r\n",
                 {{"txtInitialCat", "a=b"}, {"txtPassword", "p=w="}}},
        LoadCase{"comma_cuts_value", "CSVFOLDER=D:\\In,Old\r\n", {{"txtSourceCSV", "D:\\In"}}},
        LoadCase{
            "quoted_item_keeps_commas", "\"CSVFOLDER=D:\\a,b\"\r\n", {{"txtSourceCSV", "D:\\a,b"}}},
        LoadCase{"text_after_closing_quote_dropped",
                 "\"CSVFOLDER=x\" COLTAG=8,COLTAG=5\r\n",
                 {{"txtSourceCSV", "x"}, {"txtColTag", "5"}}},
        LoadCase{"bare_lf_and_bare_cr_end_lines",
                 "COLTAG=5\nCOLVALUE=6\rHEADERROWS=0",
                 {{"txtColTag", "5"}, {"txtColValue", "6"}, {"txtHeaderRows", "0"}}},
        LoadCase{"empty_password_gives_default", "CNN_PASSWORD=\r\n", {{"txtPassword", "mepla"}}},
        LoadCase{
            "blank_password_gives_default", "\"CNN_PASSWORD=   \"\r\n", {{"txtPassword", "mepla"}}},
        LoadCase{"password_trimmed", "CNN_PASSWORD=  s3cret  \r\n", {{"txtPassword", "s3cret"}}},
        LoadCase{"utcoffset_yes_checks", "UTCOFFSET=YES\r\n", {{"chkUtcOffset", "1"}}},
        LoadCase{"utcoffset_lower_case_unchecks", "UTCOFFSET=YES\r\nUTCOFFSET=yes\r\n", {}},
        LoadCase{
            "utcoffset_blank_at_item_end_dropped", "UTCOFFSET=YES   \r\n", {{"chkUtcOffset", "1"}}},
        LoadCase{"utcoffset_leading_blank_kept", "UTCOFFSET=YES\r\nUTCOFFSET= YES\r\n", {}},
        LoadCase{
            "utcoffset_quoted_trailing_blank_kept", "UTCOFFSET=YES\r\n\"UTCOFFSET=YES \"\r\n", {}},
        LoadCase{"archivefiles_yes_trimmed", "ARCHIVEFILES= YES \r\n", {{"chkArchive", "1"}}},
        LoadCase{"archivefiles_other_values_leave_it",
                 "ARCHIVEFILES=YES\r\nARCHIVEFILES=yes\r\nARCHIVEFILES=NO\r\n",
                 {{"chkArchive", "1"}}},
        LoadCase{"archivefiles_lower_case_no_effect", "ARCHIVEFILES=yes\r\n", {}},
        LoadCase{"delold_off_then_delrecdays_30",
                 "DELOLDRECS=-1\r\nDELRECDAYS=30\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "30"}}},
        LoadCase{"delold_30_then_empty_delrecdays",
                 "DELOLDRECS=30\r\nDELRECDAYS=\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "30"}}},
        LoadCase{"delold_half_to_even_down",
                 "DELOLDRECS=2.5\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "2"}}},
        LoadCase{"delold_half_to_even_up",
                 "DELOLDRECS=3.5\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "4"}}},
        LoadCase{"delold_blanks_around_number",
                 "DELOLDRECS= 12 \r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "12"}}},
        LoadCase{"delold_rounds_to_zero_clears", "DELOLDRECS=5\r\nDELOLDRECS=0.4\r\n", {}},
        LoadCase{"delold_negative_clears", "DELOLDRECS=5\r\nDELOLDRECS=-3\r\n", {}},
        LoadCase{"delold_letters_clear", "DELOLDRECS=5\r\nDELOLDRECS=abc\r\n", {}},
        LoadCase{"delold_overflow_stops_the_load",
                 "CSVFOLDER=a\r\nDELOLDRECS=40000\r\nCOLTAG=9\r\n",
                 {{"txtSourceCSV", "a"}},
                 {},
                 kOverflow},
        LoadCase{"delrecdays_keeps_the_trimmed_text",
                 "DELRECDAYS= 7.5 \r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "7.5"}}},
        LoadCase{"delrecdays_rounding_to_one_checks",
                 "DELRECDAYS=1.5\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "1.5"}}},
        LoadCase{"delrecdays_half_rounding_to_zero_no_effect", "DELRECDAYS=0.5\r\n", {}},
        LoadCase{"delrecdays_letters_no_effect",
                 "DELOLDRECS=30\r\nDELRECDAYS=abc\r\n",
                 {{"chkDelOldRecs", "1"}, {"txtDeleteDays", "30"}}},
        LoadCase{"delrecdays_overflow_stops_the_load",
                 "DELRECDAYS=99999\r\nCOLTAG=9\r\n",
                 {},
                 {},
                 kOverflow},
        LoadCase{"autorun_off_gives_five", "AUTORUNEVERY=9\r\nAUTORUNEVERY=-1\r\n", {}},
        LoadCase{"autorun_zero_gives_five", "AUTORUNEVERY=9\r\nAUTORUNEVERY=0\r\n", {}},
        LoadCase{"autorun_keeps_the_text_as_read",
                 "AUTORUNEVERY=10.5\r\n",
                 {{"chkAutoRun", "1"}, {"txtAutoRun", "10.5"}}},
        LoadCase{"autorun_untrimmed",
                 "AUTORUNEVERY= 7\r\n",
                 {{"chkAutoRun", "1"}, {"txtAutoRun", " 7"}}},
        LoadCase{"autorun_quoted_trailing_blank",
                 "\"AUTORUNEVERY=7 \"\r\n",
                 {{"chkAutoRun", "1"}, {"txtAutoRun", "7 "}}},
        LoadCase{"autorun_empty_is_type_mismatch",
                 "COLTAG=4\r\nAUTORUNEVERY=\r\nCOLTAG=9\r\n",
                 {{"txtColTag", "4"}},
                 {},
                 kTypeMismatch},
        LoadCase{
            "autorun_letters_are_type_mismatch", "AUTORUNEVERY=abc\r\n", {}, {}, kTypeMismatch},
        LoadCase{
            "autorun_rounding_past_range_overflows", "AUTORUNEVERY=32767.5\r\n", {}, {}, kOverflow},
        LoadCase{"utc_two_separators_give_empty_row",
                 "UTC=::::\r\nUTC=a::b::c\r\n",
                 {},
                 {{"", "", ""}, {"a", "b", "c"}}},
        LoadCase{
            "utc_one_separator_is_subscript_error", "UTC=::\r\nCOLTAG=9\r\n", {}, {}, kSubscript},
        LoadCase{"utc_parts_after_third_ignored", "UTC=a::b::c::d\r\n", {}, {{"a", "b", "c"}}},
        LoadCase{"utc_three_colons", "UTC=a:::b::c\r\n", {}, {{"a", ":b", "c"}}},
        LoadCase{"utc_values_untrimmed", "UTC= a :: b ::-5   \r\n", {}, {{" a ", " b ", "-5"}}},
        LoadCase{"utc_empty_value_is_subscript_error", "UTC=\r\nCOLTAG=9\r\n", {}, {}, kSubscript},
        LoadCase{"utc_missing_part_sets_cells_before_it",
                 "UTC=x::y\r\nCOLTAG=9\r\n",
                 {},
                 {{"x", "y", ""}},
                 kSubscript},
        LoadCase{"utc_comma_in_start_cuts_and_fails",
                 "UTC=Mar 14, 2021 02:00::Nov 7, 2021 02:00::-5\r\nUTC=a::b::c\r\nCOLTAG=9\r\n",
                 {},
                 {{"Mar 14", "", ""}},
                 kSubscript},
        LoadCase{"utc_quoted_keeps_commas",
                 "\"UTC=Mar 14, 2021 02:00::Nov 7, 2021 02:00::-5\"\r\n",
                 {},
                 {{"Mar 14, 2021 02:00", "Nov 7, 2021 02:00", "-5"}}},
        LoadCase{"utc_rows_in_file_order_between_entries",
                 "UTC=1::2::3\r\nCOLTAG=4\r\nUTC=4::5::6\r\nutc =7::8::9\r\n",
                 {{"txtColTag", "4"}},
                 {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}}},
        LoadCase{"later_entry_wins",
                 "CSVFOLDER=first\r\nCSVFOLDER=second\r\n",
                 {{"txtSourceCSV", "second"}}},
        LoadCase{"colvalue", "COLVALUE=7\r\n", {{"txtColValue", "7"}}},
        LoadCase{"provider_outside_the_list",
                 "CNN_PROVIDER= SQLite \r\n",
                 {{"cboOleProvider", "SQLite"}}},
        LoadCase{"dest_cnn_never_read", "DEST_CNN=Provider=x;Password=y\r\n", {}},
        LoadCase{"empty_key_and_item_without_equals", "=CSVFOLDER\r\nCSVFOLDER\r\n = x\r\n", {}},
        LoadCase{
            "every_key",
            "CSVFOLDER=C:\\in\r\nDELOLDRECS=14\r\nARCHIVEFILES=YES\r\nARCHIVEFOLDER=C:\\old\r\n"
            "CNN_COMMAND_TIMEOUT=60\r\nCNN_CONNECTION_TIMEOUT=15\r\nCNN_PROVIDER=SQLNCLI11\r\n"
            "CNN_DATASOURCE=srv\\inst\r\nCNN_INITIALCATALOG=plant\r\nCNN_USERID=op\r\n"
            "CNN_PASSWORD=pw\r\nDESTTABLE=READINGS\r\nDELRECDAYS=14\r\nHEADERROWS=2\r\n"
            "COLDATETIME=3\r\nCOLTAG=4\r\nCOLVALUE=5\r\nUTCOFFSET=YES\r\n"
            "UTC=2021-01-01::2021-06-30::-5\r\nAUTORUNEVERY=15\r\nDEST_CNN=x\r\n",
            {{"txtSourceCSV", "C:\\in"},
             {"chkDelOldRecs", "1"},
             {"txtDeleteDays", "14"},
             {"chkArchive", "1"},
             {"txtArchiveFolder", "C:\\old"},
             {"txtCommandTimeout", "60"},
             {"txtConnectionTimeout", "15"},
             {"cboOleProvider", "SQLNCLI11"},
             {"txtDataSource", "srv\\inst"},
             {"txtInitialCat", "plant"},
             {"txtUserId", "op"},
             {"txtPassword", "pw"},
             {"txtDestTable", "READINGS"},
             {"txtHeaderRows", "2"},
             {"txtColDateTime", "3"},
             {"txtColTag", "4"},
             {"txtColValue", "5"},
             {"chkUtcOffset", "1"},
             {"chkAutoRun", "1"},
             {"txtAutoRun", "15"}},
            {{"2021-01-01", "2021-06-30", "-5"}}},
        LoadCase{"nul_bytes_pass_through",
                 "CSVFOLDER=a\0b\r\nCOLTAG=\0\r\nCOLVALUE=6"s,
                 {{"txtSourceCSV", "a\0b"s}, {"txtColTag", "\0"s}, {"txtColValue", "6"}}},
        LoadCase{"invalid_utf8_passes_through",
                 "CNN_USERID=\xff\xfe\xc3(\r\nCOLTAG=5\r\n",
                 {{"txtUserId", "\xff\xfe\xc3("}, {"txtColTag", "5"}}},
        LoadCase{"nul_in_key_is_no_key", "CSV\0FOLDER=x\r\n"s, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, MissingFileShowsFileNotFoundAndKeepsDefaults) {
  load();
  ASSERT_EQ(prompts(), std::vector<std::string>{"Error in Proc GetIniInfo:53 - File not found"});
  EXPECT_EQ(boxes()[0].buttons, 0);
  EXPECT_FALSE(boxes()[0].title);
  const FrmMain defaults;
  for (const auto& name : settingsControls()) {
    EXPECT_EQ(controlState(form(), name), controlState(defaults, name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(iniPath()));
}

TEST_F(SettingsTest, FailureMessageIsAnOkBoxWithTheProgramsTitle) {
  writeIni("AUTORUNEVERY=x\r\n");
  load();
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].buttons, 0);
  EXPECT_FALSE(boxes()[0].title);
}

TEST_F(SettingsTest, FolderNamedConfigIniShowsTheSystemsError) {
  std::filesystem::create_directory(iniPath());
  load();
  ASSERT_EQ(prompts().size(), 1u);
  // A folder opens as a stream on Linux and fails on its first read.
  EXPECT_TRUE(prompts()[0].starts_with("Error in Proc GetIniInfo:75 - Path/File access error"))
      << prompts()[0];
}

TEST_F(SettingsTest, ProgramFolderThatIsAFileShowsTheSystemsError) {
  writeFile(folder() / "plain", "x");
  window_.test.session.programFolder = folder() / "plain";
  load();
  EXPECT_EQ(prompts(), std::vector<std::string>{"Error in Proc GetIniInfo:76 - Path not found"});
}

TEST_F(SettingsTest, DeleteBoxChangesRunItsClickHandlers) {
  int clicks = 0;
  form().chkDelOldRecs.clicked().connect([&] { ++clicks; });
  writeIni("DELOLDRECS=5\r\nDELOLDRECS=7\r\nDELRECDAYS=8\r\nDELOLDRECS=-1\r\n");
  load();
  EXPECT_EQ(clicks, 2);  // on, then off; setting the value it holds runs nothing
  EXPECT_EQ(form().chkDelOldRecs.value(), 0);
}

TEST_F(SettingsTest, UtcRowsStartAtRowOneWhereverTheCursorStood) {
  form().spUTC.setRow(7);
  writeIni("UTC=a::b::c\r\n");
  load();
  EXPECT_EQ(utcRows(), (Rows{{"a", "b", "c"}}));
}

TEST_F(SettingsTest, UtcRowsBeyondFiveHundredAllLoad) {
  std::string file;
  for (int row = 1; row <= 600; ++row) {
    file += "UTC=s" + std::to_string(row) + "::e::" + std::to_string(row) + "\r\n";
  }
  writeIni(file);
  load();
  EXPECT_TRUE(prompts().empty());
  ASSERT_EQ(form().spUTC.rowCount(), 600);
  EXPECT_EQ(form().spUTC.cell(501, 1), "s501");
  EXPECT_EQ(form().spUTC.cell(600, 3), "600");
}

TEST_F(SettingsTest, LoadingLeavesTheFileAsItWas) {
  const std::string bytes = "CSVFOLDER=x\r\nAUTORUNEVERY=\r\n";
  writeIni(bytes);
  load();
  EXPECT_EQ(readFile(iniPath()), bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 1);
}

TEST_F(SettingsTest, TenMebibyteLineLoadsWhole) {
  const std::string folderName(10 * 1024 * 1024, 'd');
  writeIni("CSVFOLDER=" + folderName + "\r\nCOLTAG=5\r\n");
  load();
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(form().txtSourceCSV.text(), folderName);
  EXPECT_EQ(form().txtColTag.text(), "5");
}

// Each mebibyte holds an entry and then a run of NUL bytes up to the next one; the runs are
// left as holes of a sparse file, so the test writes a few kilobytes, not 100 MiB.
TEST_F(SettingsTest, HundredMebibyteFileLoadsToItsEnd) {
  constexpr std::uintmax_t kMebibyte = 1024 * 1024;
  writeIni("");
  std::filesystem::resize_file(iniPath(), 100 * kMebibyte);
  {
    std::fstream out(iniPath(), std::ios::in | std::ios::out | std::ios::binary);
    for (int mebibyte = 0; mebibyte < 100; ++mebibyte) {
      out.seekp(static_cast<std::streamoff>(mebibyte * kMebibyte));
      out << "\r\nCOLTAG=" << mebibyte << "\r\n";
    }
  }
  ASSERT_EQ(std::filesystem::file_size(iniPath()), 100 * kMebibyte);
  load();
  EXPECT_TRUE(prompts().empty());
  EXPECT_EQ(form().txtColTag.text(), "99");
}

}  // namespace
}  // namespace csv2sql::testing
