#include "settings/setting_keys.h"

#include <array>
#include <cstdint>
#include <type_traits>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

constexpr std::string_view kUtcSeparator = "::";
constexpr char kUtcRowSeparator = ';';

std::string trimmed(std::string_view value) {
  return std::string(trimSpaces(value));
}

// Fills a row's cells from Start "::" End "::" Offset, in order; parts after the third are
// ignored. False when the value has fewer than three parts (an empty value has none).
bool splitUtcValue(std::string_view value, UtcRow& row) {
  bool partLeft = !value.empty();
  for (std::string* cell : {&row.start, &row.end, &row.offset}) {
    if (!partLeft) return false;
    const auto separator = value.find(kUtcSeparator);
    *cell = std::string(value.substr(0, separator));
    partLeft = separator != std::string_view::npos;
    if (partLeft) value.remove_prefix(separator + kUtcSeparator.size());
  }
  return true;
}

std::string utcValue(const UtcRow& row) {
  std::string value = row.start;
  value.append(kUtcSeparator).append(row.end).append(kUtcSeparator).append(row.offset);
  return value;
}

void addLine(std::string& text, std::string_view key, std::string_view value) {
  text.append(entryLine(key, value)).append("\r\n");
}

// Load rules.

void loadTrimmed(Settings& settings, const SettingKey& key, std::string_view value) {
  setFieldText(settings, key.field, trimSpaces(value));
}

// A blank is a delimiter too: the value is kept as it stands.
void loadAsTyped(Settings& settings, const SettingKey& key, std::string_view value) {
  setFieldText(settings, key.field, value);
}

void loadNothing(Settings&, const SettingKey&, std::string_view) {}

void setDeleteOldRecords(Settings& settings, std::int16_t days) {
  settings.deleteOldRecords = days > 0;
  settings.deleteDays.text = days > 0 ? std::to_string(days) : std::string();
}

void loadDeleteOldRecords(Settings& settings, const SettingKey&, std::string_view value) {
  setDeleteOldRecords(settings, isNumeric(value) ? toInt16(value) : 0);
}

// A later DELRECDAYS only turns deletion on, never off.
void loadDeleteRecordDays(Settings& settings, const SettingKey&, std::string_view value) {
  if (!isNumeric(value) || toInt16(value) < 1) return;
  settings.deleteOldRecords = true;
  settings.deleteDays.text = trimmed(value);
}

// Read untrimmed, as the old program read it: the text keeps its blanks.
void loadAutoRunEvery(Settings& settings, const SettingKey& key, std::string_view value) {
  settings.autoRun = toInt16(value) >= 1;
  settings.autoRunMinutes.text = settings.autoRun ? value : key.defaultText;
}

// Only "YES" turns archiving on; any other value leaves it as it was.
void loadYesTrimmed(Settings& settings, const SettingKey& key, std::string_view value) {
  if (trimSpaces(value) == "YES") setFieldText(settings, key.field, "YES");
}

void loadYesExactly(Settings& settings, const SettingKey& key, std::string_view value) {
  setFieldText(settings, key.field, value == "YES" ? "YES" : "NO");
}

// A blank password stands for the old program's built-in one.
void loadPassword(Settings& settings, const SettingKey&, std::string_view value) {
  const std::string_view text = trimSpaces(value);
  settings.password = text.empty() ? "mepla" : std::string(text);
}

// Each UTC line adds the next row of the offset table; a row short of parts keeps the cells
// before the missing one.
void loadUtcRow(Settings& settings, const SettingKey&, std::string_view value) {
  if (value.empty()) throw Error(err::SubscriptOutOfRange);
  UtcRow& row = settings.utc.emplace_back();
  if (!splitUtcValue(value, row)) throw Error(err::SubscriptOutOfRange);
}

// Save rules.

void saveAsTyped(const Settings& settings, const SettingKey& key, std::string& text) {
  addLine(text, key.key, fieldText(settings, key.field));
}

void saveTrimmed(const Settings& settings, const SettingKey& key, std::string& text) {
  addLine(text, key.key, trimSpaces(fieldText(settings, key.field)));
}

void saveWhenSet(const Settings& settings, const SettingKey& key, std::string& text) {
  if (const std::string value = fieldText(settings, key.field); !value.empty()) {
    addLine(text, key.key, value);
  }
}

// The days as a whole number while deletion is on, else -1.
void saveDaysWhenDeleting(const Settings& settings, const SettingKey& key, std::string& text) {
  const std::string& days = settings.deleteDays.text;
  const bool on = settings.deleteOldRecords && isNumeric(days);
  addLine(text, key.key, on ? std::to_string(toInt16(days)) : "-1");
}

void saveFolderWhenArchiving(const Settings& settings, const SettingKey& key, std::string& text) {
  addLine(text, key.key, settings.archive ? fieldText(settings, key.field) : "");
}

void saveMinutesWhenRunning(const Settings& settings, const SettingKey& key, std::string& text) {
  addLine(text, key.key, settings.autoRun ? settings.autoRunMinutes.text : "-1");
}

void saveUtcRows(const Settings& settings, const SettingKey&, std::string& text) {
  text += utcLines(settings.utc);
}

using S = Settings;

