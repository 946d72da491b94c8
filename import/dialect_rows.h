#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_format.h"
#include "core/datetime.h"
#include "core/datetime_text.h"
#include "core/text.h"
#include "import/csv_rows.h"
#include "import/file_layout.h"
#include "import/file_lines.h"
#include "import/text_encoding.h"
#include "import/utc_offsets.h"

namespace csv2sql {

// One record of a file whose layout is not plain: a line, or with quotes the lines that a quoted
// line end joins, split at the delimiter. Its buffers are kept from record to record.
class DialectRecord {
 public:
  explicit DialectRecord(const FileLayout& layout) : layout_(layout) {}

  // Reads the record that starts at the current line of `lines`, taking the lines after it
  // while a quoted field is open, up to line `lastRow`.
  void read(FileLines& lines, std::int64_t lastRow);
  std::string_view text() const { return text_; }
  std::int32_t count() const { return static_cast<std::int32_t>(fields_.size()); }
  // The field of a column from 1; "" beyond the last.
  std::string_view field(std::int32_t column) const {
    return column <= count() ? fields_[column - 1] : std::string_view();
  }

 private:
  const FileLayout& layout_;
  std::string_view text_;
  std::string joined_;  // the lines of a record that spans more than one
  std::string room_;
  std::vector<std::string_view> fields_;
};

// The stamp of a record: its date column's text (with a time column: a blank and that column's
// text) read by the date format, or by the recognition as the plain path reads it.
class DialectStamp {
 public:
  explicit DialectStamp(const FileLayout& layout)
      : layout_(layout), recognition_(layout.dateLocale()) {}
  std::optional<DateTime> read(const DialectRecord& record);
  // The text read, as a skipped row's line echoes it.
  std::string_view text() const { return text_; }

 private:
  const FileLayout& layout_;
  DateTimeReader recognition_;
  std::string joined_;
  std::string cleaned_;
  std::string_view text_;
};

// The tags of a wide file: the cells of its last header line, trimmed, as UTF-8.
class WideTags {
 public:
  void take(const DialectRecord& header);
  // From the file's own header, for a reading that starts past it.
  void readHeader(const std::filesystem::path& path, const FileLayout& layout);
  // The tag of a column from 1; nothing for a column the header does not name.
  std::optional<std::string_view> of(std::int32_t column) const;

 private:
  std::vector<std::string> tags_;
};

// forEachReading (import/csv_rows.cpp) for a layout that is not plain: skip(row, line, what,
// cell) for each record, or each cell of a wide record, that is no reading, and add(when,
// unconverted, tag, value) for every reading.
template <typename Skip, typename Add>
void forEachDialectReading(FileLines& lines, const FileLayout& layout, const UtcOffsetTable* utc,
                           RowSpan span, RowObserver* observer, Skip skip, Add add) {
  DialectRecord record(layout);
  DialectStamp stamps(layout);
  WideTags tags;
  std::string tagBuffer;
  const std::int64_t firstRow = std::max(span.first, std::int64_t{layout.headerRows} + 1);
  if (layout.wide && lines.row() >= layout.headerRows) tags.readHeader(lines.path(), layout);
  while (lines.row() < span.last && lines.next()) {
    const std::int64_t row = lines.row();
    if (row < firstRow) {
      if (layout.wide && row == layout.headerRows) {
        record.read(lines, span.last);
        tags.take(record);
      }
      continue;
    }
    const std::int64_t read = row - firstRow + 1;
    if (observer != nullptr && read % RowObserver::kRowsBetweenReports == 0) {
      observer->rowsRead(read);
    }
    record.read(lines, span.last);
    const std::optional<DateTime> stamp = stamps.read(record);
    // A line too long to be held is never a reading.
    if (!stamp || lines.cut()) {
      skip(row, record.text(), "date", stamps.text());
      continue;
    }
    const std::optional<DateTime> local = utc != nullptr ? utc->toLocal(*stamp) : stamp;
    // tag: as UTF-8 already.
    const auto reading = [&](std::string_view tag, std::string_view cell) {
      const std::optional<double> value = parseNumberWithMark(cell, layout.decimalMark);
      if (!value || !std::isfinite(*value)) {
        skip(row, record.text(), "value", cell);
      } else {
        add(local.value_or(*stamp), !local, tag, *value);
      }
    };
    if (!layout.wide) {
      reading(asUtf8(trimSpaces(record.field(layout.colTag)), tagBuffer),
              record.field(layout.colValue));
      continue;
    }
    for (std::int32_t column = 1; column <= record.count(); ++column) {
      if (column == layout.colDateTime || column == layout.colTime) continue;
      const std::string_view cell = trimSpaces(record.field(column));
      if (cell.empty()) continue;
      // A cell under no name is shown rather than stored under an empty tag.
      const std::optional<std::string_view> tag = tags.of(column);
      if (!tag) {
        skip(row, record.text(), "value", cell);
        continue;
      }
      reading(*tag, cell);
    }
  }
}

}  // namespace csv2sql
