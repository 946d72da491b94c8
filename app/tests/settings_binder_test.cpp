#include "app/settings_binder.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/setting_keys.h"

namespace csv2sql::testing {
namespace {

// Every field off its default, each with a text of its own.
Settings everyFieldSet() {
  Settings settings;
  int number = 0;
  for (const SettingKey& key : settingKeys()) {
    const bool flag = std::holds_alternative<bool Settings::*>(key.field);
    setFieldText(settings, key.field, flag ? "YES" : std::to_string(++number) + " x ");
  }
  settings.autoRun = true;
  settings.utc = {{"a", "b", "c"}, {"", "", ""}, {"d", "", "f"}};
  return settings;
}

TEST(SettingsBinder, ShowsEveryFieldAndReadsBackTheSameValue) {
  FrmMain form;
  const Settings settings = everyFieldSet();
  showSettings(form, settings);
  EXPECT_EQ(readSettings(form), settings);
  showSettings(form, Settings());
  EXPECT_EQ(readSettings(form), Settings());
}

// A control left out of the bindings would keep an edit out of the run and the saved file.
TEST(SettingsBinder, EveryTextAndCheckBoxOfTheWindowShowsASetting) {
  FrmMain form;
  showSettings(form, everyFieldSet());
  for (const Control* control : form.controls()) {
    if (const auto* box = dynamic_cast<const CheckBox*>(control)) {
      EXPECT_EQ(box->value(), 1) << box->name();
    } else if (const auto* text = dynamic_cast<const TextBox*>(control)) {
      // The zone box only says what "Fill" fills the offset table from.
      const bool setting = text->name() != "txtUtcZone";
      EXPECT_EQ(text->text().empty(), !setting) << text->name();
    }
  }
  EXPECT_EQ(form.spUTC.rowCount(), 3);
}

// An operator's edits: a grayed check box counts as checked, and trailing empty rows of the
// offset table are no rows.
TEST(SettingsBinder, ReadsTheOperatorsEdits) {
  FrmMain form;
  showSettings(form, Settings());
  form.chkUtcOffset.setValue(2);
  form.txtSourceCSV.setText(" in ");
  form.spUTC.setCell(2, 3, "1");
  form.spUTC.setCell(4, 1, "");
  const Settings read = readSettings(form);
  EXPECT_TRUE(read.utcOffset);
  EXPECT_EQ(read.csvFolder, " in ");
  EXPECT_EQ(read.utc, (UtcRows{{}, {"", "", "1"}}));
}

TEST(SettingsBinder, ACheckBoxThatChangesRunsItsClickHandlers) {
  FrmMain form;
  int clicks = 0;
  form.chkDelOldRecs.clicked().connect([&] { ++clicks; });
  Settings settings;
  settings.deleteOldRecords = true;
  showSettings(form, settings);
  showSettings(form, settings);
  EXPECT_EQ(clicks, 1);  // setting the value it holds runs nothing
}

}  // namespace
}  // namespace csv2sql::testing
