#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "log/messages.h"
#include "log/run_log.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

using UtcRows = std::vector<std::array<std::string, 3>>;
// Settings controls by name and their state as text: a text box's text, a check box's value.
using States = std::map<std::string, std::string>;

// The parts of "a|b|c"; "" gives none.
inline std::vector<std::string> split(const std::string& spec) {
  std::vector<std::string> parts;
  for (std::size_t start = 0, end; start < spec.size(); start = end + 1) {
    end = std::min(spec.find('|', start), spec.size());
    parts.push_back(spec.substr(start, end - start));
  }
  return parts;
}

// "name=state|name=state": settings controls by name and their states.
inline States statesOf(const std::string& spec) {
  States states;
  for (const auto& part : split(spec)) {
    states[part.substr(0, part.find('='))] = part.substr(part.find('=') + 1);
  }
  return states;
}

inline const std::vector<std::string> kSettingsControls = {
    "txtSourceCSV",     "chkDelOldRecs",        "txtDeleteDays",     "chkArchive",
    "txtArchiveFolder", "txtConnectionTimeout", "txtCommandTimeout", "cboOleProvider",
    "txtDataSource",    "txtInitialCat",        "txtUserId",         "txtPassword",
    "txtDestTable",     "txtHeaderRows",        "txtColDateTime",    "txtColTag",
    "txtColValue",      "chkUtcOffset",         "chkAutoRun",        "txtAutoRun",
    "txtDestCnn"};

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

  std::vector<std::string> prompts() const {
    std::vector<std::string> result;
    for (const auto& request : test.messageBox.shown) result.push_back(request.prompt);
    return result;
  }

  States states() {
    States result;
    for (const auto& name : kSettingsControls) {
      const Control* control = form().find(name);
      if (const auto* box = dynamic_cast<const CheckBox*>(control)) {
        result[name] = std::to_string(box->value());
      } else {
        result[name] = dynamic_cast<const TextBox&>(*control).text();
      }
    }
    return result;
  }

  // Sets the controls named and spUTC's rows from row 1.
  void set(const std::string& states, const UtcRows& utc = {}) {
    for (const auto& [name, state] : statesOf(states)) {
      Control* control = form().find(name);
      if (auto* box = dynamic_cast<CheckBox*>(control)) {
        box->setValue(std::stoi(state));
      } else {
        dynamic_cast<TextBox&>(*control).setText(state);
      }
    }
    for (std::size_t row = 0; row < utc.size(); ++row) {
      for (std::size_t column = 0; column < 3; ++column) {
        form().spUTC.setCell(row + 1, column + 1, utc[row][column]);
      }
    }
  }

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

// The default states with the given ones put over them.
inline States defaultsWith(const std::string& changed) {
  States states = SettingsWindow().states();
  for (const auto& [name, state] : statesOf(changed)) states[name] = state;
  return states;
}

class SettingsTest : public ::testing::Test {
 protected:
  const std::filesystem::path& folder() const { return window.test.session.programFolder; }
  void writeIni(const std::string& bytes) { writeFile(window.iniPath(), bytes); }
  std::string readIni() const { return readFile(window.iniPath()); }
  const std::vector<MessageBoxRequest>& boxes() const { return window.test.messageBox.shown; }

  SettingsWindow window;
};

}  // namespace csv2sql::testing
