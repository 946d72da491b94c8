#include "settings/settings_text.h"

#include <cstdint>
#include <string_view>

#include "core/text.h"
#include "settings/ini_entry.h"

namespace csv2sql {

namespace {

bool isOn(const CheckBox& box) {
  return box.value() != 0;
}

std::string yesNo(const CheckBox& box) {
  return isOn(box) ? "YES" : "NO";
}

// The days for DELOLDRECS: the days text as a whole number while deletion is on, else -1.
std::string deleteDays(const FrmMain& form) {
  const std::string& days = form.txtDeleteDays.text();
  if (!isOn(form.chkDelOldRecs) || !isNumeric(days)) return "-1";
  return std::to_string(toInt16(days));
}

std::string utcValue(const Grid& grid, std::int32_t row) {
  std::string value(grid.cell(row, 1));
  value.append("::").append(grid.cell(row, 2)).append("::").append(grid.cell(row, 3));
  return value;
}

void addLine(std::string& text, std::string_view key, std::string_view value) {
  text.append(entryLine(key, value)).append("\r\n");
}

}  // namespace

std::string settingsFileText(const FrmMain& form) {
  std::string text;
  addLine(text, "CSVFOLDER", form.txtSourceCSV.text());
  addLine(text, "DELOLDRECS", deleteDays(form));
  addLine(text, "ARCHIVEFILES", yesNo(form.chkArchive));
  addLine(text, "ARCHIVEFOLDER", isOn(form.chkArchive) ? form.txtArchiveFolder.text() : "");
  addLine(text, "CNN_COMMAND_TIMEOUT", form.txtCommandTimeout.text());
  addLine(text, "CNN_CONNECTION_TIMEOUT", form.txtConnectionTimeout.text());
  addLine(text, "CNN_PROVIDER", form.cboOleProvider.text());
  addLine(text, "CNN_DATASOURCE", form.txtDataSource.text());
  addLine(text, "CNN_INITIALCATALOG", form.txtInitialCat.text());
  addLine(text, "CNN_USERID", form.txtUserId.text());
  addLine(text, "CNN_PASSWORD", trimSpaces(form.txtPassword.text()));
  addLine(text, "DESTTABLE", form.txtDestTable.text());
  addLine(text, "DELRECDAYS", form.txtDeleteDays.text());
  addLine(text, "HEADERROWS", form.txtHeaderRows.text());
  addLine(text, "COLDATETIME", form.txtColDateTime.text());
  addLine(text, "COLTAG", form.txtColTag.text());
  addLine(text, "COLVALUE", form.txtColValue.text());
  addLine(text, "UTCOFFSET", yesNo(form.chkUtcOffset));
  text += utcLines(form.spUTC);
  addLine(text, "AUTORUNEVERY", isOn(form.chkAutoRun) ? form.txtAutoRun.text() : "-1");
  addLine(text, "DEST_CNN", form.txtDestCnn.text());
  // Keys newer than the old format follow its lines, only when set, so that a file saved
  // without them is what it always was.
  if (!form.txtLedgerTable.text().empty()) addLine(text, "LEDGERTABLE", form.txtLedgerTable.text());
  if (!form.txtErrorFolder.text().empty()) addLine(text, "ERRORFOLDER", form.txtErrorFolder.text());
  return text;
}

std::string utcLines(const Grid& spUTC) {
  std::string text;
  const std::int32_t rows = spUTC.rowCount();
  for (std::int32_t row = 1; row <= rows; ++row) addLine(text, "UTC", utcValue(spUTC, row));
  return text;
}

}  // namespace csv2sql
