#include "import/csv_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/byte_search.h"
#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"
#include "dbaccess/connection.h"
#include "import/cleaned_date.h"
#include "import/dialect_rows.h"
#include "import/text_encoding.h"

namespace csv2sql {

namespace {

// Readings into a recordset, their columns found at the first one (where a missing column
// fails, as setting its field would) and kept for the rest.
class ReadingWriter {
 public:
  explicit ReadingWriter(db::Recordset& destination) : destination_(destination) {}

  void add(DateTime when, std::string_view tag, double value) {
    if (!columns_) columns_ = destination_.columnsOf(kNames);
    const std::array<db::FieldValue, 3> values{when, tag, value};
    destination_.addRow(*columns_, values);
  }

 private:
  static constexpr std::array<std::string_view, 3> kNames{"DateTime", "Tag", "Value"};
  db::Recordset& destination_;
  std::optional<db::ColumnOrder> columns_;
};

// The three fields an import reads from a line, found in one pass over its commas; "" for a
// column beyond the line's last field.
struct ReadingFields {
  std::string_view date, tag, value;

  ReadingFields(std::string_view line, const FileLayout& layout) {
    const std::int32_t last = std::max({layout.colDateTime, layout.colTag, layout.colValue});
    for (std::int32_t column = 1; column <= last; ++column) {
      const std::size_t comma = std::min(findEither(line, ',', ','), line.size());
      const std::string_view field = line.substr(0, comma);
      if (column == layout.colDateTime) date = field;
      if (column == layout.colTag) tag = field;
      if (column == layout.colValue) value = field;
      if (comma == line.size()) break;
      line.remove_prefix(comma + 1);
    }
  }
};

// A cell of a skipped row as its log line echoes it: its text, and its length in all, which is
// more when it is the field that the cut of a line too long to be held falls in.
struct SkippedCell {
  std::string_view text;
  std::uint64_t bytes;
};

SkippedCell skippedCell(const FileLines& lines, std::string_view field, std::string_view text) {
  const std::string_view line = lines.text();
  const bool cutHere = lines.cut() && field.data() + field.size() == line.data() + line.size();
  return {text, text.size() + (cutHere ? lines.cutFieldEnd() - line.size() : 0)};
}

// Calls skip(row, line, what, cell) for each row of the span after the header lines whose date
// or value is no reading (for a layout that is not plain: import/dialect_rows.h), and add(when,
// unconverted, tag, value) for every other; unconverted: no UTC period held the time, so it is as
// read. A line too long to be held whole is no reading: its date, or else its value, is taken as
// invalid. observer, when given, hears of the rows read.
template <typename Skip, typename Add>
void forEachReading(FileLines& lines, const FileLayout& layout, const UtcOffsetTable* utc,
                    RowSpan span, RowObserver* observer, Skip skip, Add add) {
  // Chosen once per file, so that the plain path does no work for the other layouts.
  if (!layout.plain()) {
    forEachDialectReading(
        lines, layout, utc, span, observer,
        [&](std::int64_t row, std::string_view line, std::string_view what, std::string_view cell) {
          skip(row, line, what, SkippedCell{cell, cell.size()});
        },
        add);
    return;
  }
  std::string tagBuffer;
  DateTimeReader dates(layout.dateLocale());
  const std::int64_t firstRow = std::max(span.first, std::int64_t{layout.headerRows} + 1);
  while (lines.row() < span.last && lines.next()) {
    const std::int64_t row = lines.row();
    if (row < firstRow) continue;
    const std::int64_t read = row - firstRow + 1;
    if (observer != nullptr && read % RowObserver::kRowsBetweenReports == 0) {
      observer->rowsRead(read);
    }
    const ReadingFields fields(lines.text(), layout);
    const CleanedDate date(fields.date);
    const std::optional<DateTime> stamp = dates.read(date.text());
    // Kept off the per-row path: a cut line is rare, and never a reading.
    if (lines.cut()) [[unlikely]] {
      const SkippedCell dateCell = skippedCell(lines, fields.date, date.text());
      if (!stamp || dateCell.bytes > dateCell.text.size()) {
        skip(row, lines.text(), "date", dateCell);
      } else {
        skip(row, lines.text(), "value", skippedCell(lines, fields.value, fields.value));
      }
      continue;
    }
    if (!stamp) {
      skip(row, lines.text(), "date", SkippedCell{date.text(), date.text().size()});
      continue;
    }
    const std::optional<DateTime> local = utc != nullptr ? utc->toLocal(*stamp) : stamp;
    const std::string_view tag = asUtf8(trimSpaces(fields.tag), tagBuffer);
    const std::optional<double> value = parseNumber(fields.value);
    // A number too large for a double (1e400) is no reading: no database stores it as one.
    if (!value || !std::isfinite(*value)) {
      skip(row, lines.text(), "value", SkippedCell{fields.value, fields.value.size()});
      continue;
    }
    add(local.value_or(*stamp), !local, tag, *value);
  }
}

// Whether the database takes the readings of the span: they are held and sent by the
// recordset's close inside a transaction that is rolled back.
bool readingsTaken(const std::filesystem::path& path, std::uint64_t end, const FileLayout& layout,
                   const UtcOffsetTable* utc, db::Connection& connection,
                   const db::TableName& table, RowSpan span) {
  const db::Transaction transaction(connection);
  try {
    const std::unique_ptr<db::Recordset> recordset = connection.OpenRecordset(table);
    ReadingWriter readings(*recordset);
    FileLines lines(path, end, FileLines::Hashing::Off);
    forEachReading(
        lines, layout, utc, span, nullptr,
        [](std::int64_t, std::string_view, std::string_view, const SkippedCell&) {},
        [&](DateTime when, bool, std::string_view tag, double value) {
          readings.add(when, tag, value);
        });
    recordset->close();
    return true;
  } catch (const db::DatabaseError& error) {
    if (!error.refusesData()) throw;
    return false;
  }
}

}  // namespace

FileCounts importRows(FileLines& lines, RowSpan span, const FileLayout& layout,
                      const UtcOffsetTable* utc, db::Recordset& destination, RunLog& log,
                      RowObserver* observer, std::exception_ptr* heldRefusal) {
  FileCounts counts;
  ReadingWriter readings(destination);
  forEachReading(
      lines, layout, utc, span, observer,
      [&](std::int64_t row, std::string_view line, std::string_view what, const SkippedCell& cell) {
        ++counts.skipped;
        const std::string reason = "invalid " + std::string(what);
        log.WriteLog("Row " + std::to_string(row) + " " + reason + " (" +
                     echoedCell(cell.text, cell.bytes) + ") record skipped");
        if (observer != nullptr) observer->skipped(row, line, reason);
      },
      [&](DateTime when, bool unconverted, std::string_view tag, double value) {
        if (unconverted) ++counts.unconverted;
        ++counts.stored;
        if (heldRefusal == nullptr) {
          readings.add(when, tag, value);
        } else if (!*heldRefusal) {
          try {
            readings.add(when, tag, value);
          } catch (const db::DatabaseError& error) {
            if (!error.refusesData()) throw;
            *heldRefusal = std::current_exception();
          }
        }
      });
  return counts;
}

std::optional<RefusedRow> findRefusedRow(const std::filesystem::path& path, std::uint64_t end,
                                         RowSpan span, const FileLayout& layout,
                                         const UtcOffsetTable* utc, db::Connection& connection,
                                         const db::TableName& table) {
  // Every run of readings from the span's first row on that holds the refused one is refused too.
  std::int64_t taken = span.first - 1;
  std::int64_t refused = span.last;
  if (readingsTaken(path, end, layout, utc, connection, table, span)) return std::nullopt;
  while (refused - taken > 1) {
    const std::int64_t middle = taken + (refused - taken) / 2;
    (readingsTaken(path, end, layout, utc, connection, table, {span.first, middle}) ? taken
                                                                                    : refused) =
        middle;
  }
  FileLines lines(path, end, FileLines::Hashing::Off);
  lines.skipTo(refused);
  return RefusedRow{refused, std::string(lines.text())};
}

}  // namespace csv2sql
