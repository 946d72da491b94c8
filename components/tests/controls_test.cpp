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

TEST(ControlTest, KeepsNameContainerPlaceAndTab) {
  Label label("Label1", "Frame2", kPlace, 10, "Data Source");
  EXPECT_EQ(label.name(), "Label1");
  EXPECT_EQ(label.container(), "Frame2");
  EXPECT_EQ(label.geometry().left, 10);
  EXPECT_EQ(label.geometry().top, 20);
  EXPECT_EQ(label.geometry().width, 300);
  EXPECT_EQ(label.geometry().height, 40);
  EXPECT_EQ(label.tabIndex(), 10);
  EXPECT_EQ(label.caption(), "Data Source");
  EXPECT_TRUE(label.visible());
  EXPECT_TRUE(label.enabled());
}

TEST(ControlTest, VisibleAndEnabledNotifyOnlyOnChange) {
  Label label("Label1", "", kPlace, 0, "x");
  Counter changed(label.changed());
  label.setVisible(true);
  label.setEnabled(true);
  EXPECT_EQ(changed.count, 0);
  label.setVisible(false);
  EXPECT_EQ(changed.count, 1);
  EXPECT_FALSE(label.visible());
  label.setEnabled(false);
  EXPECT_EQ(changed.count, 2);
  EXPECT_FALSE(label.enabled());
  label.setEnabled(false);
  EXPECT_EQ(changed.count, 2);
}

TEST(ControlTest, GeometryChangeNotifies) {
  ListBox list("lstLog", "", kPlace, 7);
  Counter changed(list.changed());
  list.setGeometry({0, 4560, 10615, 2205});
  EXPECT_EQ(changed.count, 1);
  EXPECT_EQ(list.geometry().width, 10615);
}

TEST(LabelTest, CaptionNotifiesOnlyOnChange) {
  Label label("lblNextRun", "Frame6", kPlace, 50, "Next Run:");
  Counter changed(label.changed());
  label.setCaption("Next Run:");
  EXPECT_EQ(changed.count, 0);
  label.setCaption("12/5/2026 8:20:41 AM");
  EXPECT_EQ(changed.count, 1);
  EXPECT_EQ(label.caption(), "12/5/2026 8:20:41 AM");
}

TEST(CheckBoxTest, StartsUnchecked) {
  CheckBox box("chkArchive", "Frame3", kPlace, 26, "Archive");
  EXPECT_EQ(box.value(), 0);
}

TEST(CheckBoxTest, ClickedRunsOnlyWhenTheValueChanges) {
  CheckBox box("chkDelOldRecs", "Frame3", kPlace, 30, "Delete");
  Counter clicked(box.clicked());
  Counter changed(box.changed());
  std::vector<int> seen;
  box.clicked().connect([&] { seen.push_back(box.value()); });

  box.setValue(0);
  EXPECT_EQ(clicked.count, 0);
  box.setValue(1);
  box.setValue(1);
  box.setValue(2);
  box.setValue(0);
  box.setValue(0);
  EXPECT_EQ(clicked.count, 3);
  EXPECT_EQ(changed.count, 3);
  // The handler sees the new value, as a click handler reading the box would.
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
}

TEST(ButtonTest, ClickRunsTheHandlerOnlyWhileEnabled) {
  Button button("btnTransferData", "", kPlace, 0, "Load Data");
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  button.click();
  EXPECT_EQ(clicks, 1);
  button.setEnabled(false);
  button.click();
  EXPECT_EQ(clicks, 1);
  button.setEnabled(true);
  button.click();
  EXPECT_EQ(clicks, 2);
}

TEST(ButtonTest, ClickWithoutHandlerDoesNothing) {
  Button button("btnHelp", "", kPlace, 5, "Help");
  Counter changed(button.changed());
  button.click();
  EXPECT_EQ(changed.count, 0);
}

TEST(TextBoxTest, TextNotifiesOnlyOnChange) {
  TextBox box("txtAutoRun", "Frame6", kPlace, 47, "5");
  Counter changed(box.changed());
  EXPECT_EQ(box.text(), "5");
  box.setText("5");
  EXPECT_EQ(changed.count, 0);
  box.setText("10");
  EXPECT_EQ(changed.count, 1);
  box.setText("");
  EXPECT_EQ(changed.count, 2);
  EXPECT_EQ(box.text(), "");
}

TEST(TextBoxTest, PasswordCharacter) {
  EXPECT_EQ(TextBox("txtUserId", "Frame2", kPlace, 20).passwordChar(), '\0');
  EXPECT_EQ(TextBox("txtPassword", "Frame2", kPlace, 22, "", '*').passwordChar(), '*');
}

TEST(ComboBoxTest, ItemsAndTypedText) {
  ComboBox combo("cboOleProvider", "Frame2", kPlace, 18, "MSOLEDBSQL.1");
  Counter changed(combo.changed());
  combo.addItem("MSOLEDBSQL");
  combo.addItem("SQLNCLI11");
  EXPECT_EQ(changed.count, 2);
  EXPECT_EQ(combo.items(), (std::vector<std::string>{"MSOLEDBSQL", "SQLNCLI11"}));
  EXPECT_EQ(combo.text(), "MSOLEDBSQL.1");
  combo.setText("SQLite");
  EXPECT_EQ(combo.text(), "SQLite");
}

TEST(ListBoxTest, ItemAddedGivesTheIndexOfEachItem) {
  ListBox list("lstLog", "", kPlace, 7);
  std::vector<std::size_t> added;
  list.itemAdded().connect([&](std::size_t index) {
    added.push_back(index);
    EXPECT_EQ(list.items().size(), index + 1) << "the item is in the list when it is announced";
  });
  list.addItem("first");
  list.addItem("second");
  list.addItem("first");
  EXPECT_EQ(added, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(list.items(), (std::vector<std::string>{"first", "second", "first"}));
}

TEST(TimerTest, StartsDisabledWithoutInterval) {
  Timer timer("Timer1");
  EXPECT_EQ(timer.name(), "Timer1");
  EXPECT_FALSE(timer.enabled());
  EXPECT_EQ(timer.interval(), 0);
}

TEST(TimerTest, TicksOnlyWhileEnabled) {
  Timer timer("Timer1");
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  timer.tick();
  EXPECT_EQ(ticks, 0);
  timer.setEnabled(true);
  timer.tick();
  timer.tick();
  EXPECT_EQ(ticks, 2);
  timer.setEnabled(false);
  timer.tick();
  EXPECT_EQ(ticks, 2);
}

TEST(TimerTest, ChangedRunsOnlyOnChange) {
  Timer timer("Timer1");
  Counter changed(timer.changed());
  timer.setEnabled(false);
  timer.setInterval(0);
  EXPECT_EQ(changed.count, 0);
  timer.setInterval(60000);
  timer.setEnabled(true);
  EXPECT_EQ(changed.count, 2);
  timer.setInterval(60000);
  timer.setEnabled(true);
  EXPECT_EQ(changed.count, 2);
  EXPECT_EQ(timer.interval(), 60000);
}

TEST(TimerTest, TickWithoutHandlerDoesNothing) {
  Timer timer("Timer1");
  timer.setEnabled(true);
  Counter changed(timer.changed());
  timer.tick();
  EXPECT_EQ(changed.count, 0);
}

}  // namespace
}  // namespace csv2sql
