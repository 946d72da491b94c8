#include "import/run_plan.h"

#include <string>
#include <string_view>

#include "core/error.h"
#include "core/text.h"
#include "import/folder_text.h"
#include "import/setting_number.h"

namespace csv2sql {

namespace {

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
      .layout = Deferred<FileLayout>::of([&] { return readFileLayout(settings); }),
      .files = Deferred<FilePatterns>::of([&] { return FilePatterns::read(settings.files); }),
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
