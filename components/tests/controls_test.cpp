#include "components/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace csv2sql {
namespace {

constexpr Geometry kPlace{10, 20, 300, 40};

// Counts how often a signal without arguments runs.
struct Counter {
  explicit Counter(Signal<>& signal) {
    signal.connect([this] { ++count; });
  }
  int count = 0;
};

TEST(Control, PropertiesNotifyOnlyWhenTheyChange) {
  Label label("lblNextRun", "Frame6", kPlace, 50, "Next Run:");
  EXPECT_TRUE(label.visible() && label.enabled());
  Counter labelChanged(label.changed());
  label.setVisible(true);
  label.setEnabled(true);
  label.setCaption("Next Run:");
  EXPECT_EQ(labelChanged.count, 0);
  label.setVisible(false);
  label.setEnabled(false);
  label.setCaption("12/5/2026 8:20:41 AM");
  label.setGeometry(kPlace);  // a move always redraws
  EXPECT_EQ(labelChanged.count, 4);
  EXPECT_FALSE(label.visible() || label.enabled());
  EXPECT_EQ(label.caption(), "12/5/2026 8:20:41 AM");

  ComboBox combo("cboOleProvider", "Frame2", kPlace, 18, "MSOLEDBSQL.1");
  Counter comboChanged(combo.changed());
  combo.setText("MSOLEDBSQL.1");
  EXPECT_EQ(comboChanged.count, 0);
  combo.setText("");
  combo.addItem("SQLNCLI11");
  EXPECT_EQ(comboChanged.count, 2);
  EXPECT_EQ(combo.items(), std::vector<std::string>{"SQLNCLI11"});
  EXPECT_EQ(combo.text(), "");
}

TEST(CheckBox, ClickedRunsOnlyWhenTheValueChangesAndSeesTheNewValue) {
  CheckBox box("chkDelOldRecs", "Frame3", kPlace, 30, "Delete");
  EXPECT_EQ(box.value(), 0);
  Counter changed(box.changed());
  std::vector<int> seen;
  box.clicked().connect([&] { seen.push_back(box.value()); });
  for (const int value : {0, 1, 1, 2, 0, 0}) box.setValue(value);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(changed.count, 3);
}

TEST(Button, ClickRunsTheHandlerOnlyWhileEnabled) {
  Button button("btnTransferData", "", kPlace, 0, "Load Data");
  EXPECT_NO_THROW(button.click());  // no handler yet: nothing happens
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  button.click();
  button.setEnabled(false);
  button.click();
  EXPECT_EQ(clicks, 1);
}

TEST(TextBox, OnlyAPasswordBoxMasksItsText) {
  EXPECT_EQ(TextBox("txtUserId", "Frame2", kPlace, 20).passwordChar(), '\0');
  EXPECT_EQ(TextBox("txtPassword", "Frame2", kPlace, 22, "", '*').passwordChar(), '*');
}

TEST(ListBox, ItemAddedGivesTheIndexOfAnItemAlreadyInTheList) {
  ListBox list("lstLog", "", kPlace, 7);
  std::vector<std::size_t> added;
  list.itemAdded().connect([&](std::size_t index) {
    EXPECT_EQ(list.items().size(), index + 1);
    added.push_back(index);
  });
  for (const char* item : {"first", "second", "first"}) list.addItem(item);
  EXPECT_EQ(added, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(list.items(), (std::vector<std::string>{"first", "second", "first"}));
}

TEST(Timer, TicksOnlyWhileEnabledAndNotifiesOnlyOnChange) {
  Timer timer("Timer1");
  EXPECT_EQ(timer.name(), "Timer1");
  EXPECT_FALSE(timer.enabled());
  EXPECT_EQ(timer.interval(), 0);
  Counter changed(timer.changed());
  timer.setEnabled(false);
  timer.setInterval(0);
  EXPECT_EQ(changed.count, 0);
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  timer.tick();
  timer.setInterval(60000);
  timer.setEnabled(true);
  timer.tick();
  timer.tick();
  timer.setEnabled(false);
  timer.tick();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(changed.count, 3);
  EXPECT_EQ(timer.interval(), 60000);
  Timer bare("Timer1");
  bare.setEnabled(true);
  EXPECT_NO_THROW(bare.tick());  // no handler: nothing happens
}

}  // namespace
}  // namespace csv2sql
