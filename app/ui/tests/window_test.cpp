// The window, its message box and its host on the offscreen platform. What the program does is
// tested in app/tests; here the view only shows it is wired to the program.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <map>
#include <optional>

#include "app/program.h"
#include "app/ui/main_window.h"
#include "app/ui/message_box.h"
#include "app/ui/qt_text.h"
#include "app/ui/window_host.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

// Qt's font and desktop libraries keep memory to the end on purpose: the leak check is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace csv2sql::testing {
namespace {

// The one application object of the test process: Qt wants it and its arguments to outlive
// every widget.
int argc = 1;
char name[] = "ui_tests", *argv[] = {name, nullptr};
QApplication& application() {
  static auto* const app = new QApplication(argc, argv);
  return *app;
}

// The window the host makes, shown, the program attached and loaded as the host does it.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    test.writeConfig();  // the host's boxes would wait for an operator: no entries, no boxes
    host->installPorts(test.session, form);
    program.emplace(test.session, form);
    host->attach(*program);
    program->Form_Load("");
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == MainWindow::kObjectName) window = static_cast<MainWindow*>(top);
    }
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  template <typename Widget = QWidget>
  Widget& widget(const std::string& name) {
    auto* found = window->findChild<Widget*>(QString::fromStdString(name));
    return found != nullptr ? *found : throw std::runtime_error("no widget named " + name);
  }

  QApplication& app = application();  // the host's own would end with it
  TestSession test;
  FrmMain form;
  std::unique_ptr<Host> host = makeWindowHost(argc, argv, test.session);
  std::optional<Program> program;
  MainWindow* window = nullptr;
};

// The controls an operator types into, picks or presses: all but labels and frames.
bool isInput(const Control* control) {
  return dynamic_cast<const Label*>(control) == nullptr ||
         dynamic_cast<const Button*>(control) != nullptr ||
         dynamic_cast<const CheckBox*>(control) != nullptr;
}

TEST_F(WindowTest, EveryControlHasAWidgetOfItsNameInPlaceNoInputCoversAnotherAndTabVisitsEach) {
  std::vector<const QWidget*> inputs;
  std::map<int, std::string> tabOrder;
  for (const Control* control : form.controls()) {
    const QWidget& shown = widget(control->name());
    const std::string parent =
        control->container().empty() ? MainWindow::kObjectName : control->container();
    EXPECT_EQ(fromQt(shown.parentWidget()->objectName()), parent) << control->name();
    if (control != &form.lstLog) {  // its size follows the window
      EXPECT_EQ(shown.geometry(), toQRect(window->scale().pixels(control->geometry())))
          << control->name();
    }
    EXPECT_EQ(shown.isHidden(), !control->visible()) << control->name();
    EXPECT_EQ(shown.isEnabled(), control->enabled()) << control->name();
    EXPECT_EQ((shown.focusPolicy() & Qt::TabFocus) != 0, isInput(control)) << control->name();
    if (isInput(control)) tabOrder[control->tabIndex()] = control->name();
    EXPECT_TRUE(shown.isHidden() || shown.parentWidget()->rect().contains(shown.geometry()));
    // A check box's caption leaves a blank stretch where its text box sits.
    if (!shown.isHidden() && isInput(control) && dynamic_cast<const CheckBox*>(control) == nullptr)
      inputs.push_back(&shown);
  }
  for (const QWidget* a : inputs) {
    for (const QWidget* b : inputs) {
      EXPECT_FALSE(a < b && a->parentWidget() == b->parentWidget() &&
                   a->geometry().intersects(b->geometry()))
          << fromQt(a->objectName()) << " covers " << fromQt(b->objectName());
    }
  }
  EXPECT_EQ(widget<QLineEdit>("txtPassword").echoMode(), QLineEdit::Password);
  // Tab visits every input by tab index, over labels and frames.
  std::vector<std::string> expected, visited;
  for (const auto& [index, name] : tabOrder) expected.push_back(name);
  const QWidget* current = &widget(expected.front());
  do {
    const std::string name = fromQt(current->objectName());
    if (std::ranges::count(expected, name) > 0) visited.push_back(name);
    current = current->nextInFocusChain();
  } while (current != &widget(expected.front()) && visited.size() <= expected.size());
  EXPECT_EQ(visited, expected);
}

