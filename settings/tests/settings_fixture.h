#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "log/messages.h"
#include "log/run_log.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

using UtcRows = std::vector<std::array<std::string, 3>>;

// One window with its controls at their defaults and a message box that records what it is
// shown, in a fresh program folder or in the folder given.
struct SettingsWindow {
  SettingsWindow() = default;
  explicit SettingsWindow(const std::filesystem::path& folder) {
    test.session.programFolder = folder;
  }

  FrmMain& form() { return test.session.frmMain; }
  std::filesystem::path iniPath() const { return settingsPath(test.session); }
  void load() { GetIniInfo(test.session, messages); }
  void save() { btnSaveSettings_Click(test.session, messages); }

  // The prompts of every box shown so far.
  std::vector<std::string> prompts() const {
    std::vector<std::string> result;
    for (const auto& request : test.messageBox.shown) result.push_back(request.prompt);
    return result;
  }

  // The cells of spUTC's rows 1 to its row count.
  UtcRows utcRows() {
    UtcRows rows;
    const Grid& grid = form().spUTC;
    for (std::int32_t row = 1; row <= grid.rowCount(); ++row) {
      rows.push_back({std::string(grid.cell(row, 1)), std::string(grid.cell(row, 2)),
                      std::string(grid.cell(row, 3))});
    }
    return rows;
  }

  TestSession test;
  RunLog log{test.session};
  Messages messages{test.session, log};
};

class SettingsTest : public ::testing::Test {
 protected:
  FrmMain& form() { return window_.form(); }
  std::filesystem::path iniPath() const { return window_.iniPath(); }
  const std::filesystem::path& folder() const { return window_.test.session.programFolder; }
  void writeIni(const std::string& bytes) { writeFile(iniPath(), bytes); }
  void load() { window_.load(); }
  void save() { window_.save(); }
  std::vector<std::string> prompts() const { return window_.prompts(); }
  const std::vector<MessageBoxRequest>& boxes() const { return window_.test.messageBox.shown; }
  UtcRows utcRows() { return window_.utcRows(); }

  SettingsWindow window_;
};

// The settings controls by name.
inline const std::vector<std::string>& settingsControls() {
  static const std::vector<std::string> names = {
      "txtSourceCSV",     "chkDelOldRecs",        "txtDeleteDays",     "chkArchive",
      "txtArchiveFolder", "txtConnectionTimeout", "txtCommandTimeout", "cboOleProvider",
      "txtDataSource",    "txtInitialCat",        "txtUserId",         "txtPassword",
      "txtDestTable",     "txtHeaderRows",        "txtColDateTime",    "txtColTag",
      "txtColValue",      "chkUtcOffset",         "chkAutoRun",        "txtAutoRun",
      "txtDestCnn",       "txtErrorFolder"};
  return names;
}

// A settings control's state as text: a text box's text, a check box's value.
inline std::string controlState(const FrmMain& form, const std::string& name) {
  const Control* control = form.find(name);
  if (const auto* box = dynamic_cast<const CheckBox*>(control)) return std::to_string(box->value());
  if (const auto* text = dynamic_cast<const TextBox*>(control)) return text->text();
  ADD_FAILURE() << "no settings control " << name;
  return {};
}

}  // namespace csv2sql::testing
