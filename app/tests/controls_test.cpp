#include "app/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace csv2sql {
namespace {

constexpr Geometry kPlace{10, 20, 300, 40};

// The window redraws a control on its change signal, so a set to the value it holds is silent.
TEST(Control, PropertiesNotifyOnlyWhenTheyChange) {
  Label label("lblNextRun", "Frame6", kPlace, 50, "Next Run:");
  ComboBox combo("cboOleProvider", "Frame2", kPlace, 18, "MSOLEDBSQL.1");
  Timer timer("Timer1");
  int changes = 0;
  for (Signal<>* signal : {&label.changed(), &combo.changed(), &timer.changed()}) {
    signal->connect([&] { ++changes; });
  }
  label.setVisible(true), label.setEnabled(true), label.setCaption("Next Run:");
  combo.setText("MSOLEDBSQL.1"), timer.setEnabled(false), timer.setInterval(0);
  EXPECT_EQ(changes, 0);
  label.setVisible(false), label.setEnabled(false), label.setCaption("12/5/2026 8:20:41 AM");
  label.setGeometry(kPlace);  // a move always redraws
  combo.setText(""), combo.addItem("SQLNCLI11"), timer.setEnabled(true), timer.setInterval(60000);
  EXPECT_EQ(changes, 8);
  EXPECT_FALSE(label.visible() || label.enabled());
  EXPECT_EQ(combo.items(), std::vector<std::string>{"SQLNCLI11"});
}

TEST(CheckBox, ClickedRunsOnlyWhenTheValueChangesAndSeesTheNewValue) {
  CheckBox box("chkDelOldRecs", "Frame3", kPlace, 30, "Delete");
  std::vector<int> seen;
  box.clicked().connect([&] { seen.push_back(box.value()); });
  for (const int value : {0, 1, 1, 2, 0}) box.setValue(value);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
}

}  // namespace
}  // namespace csv2sql
