#include "form/frm_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

enum class Kind { Button, Label, Frame, TextBox, ComboBox, CheckBox, ListBox, Grid };

struct Expected {
  const char* name;
  Kind kind;
  std::optional<std::string> content;  // caption or initial text; none: checked on its own
  const char* container;
  int left, top, width, height, tab;
};

std::string blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

// The window's controls as the operator sees them, written out independently of FrmMain.
const std::vector<Expected>& windowTable() {
  static const std::vector<Expected> table = {
      {"btnTransferData", Kind::Button, "Load Data", "", 0, 0, 1575, 375, 0},
      {"btnSaveSettings", Kind::Button, "Save Settings", "", 2040, 0, 1335, 375, 3},
      {"btnHelp", Kind::Button, "Help", "", 3600, 0, 1095, 375, 5},
      {"Label10", Kind::Label, "CSV Folder", "", 120, 600, 1455, 255, 1},
      {"txtSourceCSV", Kind::TextBox, "", "", 1800, 600, 7215, 285, 2},
      {"Frame2", Kind::Frame, "DB Connection", "", 120, 960, 9135, 1815, 9},
      {"Frame3", Kind::Frame, "Archive Options", "", 120, 2880, 9135, 975, 25},
      {"Frame6", Kind::Frame, "Automatic Run Frequency", "", 120, 3840, 9135, 735, 45},
      {"Frame4", Kind::Frame, "File Map", "", 9360, 120, 4695, 1935, 31},
      {"Frame5", Kind::Frame, "DateTime", "", 9360, 2040, 4695, 2535, 40},
      {"lstLog", Kind::ListBox, std::nullopt, "", 0, 4560, 9615, 2205, 7},
      {"sp", Kind::Grid, std::nullopt, "", 9720, 4800, 3375, 1455, 8},
      {"txtDestCnn", Kind::TextBox, "", "", 5640, 3000, 4695, 285, 6},

      {"Label1", Kind::Label, "Data Source", "Frame2", 120, 360, 1215, 255, 10},
      {"txtDataSource", Kind::TextBox, std::nullopt, "Frame2", 1560, 360, 3495, 285, 11},
      {"Label7", Kind::Label, "Initial Catalog", "Frame2", 5400, 360, 1095, 255, 23},
      {"txtInitialCat", Kind::TextBox, "", "Frame2", 6480, 360, 2415, 285, 24},
      {"Label2", Kind::Label, "OLE DB Provider", "Frame2", 120, 720, 1455, 255, 17},
      {"cboOleProvider", Kind::ComboBox, "MSOLEDBSQL.1", "Frame2", 1560, 720, 2295, 315, 18},
      {"Label15", Kind::Label, "Destination Table", "Frame2", 5040, 720, 1335, 255, 43},
      {"txtDestTable", Kind::TextBox, "CSVDATA", "Frame2", 6480, 720, 2415, 285, 44},
      {"Label3", Kind::Label, "UserId", "Frame2", 120, 1080, 1455, 255, 19},
      {"txtUserId", Kind::TextBox, "", "Frame2", 1560, 1080, 1695, 285, 20},
      {"Label6", Kind::Label, "Password", "Frame2", 4080, 1080, 1335, 255, 21},
      {"txtPassword", Kind::TextBox, "", "Frame2", 5160, 1080, 2295, 285, 22},
      {"Label4", Kind::Label, "Connection Timeout", "Frame2", 120, 1440, 1575, 255, 15},
      {"txtConnectionTimeout", Kind::TextBox, "30", "Frame2", 1800, 1440, 975, 285, 13},
      {"Label5", Kind::Label, "Command Timeout", "Frame2", 3480, 1440, 1575, 255, 14},
      {"txtCommandTimeout", Kind::TextBox, "30", "Frame2", 5160, 1440, 975, 285, 12},
      {"btnConnectDest", Kind::Button, "Test", "Frame2", 7680, 1320, 855, 375, 16},

      {"chkArchive", Kind::CheckBox, "Move file to Arcive folder after processing", "Frame3", 480,
       240, 3495, 255, 26},
      {"chkDelOldRecs", Kind::CheckBox, "Delete Records Older Than" + blanks(20) + "Days", "Frame3",
       5160, 240, 3615, 255, 30},
      {"txtDeleteDays", Kind::TextBox, "", "Frame3", 7440, 240, 735, 285, 29},
      {"Label8", Kind::Label, "Archive Folder", "Frame3", 360, 600, 1455, 255, 27},
      {"txtArchiveFolder", Kind::TextBox, "", "Frame3", 1560, 600, 7335, 285, 28},

      {"chkAutoRun", Kind::CheckBox, "Run Every" + blanks(18) + "minutes", "Frame6", 480, 300, 2895,
       255, 46},
      {"txtAutoRun", Kind::TextBox, "5", "Frame6", 1600, 280, 615, 285, 47},
      {"btnStartAutoRun", Kind::Button, "Start Autorun", "Frame6", 3480, 240, 1215, 375, 48},
      {"lblNextRun", Kind::Label, "Next Run:", "Frame6", 4800, 300, 2655, 255, 50},
      {"btnStopAutorun", Kind::Button, "Stop Autorun", "Frame6", 7680, 240, 1215, 375, 49},

      {"Label11", Kind::Label, "Header Rows", "Frame4", 240, 360, 1575, 255, 34},
      {"txtHeaderRows", Kind::TextBox, "1", "Frame4", 2040, 360, 1095, 285, 35},
      {"Label9", Kind::Label, "Date/Time Column #", "Frame4", 240, 720, 1575, 255, 32},
      {"txtColDateTime", Kind::TextBox, "1", "Frame4", 2040, 720, 1095, 285, 33},
      {"Label12", Kind::Label, "Tag Column #", "Frame4", 240, 1080, 1575, 255, 36},
      {"txtColTag", Kind::TextBox, "2", "Frame4", 2040, 1080, 1095, 285, 37},
      {"Label13", Kind::Label, "Value Column #", "Frame4", 240, 1440, 1575, 255, 38},
      {"txtColValue", Kind::TextBox, "3", "Frame4", 2040, 1440, 1095, 285, 39},

      {"chkUtcOffset", Kind::CheckBox, "Convert UTC times to Local", "Frame5", 240, 240, 3255, 255,
       41},
      {"spUTC", Kind::Grid, std::nullopt, "Frame5", 120, 480, 4455, 1935, 42},
      {"lblProgress", Kind::Label, "", "", 4800, 60, 4455, 255, 51},
      {"txtUtcZone", Kind::TextBox, "", "Frame5", 2640, 210, 1215, 285, 52},
      {"btnFillUtc", Kind::Button, "Fill", "Frame5", 3900, 180, 675, 330, 53},
  };
  return table;
}

