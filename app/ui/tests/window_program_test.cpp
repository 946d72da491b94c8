// The window driving the program: its clicks, resizes, timer and closing.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/ui/tests/window_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

void click(QWidget& button) {
  QTest::mouseClick(&button, Qt::LeftButton);
}

// The resize rules themselves are the program's (app/tests); here the window's resize reaches it.
TEST_F(WindowTest, TheListFollowsTheWindowsSize) {
  const auto& list = widget<QListWidget>("lstLog");
  // 120 twips short of the right edge, down to the bottom of the client area.
  EXPECT_NEAR(list.width(), window.width() - window.scale().pixels(120), 1);
  EXPECT_NEAR(list.y() + list.height(), window.height(), 1);
  const QSize before = list.size();
  window.resize(window.width() + 70, window.height() + 40);
  ASSERT_TRUE(eventually([&] { return list.size() != before; }));
  EXPECT_NEAR(list.width() - before.width(), 70, 1);
  EXPECT_NEAR(list.height() - before.height(), 40, 1);
}

struct TestButtonCase {
  const char* name;
  const char* dataSource;
  const char* prompt;  // its first line
  std::int32_t buttons;
};

class TestButton : public WindowTest, public ::testing::WithParamInterface<TestButtonCase> {};

TEST_P(TestButton, AnswersForTheTypedConnection) {
  createDestination(test.folder.path() / "dest.db");
  auto& provider = *widget<QComboBox>("cboOleProvider").lineEdit();
  provider.selectAll();
  QTest::keyClicks(&provider, "SQLite");
  widget<QLineEdit>("txtDataSource").selectAll();
  QTest::keyClicks(&widget<QLineEdit>("txtDataSource"), GetParam().dataSource);
  test.messageBox.shown.clear();
  click(widget("btnConnectDest"));
  ASSERT_EQ(test.messageBox.shown.size(), 1u);
  const MessageBoxRequest& box = test.messageBox.shown.front();
  EXPECT_EQ(box.prompt.substr(0, box.prompt.find("\r\n")), GetParam().prompt);
  EXPECT_EQ(box.buttons, GetParam().buttons);
}

INSTANTIATE_TEST_SUITE_P(Destinations, TestButton,
                         ::testing::Values(TestButtonCase{"sqlite_file_in_the_program_folder",
                                                          "dest.db", "Connected", 0},
                                           TestButtonCase{"missing_file", "missing.db",
                                                          "Error in Procedure btnConnectDest_Click",
                                                          mb::Critical}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, Timer1IsARealTimerThatAutorunStartsAtOneMinuteAndItsTimeoutTicks) {
  const auto& timer = *window.findChild<QTimer*>(QStringLiteral("Timer1"));
  EXPECT_FALSE(timer.isActive());
  form.Timer1.setInterval(1);
  form.Timer1.setEnabled(true);
  // Timer1_Timer puts the time into a next-run caption that holds no date.
  ASSERT_TRUE(eventually([&] { return form.lblNextRun.caption() != "Next Run:"; }));
  EXPECT_EQ(form.lblNextRun.caption(), formatGeneralDate(test.clock.now()));
  click(widget("btnStartAutoRun"));
  EXPECT_TRUE(timer.isActive());
  EXPECT_EQ(timer.interval(), 60000);
  click(widget("btnStopAutorun"));
  EXPECT_FALSE(timer.isActive());
}

TEST_F(WindowTest, ClosingTheWindowDuringARunStopsTheRunAfterItsCurrentFile) {
  const auto source = test.folder.path() / "in";
  std::filesystem::create_directories(source);
  createDestination(test.folder.path() / "dest.db");
  for (const char* name : {"a.csv", "b.csv"}) {
    writeFile(source / name, "DateTime,Tag,Value\r\n2026-03-01 10:00:00,T1,1.5\r\n");
  }
  form.txtSourceCSV.setText(source.string());
  form.cboOleProvider.setText("SQLite");
  form.txtDataSource.setText("dest.db");
  // The operator closes the window while the run lets the window work after its first file.
  test.eventLoop.onYield = [this] { window.close(); };
  click(widget("btnTransferData"));
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(test.eventLoop.yields, 1);
  EXPECT_EQ(countRows(test.folder.path() / "dest.db"), 1);  // the second file never started
}

}  // namespace
}  // namespace csv2sql::testing
