// The window driving the program: its clicks, resizes, timer and closing.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/file_url.h"
#include "app/ui/tests/window_fixture.h"
#include "core/datetime_text.h"

namespace csv2sql::testing {
namespace {

TEST_F(WindowTest, CheckingTheDeleteBoxEnablesTheDaysAndKeepsTheirText) {
  auto& days = widget<QLineEdit>("txtDeleteDays");
  auto& check = widget<QCheckBox>("chkDelOldRecs");
  // At creation the days box is enabled while its check box is unchecked.
  EXPECT_TRUE(days.isEnabled());
  QTest::keyClicks(&days, "30");

  QTest::mouseClick(&check, Qt::LeftButton);
  EXPECT_EQ(form.chkDelOldRecs.value(), 1);
  EXPECT_TRUE(days.isEnabled());
  QTest::mouseClick(&check, Qt::LeftButton);
  EXPECT_FALSE(days.isEnabled());
  EXPECT_EQ(days.text(), QStringLiteral("30"));
  QTest::mouseClick(&check, Qt::LeftButton);
  EXPECT_TRUE(days.isEnabled());
  EXPECT_EQ(form.txtDeleteDays.text(), "30");
}

TEST_F(WindowTest, AWindowWiderBy1000TwipsGivesAListWiderBy1000Twips) {
  const auto& list = widget<QListWidget>("lstLog");
  const Geometry before = form.lstLog.geometry();
  const int widthBefore = list.width();
  const int heightBefore = list.height();
  const int wider = window.scale().pixels(1000);

  window.resize(window.width() + wider, window.height());
  ASSERT_TRUE(eventually([&] { return list.width() != widthBefore; }));

  // Within one pixel of rounding, in twips and in pixels.
  EXPECT_NEAR(form.lstLog.geometry().width - before.width, 1000, window.scale().twips(1));
  EXPECT_NEAR(list.width() - widthBefore, wider, 1);
  EXPECT_EQ(list.height(), heightBefore);
  EXPECT_EQ(form.lstLog.geometry().top, before.top);
}

TEST_F(WindowTest, ATallerWindowGivesATallerList) {
  const auto& list = widget<QListWidget>("lstLog");
  const int heightBefore = list.height();
  window.resize(window.width(), window.height() + 40);
  ASSERT_TRUE(eventually([&] { return list.height() != heightBefore; }));
  EXPECT_NEAR(list.height() - heightBefore, 40, 1);
}

TEST_F(WindowTest, AWindowShorterThanTheListsTopLeavesTheListAsItWas) {
  const auto& list = widget<QListWidget>("lstLog");
  const QRect before = list.geometry();
  window.resize(window.width() - 10, window.scale().pixels(4000));
  ASSERT_TRUE(eventually([&] { return window.height() == window.scale().pixels(4000); }));
  EXPECT_EQ(list.height(), before.height());
  EXPECT_TRUE(test.messageBox.shown.empty());
}

class TestButton : public WindowTest {
 protected:
  // The operator types the connection fields and presses "Test".
  void typeAndTest(const char* dataSource) {
    auto& provider = *widget<QComboBox>("cboOleProvider").lineEdit();
    provider.selectAll();
    QTest::keyClicks(&provider, "SQLite");
    auto& source = widget<QLineEdit>("txtDataSource");
    source.selectAll();
    QTest::keyClicks(&source, dataSource);
    test.messageBox.shown.clear();
    QTest::mouseClick(&widget<QPushButton>("btnConnectDest"), Qt::LeftButton);
  }
};

TEST_F(TestButton, SaysConnectedForASQLiteFileInTheProgramFolder) {
  createDestination(test.folder.path() / "dest.db");
  typeAndTest("dest.db");
  EXPECT_EQ(prompts(), std::vector<std::string>{"Connected"});
}

TEST_F(TestButton, ReportsTheErrorForAMissingDataSource) {
  typeAndTest("missing.db");
  ASSERT_EQ(test.messageBox.shown.size(), 1u);
  const MessageBoxRequest& report = test.messageBox.shown.front();
  EXPECT_EQ(report.prompt.substr(0, report.prompt.find("\r\n")),
            "Error in Procedure btnConnectDest_Click");
  EXPECT_NE(report.prompt.find("\r\nError "), std::string::npos);
  EXPECT_EQ(report.buttons, mb::Critical);
}

TEST_F(WindowTest, HelpOpensTheUserGuideBesideTheProgram) {
  QTest::mouseClick(&widget<QPushButton>("btnHelp"), Qt::LeftButton);
  EXPECT_EQ(test.urlOpener.opened,
            std::vector<std::string>{fileUrl(test.folder.path() / "user-guide.html")});
}

TEST_F(WindowTest, Timer1RunsARealTimerWhoseTimeoutTicksTheProgram) {
  const auto& timer = *window.findChild<QTimer*>(QStringLiteral("Timer1"));
  EXPECT_FALSE(timer.isActive());

  form.Timer1.setInterval(1);
  form.Timer1.setEnabled(true);
  EXPECT_TRUE(timer.isActive());
  EXPECT_EQ(timer.interval(), 1);
  // Timer1_Timer puts the time into a next-run caption that holds no date.
  ASSERT_TRUE(eventually([&] { return form.lblNextRun.caption() != "Next Run:"; }));
  EXPECT_EQ(form.lblNextRun.caption(), formatGeneralDate(test.clock.now()));

  form.Timer1.setInterval(60000);
  EXPECT_EQ(timer.interval(), 60000);
  form.Timer1.setEnabled(false);
  EXPECT_FALSE(timer.isActive());
}

TEST_F(WindowTest, StartAutorunStartsTheRealTimerAtOneMinute) {
  QTest::mouseClick(&widget<QPushButton>("btnStartAutoRun"), Qt::LeftButton);
  const auto& timer = *window.findChild<QTimer*>(QStringLiteral("Timer1"));
  EXPECT_TRUE(timer.isActive());
  EXPECT_EQ(timer.interval(), 60000);
  QTest::mouseClick(&widget<QPushButton>("btnStopAutorun"), Qt::LeftButton);
  EXPECT_FALSE(timer.isActive());
}

TEST_F(WindowTest, ClosingTheWindowClosesIt) {
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
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

  QTest::mouseClick(&widget<QPushButton>("btnTransferData"), Qt::LeftButton);

  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(test.eventLoop.yields, 1);
  // One file's row: the second file was never started.
  EXPECT_EQ(countRows(test.folder.path() / "dest.db"), 1);
}

}  // namespace
}  // namespace csv2sql::testing
