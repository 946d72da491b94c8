#pragma once

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/grid.h"

namespace csv2sql {

// The one window's model: every control with its caption, place (twips) and tab position. The
// setting controls show a copy of Settings (app/settings_binder.h), read back when a run, a
// save or a test of the connection needs them.
class FrmMain {
 public:
  FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  static constexpr const char* kCaption = "R27731 CSV to SQL Util";
  static constexpr int kClientWidth = 14130;  // twips
  static constexpr int kClientHeight = 8265;  // twips

  // Window.
  Button btnTransferData;
  Button btnSaveSettings;
  Button btnHelp;
  // What the next run would read from its first file, with the settings shown, in a box.
  Button btnPreview;
  Label Label10;
  TextBox txtSourceCSV;
  Frame Frame2;
  Frame Frame3;
  Frame Frame6;
  Frame Frame4;
  Frame Frame5;
  Frame frameUnattended;
  Frame frameExports;
  ListBox lstLog;
  Grid sp;
  TextBox txtDestCnn;
  Timer Timer1;
  // The run's progress: file k of n, rows read, rows per second.
  Label lblProgress;

  // Frame2, "DB Connection".
  Label Label1;
  TextBox txtDataSource;
  Label Label7;
  TextBox txtInitialCat;
  Label Label2;
  ComboBox cboOleProvider;
  Label Label15;
  TextBox txtDestTable;
  Label Label16;
  TextBox txtLedgerTable;
  Label Label3;
  TextBox txtUserId;
  Label Label6;
  TextBox txtPassword;
  Label Label4;
  TextBox txtConnectionTimeout;
  Label Label5;
  TextBox txtCommandTimeout;
  Button btnConnectDest;

  // Frame3, "Archive Options".
  CheckBox chkArchive;
  CheckBox chkDelOldRecs;
  TextBox txtDeleteDays;
  Label Label8;
  TextBox txtArchiveFolder;
  Label lblErrorFolder;
  TextBox txtErrorFolder;

  // Frame6, "Automatic Run Frequency".
  CheckBox chkAutoRun;
  TextBox txtAutoRun;
  Button btnStartAutoRun;
  Label lblNextRun;
  Button btnStopAutorun;

  // frameUnattended, "Unattended".
  Label lblRejectLimit;
  TextBox txtRejectLimit;
  Label lblRetryMinutes;
  TextBox txtRetryMinutes;
  Label lblKeepDays;
  TextBox txtKeepDays;
  Label lblSettleSeconds;
  TextBox txtSettleSeconds;

  // frameExports, "Reading Exports".
  Label lblDelimiter;
  TextBox txtDelimiter;
  Label lblDecimalMark;
  ComboBox cboDecimalMark;
  Label lblQuotes;
  ComboBox cboQuotes;
  Label lblLayout;
  ComboBox cboLayout;
  Label lblFiles;
  TextBox txtFiles;
  Label lblDateFormat;
  ComboBox cboDateFormat;
  Label lblDateOrder;
  ComboBox cboDateOrder;
  // The order an all-numeric date is read in while the date order is empty: the system's.
  Label lblSystemDateOrder;
  Label lblColTime;
  TextBox txtColTime;

  // Frame4, "File Map".
  Label Label11;
  TextBox txtHeaderRows;
  Label Label9;
  TextBox txtColDateTime;
  Label Label12;
  TextBox txtColTag;
  Label Label13;
  TextBox txtColValue;

  // Frame5, "DateTime".
  CheckBox chkUtcOffset;
  Grid spUTC;
  // A time-zone name (and optionally the first and last year) that btnFillUtc fills spUTC from.
  TextBox txtUtcZone;
  Button btnFillUtc;

  // Every control of the window except the timer, frames before the controls they hold.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* find(const std::string& name) const;

 private:
  std::vector<Control*> controls_;
};

}  // namespace csv2sql