TEST_F(WindowTest, ControlChangesShowInTheirWidgetsAndEditsReachTheControls) {
  form.lblNextRun.setCaption("Next Run: later");
  form.txtArchiveFolder.setText(std::string(40000, 'x'));  // past Qt's limit
  form.lstLog.addItem("second");
  form.chkArchive.setValue(2);
  form.sp.setCell(600, 2, "-5");  // the hidden work grid catches up only when shown
  EXPECT_EQ(widget<QLabel>("lblNextRun").text(), QStringLiteral("Next Run: later"));
  EXPECT_EQ(widget<QLineEdit>("txtArchiveFolder").text(), QString(40000, 'x'));
  EXPECT_EQ(widget<QListWidget>("lstLog").item(0)->text(), QStringLiteral("second"));
  EXPECT_EQ(widget<QCheckBox>("chkArchive").checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(widget<QTableView>("sp").model()->rowCount(), 500);
  form.sp.setVisible(true);
  EXPECT_EQ(widget<QTableView>("sp").model()->index(599, 1).data(), QStringLiteral("-5"));
  int changes = 0;
  form.txtSourceCSV.changed().connect([&changes] { ++changes; });
  QTest::keyClicks(&widget(form.txtSourceCSV.name()), "in/");
  EXPECT_EQ(form.txtSourceCSV.text() + " " + std::to_string(changes), "in/ 3");
  int clicks = 0;
  form.btnSaveSettings.onClick = [&clicks] { ++clicks; };
  QTest::mouseClick(&widget("btnSaveSettings"), Qt::LeftButton);
  form.btnSaveSettings.setEnabled(false);
  QTest::mouseClick(&widget("btnSaveSettings"), Qt::LeftButton);  // only while enabled
  EXPECT_EQ(clicks, 1);
  QTest::mouseClick(&widget("chkArchive"), Qt::LeftButton);  // a click on a grayed box checks it
  EXPECT_EQ(form.chkArchive.value(), 1);
  QTest::mouseClick(&widget("chkArchive"), Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 0);
  QTableView& view = widget<QTableView>("spUTC");
  view.edit(view.model()->index(0, 2));
  auto* editor = view.viewport()->findChild<QLineEdit*>();
  QTest::keyClicks(editor, "-4.5");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([this] { return form.spUTC.cell(1, 3) == "-4.5"; }));
}

TEST_F(WindowTest, Timer1IsARealTimerThatAutorunStartsAtOneMinuteAndItsTimeoutTicks) {
  const auto& timer = *window->findChild<QTimer*>(QStringLiteral("Timer1"));
  form.Timer1.setInterval(1);
  form.Timer1.setEnabled(true);
  // Timer1_Timer puts the time into a next-run caption that holds no date.
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.lblNextRun.caption() != "Next Run:"; }));
  QTest::mouseClick(&widget("btnStartAutoRun"), Qt::LeftButton);
  EXPECT_EQ(timer.isActive() ? timer.interval() : 0, 60000);
  QTest::mouseClick(&widget("btnStopAutorun"), Qt::LeftButton);
  EXPECT_FALSE(timer.isActive());
}

