// The two ways between the controls and their widgets: the operator's edits reach the controls,
// the controls' changes show, and neither echoes back into the other.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/ui/qt_text.h"
#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

TEST_F(WindowTest, TypingSetsTheTextBoxOnceAKeyAndTextOutsideAsciiSurvives) {
  int changes = 0;
  form.txtSourceCSV.changed().connect([&changes] { ++changes; });
  QTest::keyClicks(&widget<QLineEdit>("txtSourceCSV"), "in/");
  EXPECT_EQ(form.txtSourceCSV.text(), "in/");
  EXPECT_EQ(changes, 3);
  form.txtArchiveFolder.setText("Z\xC3\xBCrich " + std::string(40000, 'x'));  // past Qt's limit
  auto& box = widget<QLineEdit>("txtArchiveFolder");
  EXPECT_EQ(box.text(), QString::fromUtf8("Z\xC3\xBCrich ") + QString(40000, 'x'));
  box.end(false);
  QTest::keyClicks(&box, "/");
  EXPECT_EQ(form.txtArchiveFolder.text(), "Z\xC3\xBCrich " + std::string(40000, 'x') + "/");
}

TEST_F(WindowTest, ControlChangesShowInTheirWidgets) {
  form.lblNextRun.setCaption("Next Run: later");
  form.Frame4.setCaption("Columns");
  form.chkUtcOffset.setCaption("UTC");
  form.btnTransferData.setEnabled(false);
  form.btnHelp.setVisible(false);
  form.txtDestCnn.setVisible(true);
  form.Label10.setGeometry({150, 615, 1500, 300});
  form.lstLog.addItem("first");
  const QListWidgetItem* first = widget<QListWidget>("lstLog").item(0);
  form.lstLog.addItem("second");  // appended, the list not rebuilt
  EXPECT_EQ(widget<QLabel>("lblNextRun").text(), QStringLiteral("Next Run: later"));
  EXPECT_EQ(widget<QGroupBox>("Frame4").title(), QStringLiteral("Columns"));
  EXPECT_EQ(widget<QCheckBox>("chkUtcOffset").text(), QStringLiteral("UTC"));
  EXPECT_FALSE(widget<QPushButton>("btnTransferData").isEnabled());
  EXPECT_TRUE(widget("btnHelp").isHidden());
  EXPECT_TRUE(widget("txtDestCnn").isVisible());
  EXPECT_EQ(widget("Label10").geometry(), window.scale().pixels(Geometry{150, 615, 1500, 300}));
  EXPECT_EQ(widget<QListWidget>("lstLog").item(0), first);
  EXPECT_EQ(widget<QListWidget>("lstLog").item(1)->text(), QStringLiteral("second"));
}

TEST_F(WindowTest, ACheckBoxShowsEachValueAndAClickOnAGrayedOneChecksIt) {
  auto& box = widget<QCheckBox>("chkArchive");
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 1);
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 0);
  form.chkArchive.setValue(2);
  EXPECT_EQ(box.checkState(), Qt::PartiallyChecked);
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(form.chkArchive.value(), 1);
  EXPECT_EQ(box.checkState(), Qt::Checked);
}

TEST_F(WindowTest, TheProviderListShowsTheNamesAndATypedNameIsTakenAsTyped) {
  auto& combo = widget<QComboBox>("cboOleProvider");
  ASSERT_EQ(static_cast<std::size_t>(combo.count()), form.cboOleProvider.items().size());
  EXPECT_EQ(fromQt(combo.itemText(1)), form.cboOleProvider.items()[1]);
  EXPECT_EQ(toQt(form.cboOleProvider.text()), combo.currentText());
  combo.setFocus();
  QTest::keyClick(&combo, Qt::Key_Down);  // picked with the keyboard
  EXPECT_EQ(toQt(form.cboOleProvider.text()), combo.currentText());
  combo.lineEdit()->selectAll();
  QTest::keyClicks(combo.lineEdit(), "S");
  QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
  // No completion from "SQLite" or "SQLNCLI", and no new item.
  EXPECT_EQ(form.cboOleProvider.text(), "S");
  EXPECT_EQ(static_cast<std::size_t>(combo.count()), form.cboOleProvider.items().size());
}

TEST_F(WindowTest, AButtonClickRunsItsHandlerOnlyWhileEnabled) {
  int clicks = 0;
  form.btnSaveSettings.onClick = [&clicks] { ++clicks; };
  QTest::mouseClick(&widget<QPushButton>("btnSaveSettings"), Qt::LeftButton);
  form.btnSaveSettings.setEnabled(false);
  QTest::mouseClick(&widget<QPushButton>("btnSaveSettings"), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

TEST_F(WindowTest, OffsetCellsShowBothWaysBeyond500Rows) {
  QTableView& view = widget<QTableView>("spUTC");
  form.spUTC.setCell(600, 3, "-5");
  EXPECT_EQ(view.model()->rowCount(), 600);
  EXPECT_EQ(view.model()->index(599, 2).data().toString(), QStringLiteral("-5"));
  const QModelIndex cell = view.model()->index(0, 2);
  view.setCurrentIndex(cell);
  view.edit(cell);
  auto* editor = view.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "-4.5");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_TRUE(eventually([this] { return form.spUTC.cell(1, 3) == "-4.5"; }));
}

TEST_F(WindowTest, TheHiddenWorkGridCatchesUpOnlyWhenShown) {
  std::string lines;
  for (int row = 1; row <= 600; ++row)
    lines += "2026-03-01 10:00:00,T" + std::to_string(row) + ",1\r\n";
  writeFile(test.folder.path() / "big.csv", lines);
  auto& view = widget<QTableView>("sp");
  ASSERT_TRUE(form.sp.loadTextFile(test.folder.path() / "big.csv"));
  EXPECT_EQ(view.model()->rowCount(), 500);  // each file of a run would rebuild it otherwise
  form.sp.setVisible(true);
  EXPECT_EQ(view.model()->index(599, 1).data().toString(), QStringLiteral("T600"));
}

TEST(WindowLifetime, ControlsKeepWorkingAfterTheirWindowIsGone) {
  application();
  TestSession test;
  FrmMain& form = test.session.frmMain;
  Program program(test.session);
  { MainWindow(form).attach(program); }
  form.lstLog.addItem("after");
  form.txtSourceCSV.setText("after");
  form.spUTC.setCell(1, 1, "after");
  form.Timer1.setInterval(10);
  form.Timer1.setEnabled(true);
  EXPECT_EQ(form.lstLog.items().size(), 1u);
}

}  // namespace
}  // namespace csv2sql::testing
