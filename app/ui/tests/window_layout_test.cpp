// The window as laid out: every control's widget with its kind, frame, place, size, caption,
// visibility and tab position, at the test screen's DPI.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "app/ui/qt_text.h"
#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

enum class Kind { Button, Label, TextBox, CheckBox, ComboBox, ListBox, Frame, Grid };

// One row of the window's layout, in twips; container "" is the window itself. A caption of
// std::nullopt is one the layout leaves open: the model holds it.
struct Placed {
  std::string name;
  Kind kind;
  std::string container;
  std::optional<std::string> caption;
  int left, top, width, height, tab;
  bool shown = true;
};

const std::string kDelOldRecs = "Delete Records Older Than" + std::string(20, ' ') + "Days";
const std::string kAutoRun = "Run Every" + std::string(18, ' ') + "minutes";

const std::vector<Placed>& layout() {
  using K = Kind;
  static const std::vector<Placed> rows = {
      {"btnTransferData", K::Button, "", "Load Data", 0, 0, 1575, 375, 0},
      {"btnSaveSettings", K::Button, "", "Save Settings", 2040, 0, 1335, 375, 3},
      {"btnHelp", K::Button, "", "Help", 3600, 0, 1095, 375, 5},
      {"Label10", K::Label, "", "CSV Folder", 120, 600, 1455, 255, 1},
      {"txtSourceCSV", K::TextBox, "", "", 1800, 600, 7215, 285, 2},
      {"Frame2", K::Frame, "", "DB Connection", 120, 960, 9135, 1815, 9},
      {"Frame3", K::Frame, "", "Archive Options", 120, 2880, 9135, 975, 25},
      {"Frame6", K::Frame, "", "Automatic Run Frequency", 120, 3840, 9135, 735, 45},
      {"Frame4", K::Frame, "", "File Map", 9360, 120, 4695, 1935, 31},
      {"Frame5", K::Frame, "", "DateTime", 9360, 2040, 4695, 2535, 40},
      // Its size follows the window (see ListFillsTheClientArea).
      {"lstLog", K::ListBox, "", "", 0, 4560, 9615, 2205, 7},
      {"sp", K::Grid, "", "", 9720, 4800, 3375, 1455, 8, false},
      {"txtDestCnn", K::TextBox, "", "", 5640, 3000, 4695, 285, 6, false},
      {"Label1", K::Label, "Frame2", "Data Source", 120, 360, 1215, 255, 10},
      {"txtDataSource", K::TextBox, "Frame2", std::nullopt, 1560, 360, 3495, 285, 11},
      {"Label7", K::Label, "Frame2", "Initial Catalog", 5400, 360, 1095, 255, 23},
      {"txtInitialCat", K::TextBox, "Frame2", "", 6480, 360, 2415, 285, 24},
      {"Label2", K::Label, "Frame2", "OLE DB Provider", 120, 720, 1455, 255, 17},
      {"cboOleProvider", K::ComboBox, "Frame2", "MSOLEDBSQL.1", 1560, 720, 2295, 315, 18},
      {"Label15", K::Label, "Frame2", "Destination Table", 5040, 720, 1335, 255, 43},
      {"txtDestTable", K::TextBox, "Frame2", "CSVDATA", 6480, 720, 2415, 285, 44},
      {"Label3", K::Label, "Frame2", "UserId", 120, 1080, 1455, 255, 19},
      {"txtUserId", K::TextBox, "Frame2", "", 1560, 1080, 1695, 285, 20},
      {"Label6", K::Label, "Frame2", "Password", 4080, 1080, 1335, 255, 21},
      {"txtPassword", K::TextBox, "Frame2", "", 5160, 1080, 2295, 285, 22},
      {"Label4", K::Label, "Frame2", "Connection Timeout", 120, 1440, 1575, 255, 15},
      {"txtConnectionTimeout", K::TextBox, "Frame2", "30", 1800, 1440, 975, 285, 13},
      {"Label5", K::Label, "Frame2", "Command Timeout", 3480, 1440, 1575, 255, 14},
      {"txtCommandTimeout", K::TextBox, "Frame2", "30", 5160, 1440, 975, 285, 12},
      {"btnConnectDest", K::Button, "Frame2", "Test", 7680, 1320, 855, 375, 16},
      {"chkArchive", K::CheckBox, "Frame3", "Move file to Arcive folder after processing", 480, 240,
       3495, 255, 26},
      {"chkDelOldRecs", K::CheckBox, "Frame3", kDelOldRecs, 5160, 240, 3615, 255, 30},
      {"txtDeleteDays", K::TextBox, "Frame3", "", 7440, 240, 735, 285, 29},
      {"Label8", K::Label, "Frame3", "Archive Folder", 360, 600, 1455, 255, 27},
      {"txtArchiveFolder", K::TextBox, "Frame3", "", 1560, 600, 7335, 285, 28},
      {"chkAutoRun", K::CheckBox, "Frame6", kAutoRun, 480, 300, 2895, 255, 46},
      {"txtAutoRun", K::TextBox, "Frame6", "5", 1600, 280, 615, 285, 47},
      {"btnStartAutoRun", K::Button, "Frame6", "Start Autorun", 3480, 240, 1215, 375, 48},
      {"lblNextRun", K::Label, "Frame6", "Next Run:", 4800, 300, 2655, 255, 50},
      {"btnStopAutorun", K::Button, "Frame6", "Stop Autorun", 7680, 240, 1215, 375, 49},
      {"Label11", K::Label, "Frame4", "Header Rows", 240, 360, 1575, 255, 34},
      {"txtHeaderRows", K::TextBox, "Frame4", "1", 2040, 360, 1095, 285, 35},
      {"Label9", K::Label, "Frame4", "Date/Time Column #", 240, 720, 1575, 255, 32},
      {"txtColDateTime", K::TextBox, "Frame4", "1", 2040, 720, 1095, 285, 33},
      {"Label12", K::Label, "Frame4", "Tag Column #", 240, 1080, 1575, 255, 36},
      {"txtColTag", K::TextBox, "Frame4", "2", 2040, 1080, 1095, 285, 37},
      {"Label13", K::Label, "Frame4", "Value Column #", 240, 1440, 1575, 255, 38},
      {"txtColValue", K::TextBox, "Frame4", "3", 2040, 1440, 1095, 285, 39},
      {"chkUtcOffset", K::CheckBox, "Frame5", "Convert UTC times to Local", 240, 240, 3255, 255,
       41},
      {"spUTC", K::Grid, "Frame5", "", 120, 480, 4455, 1935, 42},
      {"lblProgress", K::Label, "", "", 4800, 60, 4455, 255, 51},
      {"txtUtcZone", K::TextBox, "Frame5", "", 2640, 210, 1215, 285, 52},
      {"btnFillUtc", K::Button, "Frame5", "Fill", 3900, 180, 675, 330, 53},
  };
  return rows;
}

