#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "log/messages.h"
#include "log/run_log.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// Settings controls by name and their state as text: a text box's text, a check box's value,
// the offset table's rows.
using States = std::map<std::string, std::string>;

// "name=state|name=state": settings controls by name and their states; "" gives none.
inline States statesOf(const std::string& text) {
  States states;
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('|', start), text.size());
    const std::string part = text.substr(start, end - start);
    states[part.substr(0, part.find('='))] = part.substr(part.find('=') + 1);
  }
  return states;
}

// What error 75 adds for a folder opened as a file: POSIX says why; Windows only denies access.
inline std::string folderOpenedAsFile() {
#ifdef _WIN32
  return "";
#else
  return ": " + std::make_error_code(std::errc::is_a_directory).message();
#endif
}

// One window with its controls at their defaults and a message box that records what it is
// shown, in a fresh program folder. Every text and check box of the window is a setting.
struct SettingsWindow {
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
    for (const Control* control : form().controls()) {
      if (const auto* box = dynamic_cast<const CheckBox*>(control)) {
        result[box->name()] = std::to_string(box->value());
      } else if (const auto* text = dynamic_cast<const TextBox*>(control)) {
        result[text->name()] = text->text();
      }
    }
    const Grid& utc = form().spUTC;  // "start::end::offset;..." from row 1
    for (std::int32_t row = 1; row <= utc.rowCount(); ++row) {
      (result["spUTC"] += row > 1 ? ";" : "").append(utc.cell(row, 1)).append("::");
      result["spUTC"].append(utc.cell(row, 2)).append("::").append(utc.cell(row, 3));
    }
    return result;
  }

  void set(const std::string& states) { setControls(form(), states, {}); }

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

}  // namespace csv2sql::testing