// Moves on by 60 ms at every reading, so each progress check finds its interval passed.
class SteppingClock final : public Clock {
 public:
  DateTime now() const override { return now_ = now_.addMicroseconds(60'000); }

 private:
  mutable DateTime now_ = DateTime::fromParts(2026, 12, 5, 8, 0);
};

struct Seen {
  QString progress;
  bool settingsEnabled;
};

TEST_F(WindowTest, ARunShowsItsProgressWithTheSettingsLockedAndTheLogFollowsItsEnd) {
  createDestination(test.folder.path() / "dest.db");
  form.cboOleProvider.setText("SQLite");
  form.txtDataSource.setText("dest.db");
  form.txtSourceCSV.setText((test.folder.path() / "in").string());
  std::string csv = "Time,Tag,Value\r\n";
  for (int row = 0; row < 2500; ++row)
    csv += "2024-03-07 14:05:09,A," + std::to_string(row) + "\r\n";
  for (int row = 0; row < 40; ++row) csv += "bad,A,1\r\n";
  std::filesystem::create_directory(test.folder.path() / "in");
  writeFile(test.folder.path() / "in" / "long.csv", csv);
  const SteppingClock clock;
  test.session.clock = &clock;
  test.session.eventLoop = &test.eventLoop;  // the fake, to look at the window at each yield
  std::vector<Seen> seen;
  test.eventLoop.onYield = [&] {
    QApplication::processEvents();
    seen.push_back({widget<QLabel>("lblProgress").text(), widget<QGroupBox>("Frame2").isEnabled()});
  };

  QTest::mouseClick(&widget<QPushButton>("btnTransferData"), Qt::LeftButton);

  ASSERT_EQ(seen.size(), 3u) << "at 1024 and 2048 rows, and after the file: "
                             << ::testing::PrintToString(form.lstLog.items());
  for (std::size_t i = 0; i < 2; ++i) {
    const QString rows = QString::number(1024 * (i + 1));
    EXPECT_TRUE(seen[i].progress.startsWith("File 1 of 1, " + rows + " rows read, "))
        << seen[i].progress.toStdString();
    EXPECT_TRUE(seen[i].progress.endsWith(" rows per second"));
  }
  for (const Seen& s : seen) EXPECT_FALSE(s.settingsEnabled);
  EXPECT_TRUE(widget<QGroupBox>("Frame2").isEnabled());
  EXPECT_EQ(widget<QLabel>("lblProgress").text(), "");
  const QScrollBar& bar = *widget<QListWidget>("lstLog").verticalScrollBar();
  EXPECT_GT(bar.maximum(), 0);
  EXPECT_EQ(bar.value(), bar.maximum());
}

struct FillCase {
  std::string name;
  std::string typed;
  std::int32_t rows;  // of spUTC afterwards
  std::string prompt;
};

class FillUtc : public WindowTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillUtc, FillsTheOffsetTableFromTheZone) {
  test.session.messageBox = &test.messageBox;  // the fake: the real box would wait for a press
  form.spUTC.setCell(9, 1, "kept unless filled");
  QTest::keyClicks(&widget<QLineEdit>("txtUtcZone"), QString::fromStdString(GetParam().typed));
  QTest::mouseClick(&widget<QPushButton>("btnFillUtc"), Qt::LeftButton);
  EXPECT_EQ(form.spUTC.rowCount(), GetParam().rows);
  std::vector<std::string> prompts;
  for (const auto& box : test.messageBox.shown) prompts.push_back(box.prompt);
  EXPECT_EQ(prompts, GetParam().prompt.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{GetParam().prompt});
}

INSTANTIATE_TEST_SUITE_P(
    Typed, FillUtc,
    ::testing::Values(
        FillCase{"zone_and_years", "Europe/Berlin 2024 2025", 5, ""},
        FillCase{"unknown_zone", "Mars/Olympus", 9,
                 "Error in Procedure btnFillUtc_Click\r\nError 5 - Invalid procedure call or "
                 "argument: no time zone named Mars/Olympus"}),
    [](const auto& info) { return info.param.name; });

// "Preview" reads the settings the window shows, not the saved ones, and shows the first file
// the next run would read in a box, as "csv2sql --check" prints it.
TEST_F(WindowTest, PreviewShowsTheFirstFileOfTheFolderTypedInABox) {
  const std::filesystem::path source = test.folder.path() / "typed";
  std::filesystem::create_directories(source);
  writeFile(source / "a.csv", "DateTime,Tag,Value\r\n2024-03-07 10:00:00,T1,12.5\r\nx,T1,1\r\n");
  writeFile(source / "b.csv", "DateTime,Tag,Value\r\n2024-03-07 10:00:00,T2,1\r\n");
  QTest::keyClicks(&widget<QLineEdit>("txtSourceCSV"), QString::fromStdString(source.string()));
  QString title, text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->defaultButton()->click();
  });
  QTest::mouseClick(&widget<QPushButton>("btnPreview"), Qt::LeftButton);
  EXPECT_EQ(widget<QPushButton>("btnPreview").text(), "Preview");
  EXPECT_EQ(title, "Preview");
  const std::string shown = fromQt(text);
  EXPECT_TRUE(shown.starts_with("Date order: ")) << shown;
  EXPECT_EQ(shown.substr(shown.find('\n') + 1),
            "a.csv: 1 readings, 1 rows skipped\n"
            "  2024-03-07 10:00:00  T1  12.5\n"
            "  Row 3 invalid date (x) record skipped\n"
            "Check done: 1 files, 1 readings, 1 rows skipped");
  EXPECT_FALSE(std::filesystem::exists(test.folder.path() / "log"));
}

