#include "app/settings_binder.h"

#include <array>
#include <string_view>

#include "settings/setting_keys.h"

namespace csv2sql {

namespace {

// Each text box or drop-down of a setting, by its control's name, and the field it shows.
struct TextBinding {
  std::string_view control;
  SettingField field;
};

struct CheckBinding {
  std::string_view control;
  bool Settings::*field;
};

using S = Settings;

constexpr std::array<TextBinding, 31> kTextBindings{{
    {"txtSourceCSV", &S::csvFolder},
    {"txtDeleteDays", &S::deleteDays},
    {"txtArchiveFolder", &S::archiveFolder},
    {"txtErrorFolder", &S::errorFolder},
    {"cboOleProvider", &S::provider},
    {"txtDataSource", &S::dataSource},
    {"txtInitialCat", &S::initialCatalog},
    {"txtUserId", &S::userId},
    {"txtPassword", &S::password},
    {"txtConnectionTimeout", &S::connectionTimeout},
    {"txtCommandTimeout", &S::commandTimeout},
    {"txtDestTable", &S::destTable},
    {"txtLedgerTable", &S::ledgerTable},
    {"txtDestCnn", &S::destCnn},
    {"txtHeaderRows", &S::headerRows},
    {"txtColDateTime", &S::colDateTime},
    {"txtColTag", &S::colTag},
    {"txtColValue", &S::colValue},
    {"txtAutoRun", &S::autoRunMinutes},
    {"txtRejectLimit", &S::rejectLimit},
    {"txtRetryMinutes", &S::retryMinutes},
    {"txtKeepDays", &S::keepDays},
    {"txtSettleSeconds", &S::settleSeconds},
    {"txtDelimiter", &S::delimiter},
    {"cboDecimalMark", &S::decimalMark},
    {"cboQuotes", &S::quotes},
    {"cboDateFormat", &S::dateFormat},
    {"cboDateOrder", &S::dateOrder},
    {"txtColTime", &S::colTime},
    {"cboLayout", &S::layout},
    {"txtFiles", &S::files},
}};

constexpr std::array<CheckBinding, 4> kCheckBindings{{
    {"chkDelOldRecs", &S::deleteOldRecords},
    {"chkArchive", &S::archive},
    {"chkUtcOffset", &S::utcOffset},
    {"chkAutoRun", &S::autoRun},
}};

enum UtcColumn { kStart = 1, kEnd = 2, kOffset = 3 };

// The bindings name controls of FrmMain; the window tests find each of them by name.
template <typename Box>
Box& control(const FrmMain& form, std::string_view name) {
  return dynamic_cast<Box&>(*form.find(std::string(name)));
}

}  // namespace

void showSettings(FrmMain& form, const Settings& settings) {
  for (const TextBinding& binding : kTextBindings) {
    control<TextBox>(form, binding.control).setText(fieldText(settings, binding.field));
  }
  for (const CheckBinding& binding : kCheckBindings) {
    control<CheckBox>(form, binding.control).setValue(settings.*binding.field ? 1 : 0);
  }
  showUtcRows(form.spUTC, settings.utc);
}

Settings readSettings(const FrmMain& form) {
  Settings settings;
  for (const TextBinding& binding : kTextBindings) {
    setFieldText(settings, binding.field, control<TextBox>(form, binding.control).text());
  }
  for (const CheckBinding& binding : kCheckBindings) {
    settings.*binding.field = control<CheckBox>(form, binding.control).value() != 0;
  }
  const Grid& grid = form.spUTC;
  for (std::int32_t row = 1; row <= grid.rowCount(); ++row) {
    settings.utc.push_back({std::string(grid.cell(row, kStart)), std::string(grid.cell(row, kEnd)),
                            std::string(grid.cell(row, kOffset))});
  }
  return settings;
}

void showUtcRows(Grid& spUTC, const UtcRows& rows) {
  spUTC.clear();
  std::int32_t row = 0;
  for (const UtcRow& cells : rows) {
    ++row;
    spUTC.setCell(row, kStart, cells.start);
    spUTC.setCell(row, kEnd, cells.end);
    spUTC.setCell(row, kOffset, cells.offset);
  }
}

}  // namespace csv2sql
