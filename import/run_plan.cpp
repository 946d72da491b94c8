#include "import/run_plan.h"

#include <string>
#include <string_view>

#include "core/error.h"
#include "core/text.h"
#include "import/folder_text.h"

namespace csv2sql {

namespace {

// A number of the file map below its least (a column 0, a header count of -1) would store empty
// tags or skip every row, and the file would be archived: a settings fault, before any file.
std::int32_t layoutNumber(const TextBox& box, std::string_view key, std::string_view caption,
                          std::int32_t least) {
  const std::int32_t number = toInt32(box.text());
  if (number < least) {
    throw Error(err::InvalidProcedureCall,
                "Invalid procedure call or argument: " + std::string(key) + " (" +
                    std::string(caption) + ") is " + box.text() + ", it must be " +
                    std::to_string(least) + " or more");
  }
  return number;
}

FileLayout readLayout(const FrmMain& form) {
  FileLayout layout;
  layout.colDateTime = layoutNumber(form.txtColDateTime, "COLDATETIME", form.Label9.caption(), 1);
  layout.colTag = layoutNumber(form.txtColTag, "COLTAG", form.Label12.caption(), 1);
  layout.colValue = layoutNumber(form.txtColValue, "COLVALUE", form.Label13.caption(), 1);
  layout.headerRows = layoutNumber(form.txtHeaderRows, "HEADERROWS", form.Label11.caption(), 0);
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
      .errorFolder = std::nullopt,
      .errorFolderText = form.txtErrorFolder.text(),
  };
  if (!trimSpaces(plan.errorFolderText).empty()) {
    plan.errorFolder = folderFromText(plan.errorFolderText);
  }
  if (form.chkUtcOffset.value() != 0) plan.utc.emplace(form.spUTC);
  if (const std::string& ledger = form.txtLedgerTable.text(); !trimSpaces(ledger).empty()) {
    plan.ledger = Deferred<db::TableName>::of([&] { return db::TableName::check(ledger); });
  }
  return plan;
}

}  // namespace csv2sql