constexpr std::array<SettingKey, 35> kKeys{{
    {"CSVFOLDER", &S::csvFolder, loadTrimmed, saveAsTyped, ""},
    {"DELOLDRECS", &S::deleteOldRecords, loadDeleteOldRecords, saveDaysWhenDeleting, "NO"},
    {"ARCHIVEFILES", &S::archive, loadYesTrimmed, saveAsTyped, "NO"},
    {"ARCHIVEFOLDER", &S::archiveFolder, loadTrimmed, saveFolderWhenArchiving, ""},
    {"CNN_COMMAND_TIMEOUT", &S::commandTimeout, loadTrimmed, saveAsTyped, "30"},
    {"CNN_CONNECTION_TIMEOUT", &S::connectionTimeout, loadTrimmed, saveAsTyped, "30"},
    {"CNN_PROVIDER", &S::provider, loadTrimmed, saveAsTyped, "MSOLEDBSQL.1"},
    {"CNN_DATASOURCE", &S::dataSource, loadTrimmed, saveAsTyped, "localhost\\SQLEXPRESS"},
    {"CNN_INITIALCATALOG", &S::initialCatalog, loadTrimmed, saveAsTyped, ""},
    {"CNN_USERID", &S::userId, loadTrimmed, saveAsTyped, ""},
    {"CNN_PASSWORD", &S::password, loadPassword, saveTrimmed, ""},
    {"DESTTABLE", &S::destTable, loadTrimmed, saveAsTyped, "CSVDATA"},
    {"DELRECDAYS", &S::deleteDays, loadDeleteRecordDays, saveAsTyped, ""},
    {"HEADERROWS", &S::headerRows, loadTrimmed, saveAsTyped, "1"},
    {"COLDATETIME", &S::colDateTime, loadTrimmed, saveAsTyped, "1"},
    {"COLTAG", &S::colTag, loadTrimmed, saveAsTyped, "2"},
    {"COLVALUE", &S::colValue, loadTrimmed, saveAsTyped, "3"},
    {"UTCOFFSET", &S::utcOffset, loadYesExactly, saveAsTyped, "NO"},
    {"UTC", &S::utc, loadUtcRow, saveUtcRows, ""},
    {"AUTORUNEVERY", &S::autoRunMinutes, loadAutoRunEvery, saveMinutesWhenRunning, "5"},
    {"DEST_CNN", &S::destCnn, loadNothing, saveAsTyped, ""},
    {"LEDGERTABLE", &S::ledgerTable, loadTrimmed, saveWhenSet, ""},
    {"ERRORFOLDER", &S::errorFolder, loadTrimmed, saveWhenSet, ""},
    {"REJECTLIMIT", &S::rejectLimit, loadTrimmed, saveWhenSet, ""},
    {"RETRYMINUTES", &S::retryMinutes, loadTrimmed, saveWhenSet, ""},
    {"KEEPDAYS", &S::keepDays, loadTrimmed, saveWhenSet, ""},
    {"SETTLESECONDS", &S::settleSeconds, loadTrimmed, saveWhenSet, ""},
    {"DELIMITER", &S::delimiter, loadAsTyped, saveWhenSet, "", true},
    {"DECIMALMARK", &S::decimalMark, loadTrimmed, saveWhenSet, "", true},
    {"QUOTES", &S::quotes, loadTrimmed, saveWhenSet, ""},
    {"DATEFORMAT", &S::dateFormat, loadTrimmed, saveWhenSet, ""},
    {"DATEORDER", &S::dateOrder, loadTrimmed, saveWhenSet, ""},
    {"COLTIME", &S::colTime, loadTrimmed, saveWhenSet, ""},
    {"LAYOUT", &S::layout, loadTrimmed, saveWhenSet, ""},
    {"FILES", &S::files, loadTrimmed, saveWhenSet, ""},
}};

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// Clang 14 deduces no aggregate's template arguments without a guide.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::string fieldText(const Settings& settings, SettingField field) {
  return std::visit(
      Overloaded{
          [&](std::string Settings::*member) { return settings.*member; },
          [&](NumberSetting Settings::*member) { return (settings.*member).text; },
          [&](std::filesystem::path Settings::*member) { return (settings.*member).string(); },
          [&](bool Settings::*member) { return std::string(settings.*member ? "YES" : "NO"); },
          [&](UtcRows Settings::*member) {
            std::string text;
            for (const UtcRow& row : settings.*member) {
              if (!text.empty()) text += kUtcRowSeparator;
              text += utcValue(row);
            }
            return text;
          },
      },
      field);
}

void setFieldText(Settings& settings, SettingField field, std::string_view text) {
  std::visit(Overloaded{
                 [&](std::string Settings::*member) { settings.*member = std::string(text); },
                 [&](NumberSetting Settings::*member) { (settings.*member).text = text; },
                 [&](std::filesystem::path Settings::*member) {
                   settings.*member = std::filesystem::path(std::string(text));
                 },
                 [&](bool Settings::*member) { settings.*member = text == "YES"; },
                 [&](UtcRows Settings::*member) {
                   UtcRows& rows = settings.*member;
                   rows.clear();
                   for (std::size_t start = 0; start < text.size();) {
                     const std::size_t end =
                         std::min(text.find(kUtcRowSeparator, start), text.size());
                     splitUtcValue(text.substr(start, end - start), rows.emplace_back());
                     start = end + 1;
                   }
                 },
             },
             field);
}

std::span<const SettingKey> settingKeys() {
  return kKeys;
}

void applyEntry(Settings& settings, const IniEntry& entry) {
  for (const SettingKey& key : kKeys) {
    if (keyMatches(entry.key, key.key)) {
      const bool bareComma = key.bareCommaIsValue && entry.cutAtComma && entry.value.empty();
      key.load(settings, key, bareComma ? std::string_view(",") : entry.value);
      return;
    }
  }
}

std::string settingsFileText(const Settings& settings) {
  std::string text;
  for (const SettingKey& key : kKeys) key.save(settings, key, text);
  return text;
}

std::string utcLines(const UtcRows& rows) {
  std::string text;
  for (const UtcRow& row : rows) addLine(text, "UTC", utcValue(row));
  return text;
}

}  // namespace csv2sql