const std::type_info& typeOf(Kind kind) {
  switch (kind) {
    case Kind::Button:
      return typeid(Button);
    case Kind::Label:
      return typeid(Label);
    case Kind::Frame:
      return typeid(Frame);
    case Kind::TextBox:
      return typeid(TextBox);
    case Kind::ComboBox:
      return typeid(ComboBox);
    case Kind::CheckBox:
      return typeid(CheckBox);
    case Kind::ListBox:
      return typeid(ListBox);
    case Kind::Grid:
      return typeid(Grid);
  }
  return typeid(void);
}

// Caption of a labelled control or text of a text box.
std::optional<std::string> contentOf(const Control& control) {
  if (const auto* label = dynamic_cast<const Label*>(&control)) return label->caption();
  if (const auto* box = dynamic_cast<const TextBox*>(&control)) return box->text();
  return std::nullopt;
}

class FrmMainTest : public ::testing::Test {
 protected:
  FrmMain form;
};

TEST_F(FrmMainTest, EveryControlMatchesTheWindowTable) {
  for (const Expected& e : windowTable()) {
    SCOPED_TRACE(e.name);
    const Control* control = form.find(e.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->name(), e.name);
    EXPECT_TRUE(typeid(*control) == typeOf(e.kind)) << typeid(*control).name();
    if (e.content) {
      EXPECT_EQ(contentOf(*control), *e.content);
    }
    EXPECT_EQ(control->container(), e.container);
    EXPECT_EQ(control->geometry().left, e.left);
    EXPECT_EQ(control->geometry().top, e.top);
    EXPECT_EQ(control->geometry().width, e.width);
    EXPECT_EQ(control->geometry().height, e.height);
    EXPECT_EQ(control->tabIndex(), e.tab);
  }
}

TEST_F(FrmMainTest, ControlsHoldExactlyTheTableFramesFirst) {
  EXPECT_EQ(form.controls().size(), windowTable().size());
  std::set<std::string> seen;
  for (const Control* control : form.controls()) {
    SCOPED_TRACE(control->name());
    EXPECT_TRUE(seen.insert(control->name()).second) << "listed twice";
    EXPECT_TRUE(std::any_of(windowTable().begin(), windowTable().end(), [&](const Expected& e) {
      return control->name() == e.name;
    })) << "not in the window table";
    if (!control->container().empty()) {
      EXPECT_TRUE(seen.count(control->container())) << "listed before its frame";
    }
  }
  EXPECT_EQ(form.find("NoSuchControl"), nullptr);
  EXPECT_EQ(form.find("Timer1"), nullptr);
}

TEST_F(FrmMainTest, WindowCaptionAndClientSize) {
  EXPECT_STREQ(FrmMain::kCaption, "R27731 CSV to SQL Util");
  EXPECT_EQ(FrmMain::kClientWidth, 14130);
  EXPECT_EQ(FrmMain::kClientHeight, 6945);
}

