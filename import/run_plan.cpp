#include "import/run_plan.h"

#include <string>
#include <string_view>

#include "core/error.h"
#include "core/text.h"
#include "import/folder_text.h"
#include "import/setting_number.h"

namespace csv2sql {

namespace {

// A number of the file map below its least (a column 0, a header count of -1) would store empty
// tags or skip every row, and the file would be archived: a settings fault, before any file.
std::int32_t layoutNumber(const NumberSetting& setting, std::string_view key,
                          std::string_view caption, std::int32_t least) {
  const std::int32_t number = setting.toInt32();
  if (number < least) {
    throw Error(err::InvalidProcedureCall,
                "Invalid procedure call or argument: " + std::string(key) + " (" +
                    std::string(caption) + ") is " + setting.text + ", it must be " +
                    std::to_string(least) + " or more");
  }
  return number;
}

// The captions name the boxes as the window shows them.
FileLayout readLayout(const Settings& settings) {
  FileLayout layout;
  layout.colDateTime = layoutNumber(settings.colDateTime, "COLDATETIME", "Date/Time Column #", 1);
  layout.colTag = layoutNumber(settings.colTag, "COLTAG", "Tag Column #", 1);
  layout.colValue = layoutNumber(settings.colValue, "COLVALUE", "Value Column #", 1);
  layout.headerRows = layoutNumber(settings.headerRows, "HEADERROWS", "Header Rows", 0);
  return layout;
}

// Only when deletion is on and the days are a number.
std::optional<Deferred<DateTime>> purgeCutoff(const Session& session, const Settings& settings) {
  if (!settings.deleteOldRecords || !isNumeric(settings.deleteDays.text)) return {};
  const DateTime today = session.clock->now().date();
  return Deferred<DateTime>::of([&] { return today.addDays(-settings.deleteDays.toInt16()); });
}

std::optional<Deferred<db::TableName>> ledgerTable(const Settings& settings) {
  if (trimSpaces(settings.ledgerTable).empty()) return std::nullopt;
  return Deferred<db::TableName>::of([&] { return db::TableName::check(settings.ledgerTable); });
}

std::optional<Deferred<std::int32_t>> keepDays(const NumberSetting& setting) {
  if (trimSpaces(setting.text).empty()) return std::nullopt;
  return Deferred<std::int32_t>::of(
      [&] { return wholeNumberSetting(setting, "KEEPDAYS", "Keep Files (days)", 1); });
}

std::optional<Deferred<RejectLimit>> rejectLimit(const Settings& settings) {
  if (trimSpaces(settings.rejectLimit).empty()) return std::nullopt;
  return Deferred<RejectLimit>::of([&] { return RejectLimit::read(settings.rejectLimit); });
}

// Empty: the 2 seconds of old.
Deferred<std::chrono::seconds> quietTime(const NumberSetting& setting) {
  return Deferred<std::chrono::seconds>::of([&] {
    if (trimSpaces(setting.text).empty()) return std::chrono::seconds(2);
    return std::chrono::seconds(
        wholeNumberSetting(setting, "SETTLESECONDS", "Unchanged For (seconds)", 0));
  });
}

}  // namespace

RunPlan readRunPlan(const Session& session, const Settings& settings) {
  const std::filesystem::path& programFolder = session.programFolder;
  RunPlan plan{
      .connection = readConnectPlan(settings),
      .sourceFolder = runFolder(programFolder, settings.csvFolder),
      .table =
          Deferred<db::TableName>::of([&] { return db::TableName::check(settings.destTable); }),
      .layout = Deferred<FileLayout>::of([&] { return readLayout(settings); }),
      .ledger = ledgerTable(settings),
      .utc = std::nullopt,
      .purgeCutoff = purgeCutoff(session, settings),
      .archive = settings.archive,
      .archiveFolder = runFolder(programFolder, settings.archiveFolder),
      .archiveFolderText = settings.archiveFolder.string(),
      .errorFolder = std::nullopt,
      .errorFolderText = settings.errorFolder.string(),
      .keepDays = keepDays(settings.keepDays),
      .rejectLimit = rejectLimit(settings),
      .rejectLimitText = settings.rejectLimit,
      .quietTime = quietTime(settings.settleSeconds),
  };
  if (!trimSpaces(plan.errorFolderText).empty()) {
    plan.errorFolder = runFolder(programFolder, settings.errorFolder);
  }
  if (settings.utcOffset) plan.utc.emplace(settings.utc);
  return plan;
}

}  // namespace csv2sql
