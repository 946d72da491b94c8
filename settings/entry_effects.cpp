#include "settings/entry_effects.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

constexpr const char* kDefaultPassword = "mepla";
constexpr const char* kDefaultAutoRunMinutes = "5";

std::string trimmed(std::string_view value) {
  return std::string(trimSpaces(value));
}

void setDeleteOldRecords(FrmMain& form, std::int16_t days) {
  form.chkDelOldRecs.setValue(days > 0 ? 1 : 0);
  form.txtDeleteDays.setText(days > 0 ? std::to_string(days) : std::string());
}

void deleteOldRecords(FrmMain& form, std::string_view value) {
  setDeleteOldRecords(form, isNumeric(value) ? toInt16(value) : 0);
}

void deleteRecordDays(FrmMain& form, std::string_view value) {
  if (!isNumeric(value) || toInt16(value) < 1) return;
  form.chkDelOldRecs.setValue(1);
  form.txtDeleteDays.setText(trimmed(value));
}

void autoRunEvery(FrmMain& form, std::string_view value) {
  const bool on = toInt16(value) >= 1;
  form.chkAutoRun.setValue(on ? 1 : 0);
  form.txtAutoRun.setText(on ? std::string(value) : kDefaultAutoRunMinutes);
}

void archiveFiles(FrmMain& form, std::string_view value) {
  if (trimSpaces(value) == "YES") form.chkArchive.setValue(1);
}

void utcOffset(FrmMain& form, std::string_view value) {
  form.chkUtcOffset.setValue(value == "YES" ? 1 : 0);
}

void password(FrmMain& form, std::string_view value) {
  const auto text = trimSpaces(value);
  form.txtPassword.setText(text.empty() ? kDefaultPassword : std::string(text));
}

// The next row of the offset table from Start "::" End "::" Offset. An empty value has no
// parts at all; parts after the third are ignored.
void utcRow(FrmMain& form, std::string_view value) {
  Grid& grid = form.spUTC;
  if (grid.row() == std::numeric_limits<std::int32_t>::max()) throw Error(err::Overflow);
  grid.setRow(grid.row() + 1);
  bool partLeft = !value.empty();
  for (std::int32_t column = 1; column <= 3; ++column) {
    if (!partLeft) throw Error(err::SubscriptOutOfRange);
    const auto separator = value.find("::");
    grid.setCol(column);
    grid.setText(std::string(value.substr(0, separator)));
    partLeft = separator != std::string_view::npos;
    if (partLeft) value.remove_prefix(separator + 2);
  }
}

// Controls of either text kind (text box, drop-down box) that take the trimmed value.
template <auto control>
void setTrimmed(FrmMain& form, std::string_view value) {
  (form.*control).setText(trimmed(value));
}

struct KeyEffect {
  std::string_view key;
  void (*apply)(FrmMain&, std::string_view);
};

// Compared in this order; the first key that matches applies.
constexpr std::array<KeyEffect, 22> kKeyEffects{{
    {"CSVFOLDER", setTrimmed<&FrmMain::txtSourceCSV>},
    {"DELOLDRECS", deleteOldRecords},
    {"DELRECDAYS", deleteRecordDays},
    {"ARCHIVEFILES", archiveFiles},
    {"ARCHIVEFOLDER", setTrimmed<&FrmMain::txtArchiveFolder>},
    {"CNN_CONNECTION_TIMEOUT", setTrimmed<&FrmMain::txtConnectionTimeout>},
    {"CNN_COMMAND_TIMEOUT", setTrimmed<&FrmMain::txtCommandTimeout>},
    {"CNN_PROVIDER", setTrimmed<&FrmMain::cboOleProvider>},
    {"CNN_DATASOURCE", setTrimmed<&FrmMain::txtDataSource>},
    {"CNN_INITIALCATALOG", setTrimmed<&FrmMain::txtInitialCat>},
    {"CNN_USERID", setTrimmed<&FrmMain::txtUserId>},
    {"CNN_PASSWORD", password},
    {"HEADERROWS", setTrimmed<&FrmMain::txtHeaderRows>},
    {"COLDATETIME", setTrimmed<&FrmMain::txtColDateTime>},
    {"COLTAG", setTrimmed<&FrmMain::txtColTag>},
    {"COLVALUE", setTrimmed<&FrmMain::txtColValue>},
    {"UTCOFFSET", utcOffset},
    {"DESTTABLE", setTrimmed<&FrmMain::txtDestTable>},
    {"AUTORUNEVERY", autoRunEvery},
    {"UTC", utcRow},
    {"LEDGERTABLE", setTrimmed<&FrmMain::txtLedgerTable>},
    {"ERRORFOLDER", setTrimmed<&FrmMain::txtErrorFolder>},
}};

}  // namespace

void applyEntry(FrmMain& form, const IniEntry& entry) {
  for (const KeyEffect& effect : kKeyEffects) {
    if (keyMatches(entry.key, effect.key)) {
      effect.apply(form, entry.value);
      return;
    }
  }
}

}  // namespace csv2sql
