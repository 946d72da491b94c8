#include "app/frm_main.h"

#include <string>

namespace csv2sql {

namespace {
const std::string kWindow;
const std::string kDbConnection = "Frame2";
const std::string kArchive = "Frame3";
const std::string kAutoRun = "Frame6";
const std::string kFileMap = "Frame4";
const std::string kDateTime = "Frame5";
const std::string kUnattended = "frameUnattended";
const std::string kExports = "frameExports";
}  // namespace

FrmMain::FrmMain()
    : btnTransferData("btnTransferData", kWindow, {0, 0, 1575, 375}, 0, "Load Data"),
      btnSaveSettings("btnSaveSettings", kWindow, {2040, 0, 1335, 375}, 3, "Save Settings"),
      btnHelp("btnHelp", kWindow, {3600, 0, 1095, 375}, 5, "Help"),
      btnPreview("btnPreview", kWindow, {8040, 585, 975, 315}, 67, "Preview"),
      Label10("Label10", kWindow, {120, 600, 1455, 255}, 1, "CSV Folder"),
      txtSourceCSV("txtSourceCSV", kWindow, {1800, 600, 6135, 285}, 2),
      Frame2("Frame2", kWindow, {120, 960, 9135, 1815}, 9, "DB Connection"),
      Frame3("Frame3", kWindow, {120, 2880, 9135, 975}, 25, "Archive Options"),
      Frame6("Frame6", kWindow, {120, 3840, 9135, 735}, 45, "Automatic Run Frequency"),
      Frame4("Frame4", kWindow, {9360, 120, 4695, 1935}, 31, "File Map"),
      Frame5("Frame5", kWindow, {9360, 2040, 4695, 2535}, 40, "DateTime"),
      frameUnattended("frameUnattended", kWindow, {120, 4560, 13935, 495}, 58, "Unattended"),
      frameExports("frameExports", kWindow, {120, 5040, 13935, 855}, 67, "Reading Exports"),
      lstLog("lstLog", kWindow, {0, 5880, 9615, 2205}, 7),
      sp("sp", kWindow, {9720, 4800, 3375, 1455}, 8),
      txtDestCnn("txtDestCnn", kWindow, {5640, 3000, 4695, 285}, 6),
      Timer1("Timer1"),
      lblProgress("lblProgress", kWindow, {4800, 60, 4455, 255}, 51, ""),
      Label1("Label1", kDbConnection, {120, 360, 1215, 255}, 10, "Data Source"),
      txtDataSource("txtDataSource", kDbConnection, {1560, 360, 3495, 285}, 11),
      Label7("Label7", kDbConnection, {5400, 360, 1095, 255}, 23, "Initial Catalog"),
      txtInitialCat("txtInitialCat", kDbConnection, {6480, 360, 2415, 285}, 24),
      Label2("Label2", kDbConnection, {120, 720, 1455, 255}, 17, "OLE DB Provider"),
      cboOleProvider("cboOleProvider", kDbConnection, {1560, 720, 2295, 315}, 18),
      Label15("Label15", kDbConnection, {5040, 720, 1335, 255}, 43, "Destination Table"),
      txtDestTable("txtDestTable", kDbConnection, {6480, 720, 1215, 285}, 44),
      Label16("Label16", kDbConnection, {7740, 720, 615, 255}, 54, "Ledger"),
      txtLedgerTable("txtLedgerTable", kDbConnection, {8355, 720, 660, 285}, 55),
      Label3("Label3", kDbConnection, {120, 1080, 1455, 255}, 19, "UserId"),
      txtUserId("txtUserId", kDbConnection, {1560, 1080, 1695, 285}, 20),
      Label6("Label6", kDbConnection, {4080, 1080, 1335, 255}, 21, "Password"),
      txtPassword("txtPassword", kDbConnection, {5160, 1080, 2295, 285}, 22, "", '*'),
      Label4("Label4", kDbConnection, {120, 1440, 1575, 255}, 15, "Connection Timeout"),
      txtConnectionTimeout("txtConnectionTimeout", kDbConnection, {1800, 1440, 975, 285}, 13),
      Label5("Label5", kDbConnection, {3480, 1440, 1575, 255}, 14, "Command Timeout"),
      txtCommandTimeout("txtCommandTimeout", kDbConnection, {5160, 1440, 975, 285}, 12),
      btnConnectDest("btnConnectDest", kDbConnection, {7680, 1320, 855, 375}, 16, "Test"),
      chkArchive("chkArchive", kArchive, {480, 240, 3495, 255}, 26,
                 "Move file to Arcive folder after processing"),
      chkDelOldRecs("chkDelOldRecs", kArchive, {5160, 240, 3615, 255}, 30,
                    "Delete Records Older Than" + std::string(20, ' ') + "Days"),
      txtDeleteDays("txtDeleteDays", kArchive, {7440, 240, 735, 285}, 29),
      Label8("Label8", kArchive, {360, 600, 1455, 255}, 27, "Archive Folder"),
      txtArchiveFolder("txtArchiveFolder", kArchive, {1560, 600, 3615, 285}, 28),
      lblErrorFolder("lblErrorFolder", kArchive, {5280, 600, 1095, 255}, 56, "Error Folder"),
      txtErrorFolder("txtErrorFolder", kArchive, {6360, 600, 2535, 285}, 57),
      chkAutoRun("chkAutoRun", kAutoRun, {480, 300, 2895, 255}, 46,
                 "Run Every" + std::string(18, ' ') + "minutes"),
      txtAutoRun("txtAutoRun", kAutoRun, {1600, 280, 615, 285}, 47),
      btnStartAutoRun("btnStartAutoRun", kAutoRun, {3480, 240, 1215, 375}, 48, "Start Autorun"),
      lblNextRun("lblNextRun", kAutoRun, {4800, 300, 2655, 255}, 50, "Next Run:"),
      btnStopAutorun("btnStopAutorun", kAutoRun, {7680, 240, 1215, 375}, 49, "Stop Autorun"),
      lblRejectLimit("lblRejectLimit", kUnattended, {240, 180, 1095, 255}, 59, "Reject Limit"),
      txtRejectLimit("txtRejectLimit", kUnattended, {1380, 165, 855, 285}, 60),
      lblRetryMinutes("lblRetryMinutes", kUnattended, {2520, 180, 1815, 255}, 61,
                      "Retry After (minutes)"),
      txtRetryMinutes("txtRetryMinutes", kUnattended, {4380, 165, 615, 285}, 62),
      lblKeepDays("lblKeepDays", kUnattended, {5280, 180, 1575, 255}, 63, "Keep Files (days)"),
      txtKeepDays("txtKeepDays", kUnattended, {6900, 165, 615, 285}, 64),
      lblSettleSeconds("lblSettleSeconds", kUnattended, {7800, 180, 2055, 255}, 65,
                       "Unchanged For (seconds)"),
      txtSettleSeconds("txtSettleSeconds", kUnattended, {9900, 165, 615, 285}, 66),
      lblDelimiter("lblDelimiter", kExports, {240, 180, 855, 255}, 68, "Delimiter"),
      txtDelimiter("txtDelimiter", kExports, {1140, 165, 495, 285}, 69),
      lblDecimalMark("lblDecimalMark", kExports, {1860, 180, 1215, 255}, 70, "Decimal Mark"),
      cboDecimalMark("cboDecimalMark", kExports, {3120, 165, 615, 315}, 71),
      lblQuotes("lblQuotes", kExports, {3960, 180, 615, 255}, 72, "Quotes"),
      cboQuotes("cboQuotes", kExports, {4620, 165, 735, 315}, 73),
      lblLayout("lblLayout", kExports, {5580, 180, 615, 255}, 74, "Layout"),
      cboLayout("cboLayout", kExports, {6240, 165, 855, 315}, 75),
      lblFiles("lblFiles", kExports, {7320, 180, 495, 255}, 76, "Files"),
      txtFiles("txtFiles", kExports, {7860, 165, 2535, 285}, 77),
      lblDateFormat("lblDateFormat", kExports, {240, 540, 1095, 255}, 78, "Date Format"),
      cboDateFormat("cboDateFormat", kExports, {1380, 525, 2535, 315}, 79),
      lblDateOrder("lblDateOrder", kExports, {4140, 540, 975, 255}, 80, "Date Order"),
      cboDateOrder("cboDateOrder", kExports, {5160, 525, 735, 315}, 81),
      lblSystemDateOrder("lblSystemDateOrder", kExports, {6000, 540, 2175, 255}, 82, ""),
      lblColTime("lblColTime", kExports, {8340, 540, 1455, 255}, 83, "Time Column #"),
      txtColTime("txtColTime", kExports, {9840, 525, 615, 285}, 84),
      Label11("Label11", kFileMap, {240, 360, 1575, 255}, 34, "Header Rows"),
      txtHeaderRows("txtHeaderRows", kFileMap, {2040, 360, 1095, 285}, 35),
      Label9("Label9", kFileMap, {240, 720, 1575, 255}, 32, "Date/Time Column #"),
      txtColDateTime("txtColDateTime", kFileMap, {2040, 720, 1095, 285}, 33),
      Label12("Label12", kFileMap, {240, 1080, 1575, 255}, 36, "Tag Column #"),
      txtColTag("txtColTag", kFileMap, {2040, 1080, 1095, 285}, 37),
      Label13("Label13", kFileMap, {240, 1440, 1575, 255}, 38, "Value Column #"),
      txtColValue("txtColValue", kFileMap, {2040, 1440, 1095, 285}, 39),
      chkUtcOffset("chkUtcOffset", kDateTime, {240, 240, 3255, 255}, 41,
                   "Convert UTC times to Local"),
      spUTC("spUTC", kDateTime, {120, 480, 4455, 1935}, 42, {"Start", "End", "Offset"}),
      txtUtcZone("txtUtcZone", kDateTime, {2640, 195, 1215, 285}, 52),
      btnFillUtc("btnFillUtc", kDateTime, {3900, 195, 675, 285}, 53, "Fill") {
  sp.setVisible(false);
  txtDestCnn.setVisible(false);
  controls_ = {&Frame2,
               &Frame3,
               &Frame6,
               &Frame4,
               &Frame5,
               &btnTransferData,
               &btnSaveSettings,
               &btnHelp,
               &Label10,
               &txtSourceCSV,
               &lstLog,
               &sp,
               &txtDestCnn,
               &Label1,
               &txtDataSource,
               &Label7,
               &txtInitialCat,
               &Label2,
               &cboOleProvider,
               &Label15,
               &txtDestTable,
               &Label3,
               &txtUserId,
               &Label6,
               &txtPassword,
               &Label4,
               &txtConnectionTimeout,
               &Label5,
               &txtCommandTimeout,
               &btnConnectDest,
               &chkArchive,
               &chkDelOldRecs,
               &txtDeleteDays,
               &Label8,
               &txtArchiveFolder,
               &chkAutoRun,
               &txtAutoRun,
               &btnStartAutoRun,
               &lblNextRun,
               &btnStopAutorun,
               &Label11,
               &txtHeaderRows,
               &Label9,
               &txtColDateTime,
               &Label12,
               &txtColTag,
               &Label13,
               &txtColValue,
               &chkUtcOffset,
               &spUTC};
  controls_.insert(
      controls_.end(),
      {&lblProgress,      &txtUtcZone,         &btnFillUtc,      &Label16,        &txtLedgerTable,
       &lblErrorFolder,   &txtErrorFolder,     &frameUnattended, &lblRejectLimit, &txtRejectLimit,
       &lblRetryMinutes,  &txtRetryMinutes,    &lblKeepDays,     &txtKeepDays,    &lblSettleSeconds,
       &txtSettleSeconds, &frameExports,       &lblDelimiter,    &txtDelimiter,   &lblDecimalMark,
       &cboDecimalMark,   &lblQuotes,          &cboQuotes,       &lblLayout,      &cboLayout,
       &lblFiles,         &txtFiles,           &lblDateFormat,   &cboDateFormat,  &lblDateOrder,
       &cboDateOrder,     &lblSystemDateOrder, &lblColTime,      &txtColTime});
  controls_.push_back(&btnPreview);
  for (const char* mark : {".", ","}) cboDecimalMark.addItem(mark);
  for (const char* answer : {"NO", "YES"}) cboQuotes.addItem(answer);
  for (const char* layout : {"LONG", "WIDE"}) cboLayout.addItem(layout);
  for (const char* format : {"ISO", "UNIX", "UNIXMS", "EXCEL", "dd.mm.yyyy hh:nn:ss"}) {
    cboDateFormat.addItem(format);
  }
  for (const char* order : {"DMY", "MDY", "YMD"}) cboDateOrder.addItem(order);
}

Control* FrmMain::find(const std::string& name) const {
  for (Control* control : controls_) {
    if (control->name() == name) return control;
  }
  return nullptr;
}

}  // namespace csv2sql
