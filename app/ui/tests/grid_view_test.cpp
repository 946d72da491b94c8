// The grids' views: the offset table as the operator sees and edits it, the hidden work grid.
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

class GridViewTest : public WindowTest {
 protected:
  QTableView& offsets() { return widget<QTableView>("spUTC"); }
  QAbstractItemModel& offsetCells() { return *offsets().model(); }
};

TEST_F(GridViewTest, OffsetTableHasThreeNamedColumnsAndRoomFor500Rows) {
  ASSERT_EQ(offsetCells().columnCount(), 3);
  EXPECT_EQ(offsetCells().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Start"));
  EXPECT_EQ(offsetCells().headerData(1, Qt::Horizontal).toString(), QStringLiteral("End"));
  EXPECT_EQ(offsetCells().headerData(2, Qt::Horizontal).toString(), QStringLiteral("Offset"));
  EXPECT_EQ(offsetCells().rowCount(), 500);
  EXPECT_EQ(offsetCells().headerData(0, Qt::Vertical).toInt(), 1);
}

TEST_F(GridViewTest, CellsWrittenByTheProgramShow) {
  form.spUTC.setCell(2, 3, "-5");
  EXPECT_EQ(offsetCells().index(1, 2).data().toString(), QStringLiteral("-5"));
}

TEST_F(GridViewTest, MoreRowsShowWhenTheTableHoldsMore) {
  form.spUTC.setCell(600, 1, "2030-01-01 00:00:00");
  EXPECT_EQ(offsetCells().rowCount(), 600);
  EXPECT_EQ(offsetCells().index(599, 0).data().toString(), QStringLiteral("2030-01-01 00:00:00"));
}

TEST_F(GridViewTest, AnEditInTheViewGoesIntoTheCell) {
  QTableView& view = offsets();
  const QModelIndex cell = offsetCells().index(0, 2);
  view.setCurrentIndex(cell);
  view.edit(cell);
  auto* editor = view.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "-4.5");
  QTest::keyClick(editor, Qt::Key_Return);
  // The view commits its editor from the event loop.
  ASSERT_TRUE(eventually([this] { return form.spUTC.cell(1, 3) == "-4.5"; }));
  EXPECT_EQ(cell.data().toString(), QStringLiteral("-4.5"));
}

TEST_F(GridViewTest, TheHiddenWorkGridCatchesUpWhenShown) {
  std::string lines;
  for (int row = 1; row <= 600; ++row)
    lines += "2026-03-01 10:00:00,T" + std::to_string(row) + ",1\r\n";
  const auto file = test.folder.path() / "big.csv";
  writeFile(file, lines);
  auto& view = widget<QTableView>("sp");
  ASSERT_TRUE(form.sp.loadTextFile(file));
  // Not shown, not refreshed: each file of a run would otherwise rebuild the view.
  EXPECT_EQ(view.model()->rowCount(), 500);

  form.sp.setVisible(true);
  EXPECT_EQ(view.model()->rowCount(), 600);
  EXPECT_EQ(view.model()->index(599, 1).data().toString(), QStringLiteral("T600"));
  EXPECT_EQ(view.model()->columnCount(), 500);
}

}  // namespace
}  // namespace csv2sql::testing
