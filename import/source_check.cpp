#include "import/source_check.h"

#include <charconv>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "dbaccess/sql_text.h"
#include "import/csv_rows.h"
#include "import/file_layout.h"
#include "import/file_lines.h"
#include "import/file_scan.h"
#include "import/run_plan.h"
#include "import/source_listing.h"
#include "log/run_log.h"

namespace csv2sql {

namespace {

// The readings of a file, kept as text for the first few instead of being stored.
class ShownReadings final : public db::Recordset {
 public:
  void addNew() override { unused(); }
  void setField(std::string_view, const db::FieldValue&) override { unused(); }
  void update() override { unused(); }
  db::ColumnOrder columnsOf(std::span<const std::string_view> names) override {
    db::ColumnOrder order;
    for (std::size_t i = 0; i < names.size(); ++i) order.push_back(i);
    return order;
  }
  // The import adds (DateTime, Tag, Value).
  void addRow(const db::ColumnOrder&, std::span<const db::FieldValue> values) override {
    if (lines.size() == kShownReadings) return;
    char stamp[db::kTimestampTextMax];
    const std::size_t stampLength = db::formatTimestamp(std::get<DateTime>(values[0]), stamp);
    char number[32];
    const std::size_t numberLength =
        std::to_chars(number, number + sizeof number, std::get<double>(values[2])).ptr - number;
    std::string line = "  ";
    line.append(stamp, stampLength);
    line += "  ";
    line += std::get<std::string_view>(values[1]);
    line += "  ";
    line.append(number, numberLength);
    lines.push_back(std::move(line));
  }
  void close() override {}
  std::string columnSql(std::string_view) override { unused(); }

  std::vector<std::string> lines;

 private:
  [[noreturn]] static void unused() {
    throw Error(err::InternalError, "Internal error: a check adds its readings whole");
  }
};

// One file read as the run reads it: a first pass for its rows, a second for its readings.
// The log lines of its skipped rows are caught without their time.
FileCounts readAsTheRunWould(const Session& session, const RunPlan& plan, const FileLayout& layout,
                             const std::filesystem::path& path, ShownReadings& readings,
                             std::vector<std::string>& skipLines) {
  Session quiet = session;
  quiet.errorStream = nullptr;
  quiet.ServiceMode = false;
  RunLog log(quiet);
  log.showLinesIn([&](const std::string& line) {
    const std::size_t text = line.find(" : ");
    skipLines.push_back("  " + line.substr(text == std::string::npos ? 0 : text + 3));
  });
  std::optional<FileLines> lines;
  lines.emplace(path, FileLines::kWholeFile, FileLines::Hashing::Off);
  const FileScan scan = scanFile(*lines, {});
  if (!lines->rewindTo(scan.whole.offset, FileLines::Hashing::Off)) {
    lines.emplace(path, scan.whole.offset, FileLines::Hashing::Off);
  }
  return importRows(*lines, {1, scan.rows()}, layout, plan.utc ? &*plan.utc : nullptr, readings,
                    log);
}

std::string countsText(const FileCounts& counts) {
  return std::to_string(counts.stored) + " readings, " + std::to_string(counts.skipped) +
         " rows skipped";
}

}  // namespace

void checkSourceFiles(const Session& session, const Settings& settings, const CheckExtent& extent,
                      std::ostream& out) {
  const RunPlan plan = readRunPlan(session, settings);
  const FileLayout& layout = plan.layout.get();
  const SourceListing listing = listSourceFiles(plan.sourceFolder, plan.files.get());
  out << "Date order: " << dateOrderName(settings)
      << (trimSpaces(settings.dateOrder).empty() ? " (the system's locale)" : " (DATEORDER)")
      << "\n";
  FileCounts total;
  std::size_t files = 0;
  for (const std::string& name : listing.names) {
    if (files == extent.files) break;
    ++files;
    ShownReadings readings;
    std::vector<std::string> skipLines;
    FileCounts counts;
    try {
      counts =
          readAsTheRunWould(session, plan, layout, plan.sourceFolder / name, readings, skipLines);
    } catch (const Error& error) {
      if (error.number() != err::PathFileAccess) throw;
      out << name << ": passed over, it cannot be read (" << error.description() << ")\n";
      continue;
    }
    total.stored += counts.stored;
    total.skipped += counts.skipped;
    out << name << ": " << countsText(counts) << "\n";
    for (const std::string& line : readings.lines) out << line << "\n";
    for (std::size_t i = 0; i < skipLines.size() && i < extent.skipLines; ++i) {
      out << skipLines[i] << "\n";
    }
    if (skipLines.size() > extent.skipLines) {
      out << "  and " << skipLines.size() - extent.skipLines << " more rows skipped\n";
    }
  }
  out << "Check done: " << files << " files, " << countsText(total) << "\n";
}

}  // namespace csv2sql
