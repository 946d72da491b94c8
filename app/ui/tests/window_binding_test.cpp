// The two ways between the controls and their widgets: the operator's edits reach the controls,
// the controls' changes show, and neither echoes back into the other.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/ui/qt_text.h"
#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

TEST_F(WindowTest, TypingInATextBoxSetsItsControlOnceAKey) {
  int changes = 0;
  form.txtSourceCSV.changed().connect([&changes] { ++changes; });
  QTest::keyClicks(&widget<QLineEdit>("txtSourceCSV"), "in/");
  EXPECT_EQ(form.txtSourceCSV.text(), "in/");
  EXPECT_EQ(changes, 3);
}

TEST_F(WindowTest, TypingReplacesASelectedText) {
  auto& box = widget<QLineEdit>("txtColTag");
  box.selectAll();
  QTest::keyClicks(&box, "7");
  EXPECT_EQ(form.txtColTag.text(), "7");
}

TEST_F(WindowTest, TextOutsideAsciiSurvivesTheWayThereAndBack) {
  form.txtArchiveFolder.setText("Z\xC3\xBCrich \xE2\x82\xAC");  // "Zürich €" in UTF-8
  auto& box = widget<QLineEdit>("txtArchiveFolder");
  EXPECT_EQ(box.text(), QString::fromUtf8("Z\xC3\xBCrich \xE2\x82\xAC"));
  box.end(false);
  QTest::keyClicks(&box, "/");
  EXPECT_EQ(form.txtArchiveFolder.text(), "Z\xC3\xBCrich \xE2\x82\xAC/");
}

TEST_F(WindowTest, ATextLongerThanQtsDefaultLimitIsShownWhole) {
  const std::string longText(40000, 'x');
  form.txtSourceCSV.setText(longText);
  EXPECT_EQ(widget<QLineEdit>("txtSourceCSV").text().size(), 40000);
}

TEST_F(WindowTest, ControlChangesShowInTheirWidgets) {
  form.txtColTag.setText("4");
  form.lblNextRun.setCaption("Next Run: later");
  form.btnTransferData.setEnabled(false);
  form.Frame4.setCaption("Columns");
  form.chkUtcOffset.setCaption("UTC");
  form.btnHelp.setCaption("?");
  form.Label10.setGeometry({150, 615, 1500, 300});

  EXPECT_EQ(widget<QLineEdit>("txtColTag").text(), QStringLiteral("4"));
  EXPECT_EQ(widget<QLabel>("lblNextRun").text(), QStringLiteral("Next Run: later"));
  EXPECT_FALSE(widget<QPushButton>("btnTransferData").isEnabled());
  EXPECT_EQ(widget<QGroupBox>("Frame4").title(), QStringLiteral("Columns"));
  EXPECT_EQ(widget<QCheckBox>("chkUtcOffset").text(), QStringLiteral("UTC"));
  EXPECT_EQ(widget<QPushButton>("btnHelp").text(), QStringLiteral("?"));
  const TwipScale& scale = window.scale();
  EXPECT_EQ(widget<QLabel>("Label10").geometry(),
            QRect(scale.pixels(150), scale.pixels(615), scale.pixels(1500), scale.pixels(300)));
}

TEST_F(WindowTest, VisibilityFollowsTheControl) {
  form.txtDestCnn.setVisible(true);
  form.btnHelp.setVisible(false);
  EXPECT_TRUE(widget<QLineEdit>("txtDestCnn").isVisible());
  EXPECT_TRUE(widget<QPushButton>("btnHelp").isHidden());
}

TEST_F(WindowTest, ACheckBoxShowsEachValueAndAClickSetsItsControl) {
  auto& box = widget<QCheckBox>("chkArchive");
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 1);
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 0);

  form.chkArchive.setValue(1);
  EXPECT_EQ(box.checkState(), Qt::Checked);
  form.chkArchive.setValue(2);
  EXPECT_EQ(box.checkState(), Qt::PartiallyChecked);
  // A click on a grayed box checks it, as the operator expects.
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 1);
  EXPECT_EQ(box.checkState(), Qt::Checked);
}

TEST_F(WindowTest, TheProviderListHoldsTheLoadedNamesAndKeepsTheText) {
  auto& combo = widget<QComboBox>("cboOleProvider");
  ASSERT_EQ(static_cast<std::size_t>(combo.count()), form.cboOleProvider.items().size());
  for (int i = 0; i < combo.count(); ++i) {
    EXPECT_EQ(fromQt(combo.itemText(i)), form.cboOleProvider.items()[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(combo.currentText(), QStringLiteral("MSOLEDBSQL.1"));

  form.cboOleProvider.addItem("Other");
  EXPECT_EQ(combo.itemText(combo.count() - 1), QStringLiteral("Other"));
}

TEST_F(WindowTest, ATypedProviderNameIsTakenAsTypedAndNotAddedToTheList) {
  auto& combo = widget<QComboBox>("cboOleProvider");
  const int items = combo.count();
  combo.lineEdit()->selectAll();
  QTest::keyClicks(combo.lineEdit(), "S");
  QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
  // No completion from "SQLite" or "SQLNCLI": the letter typed is the text.
  EXPECT_EQ(form.cboOleProvider.text(), "S");
  EXPECT_EQ(combo.count(), items);
}

TEST_F(WindowTest, PickingAProviderWithTheKeyboardSetsTheControl) {
  auto& combo = widget<QComboBox>("cboOleProvider");
  combo.setFocus();
  QTest::keyClick(&combo, Qt::Key_Down);
  EXPECT_NE(form.cboOleProvider.text(), "MSOLEDBSQL.1");
  EXPECT_EQ(toQt(form.cboOleProvider.text()), combo.currentText());
}

TEST_F(WindowTest, LogLinesAreAppendedWithoutRebuildingTheList) {
  auto& list = widget<QListWidget>("lstLog");
  form.lstLog.addItem("first");
  const QListWidgetItem* first = list.item(0);
  form.lstLog.addItem("second");
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.item(0), first);
  EXPECT_EQ(list.item(1)->text(), QStringLiteral("second"));
}

TEST_F(WindowTest, AButtonClickRunsItsControlsHandlerOnlyWhileEnabled) {
  int clicks = 0;
  form.btnSaveSettings.onClick = [&clicks] { ++clicks; };
  auto& button = widget<QPushButton>("btnSaveSettings");
  QTest::mouseClick(&button, Qt::LeftButton);
  form.btnSaveSettings.setEnabled(false);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST(WindowLifetime, ControlsKeepWorkingAfterTheirWindowIsGone) {
  application();
  TestSession test;
  FrmMain& form = test.session.frmMain;
  Program program(test.session);
  {
    MainWindow window(form);
    window.attach(program);
  }
  form.lstLog.addItem("after");
  form.txtSourceCSV.setText("after");
  form.spUTC.setCell(1, 1, "after");
  form.Timer1.setInterval(10);
  form.Timer1.setEnabled(true);
  EXPECT_EQ(form.lstLog.items().size(), 1u);
}

}  // namespace
}  // namespace csv2sql::testing