bool isKind(const QWidget& widget, Kind kind) {
  switch (kind) {
    case Kind::Button:
      return qobject_cast<const QPushButton*>(&widget) != nullptr;
    case Kind::Label:
      return qobject_cast<const QLabel*>(&widget) != nullptr;
    case Kind::TextBox:
      return qobject_cast<const QLineEdit*>(&widget) != nullptr;
    case Kind::CheckBox:
      return qobject_cast<const QCheckBox*>(&widget) != nullptr;
    case Kind::ComboBox: {
      const auto* combo = qobject_cast<const QComboBox*>(&widget);
      return combo != nullptr && combo->isEditable();
    }
    case Kind::ListBox:
      return qobject_cast<const QListWidget*>(&widget) != nullptr;
    case Kind::Frame:
      return qobject_cast<const QGroupBox*>(&widget) != nullptr;
    case Kind::Grid:
      return qobject_cast<const QTableView*>(&widget) != nullptr;
  }
  return false;
}

// What the widget shows as its caption or text; "" for kinds that show none.
std::string shownText(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return fromQt(label->text());
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    return fromQt(button->text());
  }
  if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) return fromQt(frame->title());
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) return fromQt(edit->text());
  if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
    return fromQt(combo->currentText());
  }
  return {};
}

// The layout's rule: 1440 twips to the inch at the screen's logical DPI.
int pixels(int twips) {
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

class ControlLayout : public WindowTest, public ::testing::WithParamInterface<Placed> {};

TEST_P(ControlLayout, HasItsWidgetInPlace) {
  const Placed& expected = GetParam();
  const QWidget& shown = widget<QWidget>(expected.name.c_str());
  EXPECT_TRUE(isKind(shown, expected.kind)) << shown.metaObject()->className();
  EXPECT_EQ(fromQt(shown.parentWidget()->objectName()),
            expected.container.empty() ? MainWindow::kObjectName : expected.container);
  EXPECT_EQ(shown.x(), pixels(expected.left));
  EXPECT_EQ(shown.y(), pixels(expected.top));
  if (expected.name != "lstLog") {
    EXPECT_EQ(shown.width(), pixels(expected.width));
    EXPECT_EQ(shown.height(), pixels(expected.height));
  }
  const Control* control = form.find(expected.name);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->tabIndex(), expected.tab);
  if (expected.caption) {
    EXPECT_EQ(shownText(shown), *expected.caption);
  } else {
    const auto* text = dynamic_cast<const TextBox*>(control);
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->text().empty());
    EXPECT_EQ(shownText(shown), text->text());
  }
  EXPECT_EQ(shown.isHidden(), !expected.shown);
  EXPECT_TRUE(shown.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Window, ControlLayout, ::testing::ValuesIn(layout()),
                         [](const auto& info) { return info.param.name; });

