#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "log/messages.h"
#include "log/run_log.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// Settings by config.ini key and each field as text (settings/setting_keys.h), with "autoRun" for
// the schedule's flag, which AUTORUNEVERY holds together with the minutes.
using States = std::map<std::string, std::string>;

inline constexpr const char* kAutoRun = "autoRun";

inline States statesOf(const Settings& settings) {
  States states;
  for (const SettingKey& key : settingKeys()) {
    states[std::string(key.key)] = fieldText(settings, key.field);
  }
  states[kAutoRun] = settings.autoRun ? "YES" : "NO";
  return states;
}

// "KEY=text|KEY=text": fields and their texts; "" gives none.
inline States statesOf(const std::string& text) {
  States states;
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('|', start), text.size());
    const std::string part = text.substr(start, end - start);
    states[part.substr(0, part.find('='))] = part.substr(part.find('=') + 1);
  }
  return states;
}

// The defaults with the given fields put over them.
inline States defaultsWith(const std::string& changed) {
  States states = statesOf(Settings());
  for (const auto& [key, text] : statesOf(changed)) states[key] = text;
  return states;
}

// Settings with the given fields set to their texts, the others at their defaults.
inline Settings settingsWith(const std::string& fields) {
  Settings settings;
  for (const auto& [name, text] : statesOf(fields)) {
    if (name == kAutoRun) {
      settings.autoRun = text == "YES";
      continue;
    }
    const auto keys = settingKeys();
    const auto key = std::ranges::find(keys, name, &SettingKey::key);
    EXPECT_NE(key, keys.end()) << name;
    if (key != keys.end()) setFieldText(settings, key->field, text);
  }
  return settings;
}

// What error 75 adds for a folder opened as a file: POSIX says why; Windows only denies access.
inline std::string folderOpenedAsFile() {
#ifdef _WIN32
  return "";
#else
  return ": " + std::make_error_code(std::errc::is_a_directory).message();
#endif
}

// config.ini in a fresh program folder, loaded over and saved from settings, with a message box
// that records what it is shown.
struct SettingsFile {
  std::filesystem::path iniPath() const { return settingsPath(test.session); }
  Settings load() {
    Settings settings;
    GetIniInfo(test.session, messages, settings);
    return settings;
  }
  void save(const Settings& settings) { btnSaveSettings_Click(test.session, messages, settings); }
  std::vector<std::string> prompts() const {
    std::vector<std::string> result;
    for (const auto& request : test.messageBox.shown) result.push_back(request.prompt);
    return result;
  }

  TestSession test;
  RunLog log{test.session};
  Messages messages{test.session, log};
};

}  // namespace csv2sql::testing
