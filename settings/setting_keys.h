#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/ini_entry.h"
#include "settings/settings.h"

namespace csv2sql {

// A field of Settings, as the key table and the window's binder name it.
using SettingField =
    std::variant<std::string Settings::*, NumberSetting Settings::*,
                 std::filesystem::path Settings::*, bool Settings::*, UtcRows Settings::*>;

// A field as text: a text or number as typed, a folder as its path, a flag as "YES" or "NO", the
// offset table as "start::end::offset" rows joined by ";".
std::string fieldText(const Settings& settings, SettingField field);
// Sets a field from such a text.
void setFieldText(Settings& settings, SettingField field, std::string_view text);

// One key of config.ini: the field it fills, how a value read from the file fills it, which lines
// saving writes from it, and the field's text before anything is loaded.
struct SettingKey {
  std::string_view key;
  SettingField field;
  // value: everything after the first "=", blanks kept. Raises error 13 or 6 for a value that
  // cannot be converted, and 9 for an offset row with fewer than three parts.
  void (*load)(Settings& settings, const SettingKey& key, std::string_view value);
  // Appends the key's lines, each ending with CR LF: none, one, or one per offset row.
  void (*save)(const Settings& settings, const SettingKey& key, std::string& text);
  std::string_view defaultText;
  // A value that is one comma, written bare ("DECIMALMARK=,"): the item reader cuts the entry at
  // that comma, which is then taken as the value.
  bool bareCommaIsValue = false;
};

// Every key, in the order saving writes them: the twenty lines of the old format (the offset rows
// among them), then the newer keys, written only when set so that a file saved without them is
// what it always was.
std::span<const SettingKey> settingKeys();

// Applies one config.ini entry; a key matches whatever its letter case, and an unknown key
// changes nothing.
void applyEntry(Settings& settings, const IniEntry& entry);

// The whole config.ini that saving writes. Raises error 6 when deletion is on and the days are a
// number outside the 16-bit range.
std::string settingsFileText(const Settings& settings);

// The UTC lines of an offset table as config.ini holds them, one per row.
std::string utcLines(const UtcRows& rows);

}  // namespace csv2sql