TEST_F(WindowTest, HasAWidgetForEveryControlAndTheLayoutNamesThemAll) {
  EXPECT_EQ(form.controls().size(), layout().size());
  for (const Control* control : form.controls()) {
    EXPECT_NE(window.findChild<QWidget*>(toQt(control->name())), nullptr) << control->name();
    EXPECT_TRUE(std::any_of(layout().begin(), layout().end(), [&](const Placed& row) {
      return row.name == control->name();
    })) << control->name();
  }
}

TEST_F(WindowTest, IsASizableWindowWithItsCaptionAndClientArea) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("R27731 CSV to SQL Util"));
  EXPECT_TRUE(window.isWindow());
  EXPECT_EQ(window.width(), pixels(14130));
  EXPECT_EQ(window.height(), pixels(6945));
  EXPECT_LT(window.minimumWidth(), window.maximumWidth());
  EXPECT_LT(window.minimumHeight(), window.maximumHeight());
}

TEST_F(WindowTest, ListFillsTheClientAreaBelowItsTopAfterTheFirstShowing) {
  const QWidget& list = widget<QListWidget>("lstLog");
  // 120 twips short of the right edge, down to the bottom of the client area.
  EXPECT_NEAR(list.width(), window.width() - pixels(120), 1);
  EXPECT_NEAR(list.y() + list.height(), window.height(), 1);
}

TEST_F(WindowTest, PasswordShowsAStarForEveryCharacter) {
  const auto& password = widget<QLineEdit>("txtPassword");
  EXPECT_EQ(password.echoMode(), QLineEdit::Password);
  EXPECT_EQ(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
            '*');
  EXPECT_EQ(widget<QLineEdit>("txtUserId").echoMode(), QLineEdit::Normal);
}

TEST_F(WindowTest, TabVisitsTheControlsByTabIndexPassingOverLabelsAndFrames) {
  std::vector<Placed> focusable;
  std::copy_if(
      layout().begin(), layout().end(), std::back_inserter(focusable),
      [](const Placed& row) { return row.kind != Kind::Label && row.kind != Kind::Frame; });
  std::sort(focusable.begin(), focusable.end(),
            [](const Placed& a, const Placed& b) { return a.tab < b.tab; });
  std::vector<std::string> expected;
  std::set<const QWidget*> controlWidgets;
  for (const Placed& row : focusable) {
    expected.push_back(row.name);
    controlWidgets.insert(&widget<QWidget>(row.name.c_str()));
  }

  std::vector<std::string> visited;
  const QWidget* first = &widget<QWidget>(expected.front().c_str());
  const QWidget* current = first;
  do {
    if (controlWidgets.count(current) != 0) visited.push_back(fromQt(current->objectName()));
    current = current->nextInFocusChain();
  } while (current != first && visited.size() <= expected.size());
  EXPECT_EQ(visited, expected);
  for (const char* name : {"Label1", "Frame2", "lblNextRun"}) {
    EXPECT_EQ(widget<QWidget>(name).focusPolicy(), Qt::NoFocus) << name;
  }
}

}  // namespace
}  // namespace csv2sql::testing