// ---- the message box: shown for real and answered by pressing one of its buttons -----------

struct BoxCase {
  const char* name;
  int style, answer;
  QMessageBox::StandardButtons set;
  QMessageBox::StandardButton defaultButton, pressed;  // pressed NoButton: the default
  QMessageBox::Icon icon;
};
class MessageBoxStyle : public ::testing::TestWithParam<BoxCase> {};

// Shows the request through the port; once the box is up, checks what it shows and presses.
TEST_P(MessageBoxStyle, ShowsItsButtonsIconAndDefaultAndAnswersThePressedButton) {
  application();
  const BoxCase& c = GetParam();
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->standardButtons(), c.set);
    EXPECT_EQ(box->standardButton(box->defaultButton()), c.defaultButton);
    EXPECT_EQ(box->icon(), c.icon);
    EXPECT_EQ(box->windowTitle().toStdString(), c.style == 22 ? "Own" : kProgramTitle);
    EXPECT_EQ(box->text(), QStringLiteral("Error x\nError 5 - <b>bad</b>\nend"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    (c.pressed == QMessageBox::NoButton ? box->defaultButton() : box->button(c.pressed))->click();
  });
  MessageBoxRequest request;
  request.prompt = "Error x\r\nError 5 - <b>bad</b>\rend";
  request.buttons = c.style;
  if (c.style == 22) request.title = "Own";
  EXPECT_EQ(QtMessageBox().show(request), c.answer);
}

using B = QMessageBox;
const BoxCase kBoxes[] = {
    {"ok_cancel_second", 1 + 256, 2, B::Ok | B::Cancel, B::Cancel, B::NoButton, B::NoIcon},
    {"abort_retry", 2 + 512, 3, B::Abort | B::Retry | B::Ignore, B::Ignore, B::Abort, B::NoIcon},
    {"yes_no_cancel_question", 3 + 32, 7, B::Yes | B::No | B::Cancel, B::Yes, B::No, B::Question},
    {"yes_no_exclamation", 4 + 256 + 48, 6, B::Yes | B::No, B::No, B::Yes, B::Warning},
    {"retry_cancel_info", 5 + 64, 2, B::Retry | B::Cancel, B::Retry, B::Cancel, B::Information},
    {"critical_titled_set_6", 6 + 16, 1, B::Ok, B::Ok, B::NoButton, B::Critical}};
INSTANTIATE_TEST_SUITE_P(Styles, MessageBoxStyle, ::testing::ValuesIn(kBoxes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, TheHostInstallsItsPortsAndRunsTheWindowUntilItClosesWithStatusZero) {
  EXPECT_NE(dynamic_cast<QtMessageBox*>(test.session.messageBox), nullptr);
  bool ran = false;
  QTimer::singleShot(0, [&ran] { ran = true; });
  test.session.eventLoop->yield();  // lets pending events run
  EXPECT_TRUE(ran);
  QTimer::singleShot(0, [this] { window->close(); });  // always closes, a run or not
  EXPECT_EQ(host->run(true), 0);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace csv2sql::testing
