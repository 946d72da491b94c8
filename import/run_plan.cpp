#include "import/run_plan.h"

#include "core/text.h"
#include "import/folder_text.h"

namespace csv2sql {

namespace {

FileLayout readLayout(const FrmMain& form) {
  FileLayout layout;
  layout.colDateTime = toInt32(form.txtColDateTime.text());
  layout.colTag = toInt32(form.txtColTag.text());
  layout.colValue = toInt32(form.txtColValue.text());
  layout.headerRows = toInt32(form.txtHeaderRows.text());
  return layout;
}

// Only in the plain checked state, and only when the days text is a number.
std::optional<Deferred<DateTime>> purgeCutoff(const Session& session) {
  const FrmMain& form = session.frmMain;
  if (form.chkDelOldRecs.value() != 1 || !isNumeric(form.txtDeleteDays.text())) return {};
  const std::string days = form.txtDeleteDays.text();
  const DateTime today = session.clock->now().date();
  return Deferred<DateTime>::of([&] { return today.addDays(-toInt16(days)); });
}

}  // namespace

RunPlan readRunPlan(const Session& session) {
  const FrmMain& form = session.frmMain;
  RunPlan plan{
      .connection = readConnectPlan(form),
      .sourceFolder = folderFromText(form.txtSourceCSV.text()),
      .table = Deferred<db::TableName>::of(
          [&] { return db::TableName::check(form.txtDestTable.text()); }),
      .layout = Deferred<FileLayout>::of([&] { return readLayout(form); }),
      .ledger = std::nullopt,
      .utc = std::nullopt,
      .purgeCutoff = purgeCutoff(session),
      .archive = form.chkArchive.value() != 0,
      .archiveFolder = folderFromText(form.txtArchiveFolder.text()),
      .archiveFolderText = form.txtArchiveFolder.text(),
  };
  if (form.chkUtcOffset.value() != 0) plan.utc.emplace(form.spUTC);
  if (const std::string& ledger = form.txtLedgerTable.text(); !trimSpaces(ledger).empty()) {
    plan.ledger = Deferred<db::TableName>::of([&] { return db::TableName::check(ledger); });
  }
  return plan;
}

}  // namespace csv2sql
