#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace csv2sql {

// A whole number as it was typed. The text is kept byte for byte, since config.ini and the window
// show it as typed; the number is read where it is used, so a text that is no number fails that
// step (error 13, or 6 out of range) and nothing before it.
struct NumberSetting {
  std::string text;
  std::int32_t toInt32() const;
  std::int16_t toInt16() const;
  bool operator==(const NumberSetting&) const = default;
};

// One period of the offset table: its start and end (UTC) and the hours local time is ahead, as
// typed; a run converts them when it reads the table.
struct UtcRow {
  std::string start;
  std::string end;
  std::string offset;
  bool operator==(const UtcRow&) const = default;
};
using UtcRows = std::vector<UtcRow>;

// Every setting of the program, as one plain value: config.ini loads into it and saves from it
// through the key table (settings/setting_keys.h), the window shows and edits a copy, and a run
// reads one into its run plan. A value made fresh holds the defaults of the key table.
struct Settings {
  Settings();

  std::filesystem::path csvFolder;  // as typed; a relative one is below the program's folder
  bool deleteOldRecords = false;
  NumberSetting deleteDays;
  bool archive = false;
  std::filesystem::path archiveFolder;
  std::filesystem::path errorFolder;  // empty: a file the database refuses ends the run

  // The connection.
  std::string provider;
  std::string dataSource;
  std::string initialCatalog;
  std::string userId;
  std::string password;
  NumberSetting connectionTimeout;
  NumberSetting commandTimeout;
  std::string destTable;
  std::string ledgerTable;  // empty: no import ledger
  // Saved as the old program saved it, never read.
  std::string destCnn;

  // The file map.
  NumberSetting headerRows;
  NumberSetting colDateTime;
  NumberSetting colTag;
  NumberSetting colValue;

  bool utcOffset = false;
  UtcRows utc;

  // The schedule: automatic runs every autoRunMinutes.
  bool autoRun = false;
  NumberSetting autoRunMinutes;

  // Running unattended; each empty: as the program always did.
  std::string rejectLimit;      // skipped rows a file may have: a count "n" or a share "p%"
  NumberSetting retryMinutes;   // the first retry after a failed automatic run
  NumberSetting keepDays;       // the program's own archived files, logs and rejects kept so long
  NumberSetting settleSeconds;  // how long a file must stay unchanged to be taken (empty: 2)

  // How the files are read; each empty: comma-separated, dot decimals, no quotes, the dates the
  // recognition reads, one reading per line, "*.csv".
  std::string delimiter;    // one character, or "TAB"
  std::string decimalMark;  // "." or ","
  std::string quotes;       // "YES": RFC 4180 quoted fields
  std::string dateFormat;   // a pattern, "ISO", "UNIX", "UNIXMS" or "EXCEL"
  std::string dateOrder;    // "DMY", "MDY" or "YMD" for the recognition
  NumberSetting colTime;    // a separate time-of-day column
  std::string layout;       // "LONG" or "WIDE"
  std::string files;        // name patterns separated by ";"

  bool operator==(const Settings&) const = default;
};

}  // namespace csv2sql