// The number box lies over the stretch of blanks, so their count is exact.
TEST_F(FrmMainTest, CaptionBlankStretchesAreExact) {
  const auto stretch = [](const std::string& caption, const std::string& before) {
    const auto start = caption.find(before);
    if (start == std::string::npos) return std::string::npos;
    const auto from = start + before.size();
    const auto end = caption.find_first_not_of(' ', from);
    return end == std::string::npos ? std::string::npos : end - from;
  };
  EXPECT_EQ(stretch(form.chkDelOldRecs.caption(), "Older Than"), 20u);
  EXPECT_EQ(stretch(form.chkAutoRun.caption(), "Run Every"), 18u);
  EXPECT_TRUE(form.chkDelOldRecs.caption().ends_with(" Days"));
  EXPECT_TRUE(form.chkAutoRun.caption().ends_with(" minutes"));
}

TEST_F(FrmMainTest, OnlyTheWorkGridAndTheConnectionTextAreHidden) {
  for (const Control* control : form.controls()) {
    const bool hidden = control->name() == "sp" || control->name() == "txtDestCnn";
    EXPECT_EQ(control->visible(), !hidden) << control->name();
  }
}

TEST_F(FrmMainTest, OnlyThePasswordBoxMasksItsText) {
  for (const Control* control : form.controls()) {
    if (const auto* box = dynamic_cast<const TextBox*>(control)) {
      EXPECT_EQ(box->passwordChar(), box == &form.txtPassword ? '*' : '\0') << box->name();
    }
  }
}

TEST_F(FrmMainTest, EveryControlStartsEnabledTheDaysBoxIncluded) {
  EXPECT_EQ(form.chkDelOldRecs.value(), 0);
  EXPECT_TRUE(form.txtDeleteDays.enabled());
  for (const Control* control : form.controls()) {
    EXPECT_TRUE(control->enabled()) << control->name();
  }
}

TEST_F(FrmMainTest, CheckBoxesStartUnchecked) {
  for (const CheckBox* box :
       {&form.chkArchive, &form.chkDelOldRecs, &form.chkAutoRun, &form.chkUtcOffset}) {
    EXPECT_EQ(box->value(), 0) << box->name();
  }
}

TEST_F(FrmMainTest, TimerStartsDisabledWithoutInterval) {
  EXPECT_EQ(form.Timer1.name(), "Timer1");
  EXPECT_FALSE(form.Timer1.enabled());
  EXPECT_EQ(form.Timer1.interval(), 0);
}

TEST_F(FrmMainTest, TabIndexesAreUnique) {
  std::set<int> tabs;
  for (const Control* control : form.controls()) {
    EXPECT_TRUE(tabs.insert(control->tabIndex()).second)
        << control->name() << " repeats tab " << control->tabIndex();
  }
}

TEST_F(FrmMainTest, EveryContainerIsAFrameOfTheWindow) {
  for (const Control* control : form.controls()) {
    if (control->container().empty()) continue;
    const Control* frame = form.find(control->container());
    ASSERT_NE(frame, nullptr) << control->name() << " in " << control->container();
    EXPECT_TRUE(typeid(*frame) == typeid(Frame)) << control->container();
    EXPECT_EQ(frame->container(), "") << control->container();
  }
}

TEST_F(FrmMainTest, DataSourceNamesAnInstanceOnThisMachine) {
  const std::string& text = form.txtDataSource.text();
  const auto slash = text.find('\\');
  ASSERT_NE(slash, std::string::npos) << text;
  EXPECT_GT(slash, 0u) << text;
  EXPECT_LT(slash + 1, text.size()) << text;
  EXPECT_EQ(text.find('\\', slash + 1), std::string::npos) << text;
}

TEST_F(FrmMainTest, GridsStartEmptyWithTheirHeaders) {
  EXPECT_EQ(form.spUTC.columnHeaders(), (std::vector<std::string>{"Start", "End", "Offset"}));
  EXPECT_EQ(form.spUTC.rowCount(), 0);
  EXPECT_EQ(form.sp.rowCount(), 0);
  EXPECT_TRUE(form.lstLog.items().empty());
}

// Neither grid has the original control's room of 500 rows.
TEST_F(FrmMainTest, NeitherGridLosesRowsBeyond500) {
  for (std::int32_t row = 1; row <= 501; ++row) {
    form.spUTC.setCell(row, 3, std::to_string(row));
  }
  EXPECT_EQ(form.spUTC.rowCount(), 501);
  EXPECT_EQ(form.spUTC.cell(501, 3), "501");

  testing::TempDir dir;
  std::string text;
  for (int row = 1; row <= 501; ++row)
    text += "2024-03-07 14:05:09,T," + std::to_string(row) + "\r\n";
  testing::writeFile(dir.path() / "big.csv", text);
  ASSERT_TRUE(form.sp.loadTextFile(dir.path() / "big.csv"));
  EXPECT_EQ(form.sp.rowCount(), 501);
  EXPECT_EQ(form.sp.cell(501, 3), "501");
}

}  // namespace
}  // namespace csv2sql
