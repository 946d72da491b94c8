#include "import/csv_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"
#include "import/text_encoding.h"

namespace csv2sql {

namespace {

// The date-time text of a cell as rows are checked: spaces around it removed, then every
// capital "T" made a blank and every capital "Z" removed, so ISO UTC stamps read as local
// forms. Kept on the stack; only a text longer than any date form takes the heap.
class CleanedDate {
 public:
  explicit CleanedDate(std::string_view cell) {
    const std::string_view trimmed = trimSpaces(cell);
    char* out = room_.data();
    if (trimmed.size() > room_.size()) {
      spill_.resize(trimmed.size());
      out = spill_.data();
    }
    std::size_t length = 0;
    for (const char c : trimmed) {
      if (c != 'Z') out[length++] = c == 'T' ? ' ' : c;
    }
    text_ = std::string_view(out, length);
  }
  CleanedDate(const CleanedDate&) = delete;
  CleanedDate& operator=(const CleanedDate&) = delete;

  std::string_view text() const { return text_; }

 private:
  std::array<char, 96> room_;
  std::string spill_;
  std::string_view text_;
};

void skip(RunLog& log, RowObserver* observer, const Grid& sp, std::int32_t row, FileCounts& counts,
          std::string_view what, std::string_view text) {
  ++counts.skipped;
  const std::string reason = "invalid " + std::string(what);
  log.WriteLog("Row " + std::to_string(row) + " " + reason + " (" + std::string(text) +
               ") record skipped");
  if (observer != nullptr) observer->skipped(row, sp.line(row), reason);
}

}  // namespace

void loadFileRows(Grid& sp, const std::filesystem::path& path) {
  // A file that is there but cannot be read must not count as imported: archiving would move
  // its readings away unread. One that has gone loads no rows.
  std::error_code ec;
  if (!sp.loadTextFile(path) && std::filesystem::exists(path, ec)) {
    throw Error(err::PathFileAccess, "Path/File access error: cannot read " + path.string());
  }
}

FileCounts importRows(const Grid& sp, RowSpan span, const FileLayout& layout,
                      const UtcOffsetTable* utc, db::Recordset& destination, RunLog& log,
                      RowObserver* observer) {
  FileCounts counts;
  std::string tagBuffer;
  const std::int64_t firstRow = std::max(span.first, std::int64_t{layout.headerRows} + 1);
  for (std::int64_t row64 = firstRow; row64 <= span.last; ++row64) {
    const auto row = static_cast<std::int32_t>(row64);
    const std::int64_t read = row64 - firstRow + 1;
    if (observer != nullptr && read % RowObserver::kRowsBetweenReports == 0) {
      observer->rowsRead(read);
    }
    const CleanedDate date(sp.cell(row, layout.colDateTime));
    const std::optional<DateTime> stamp = parseDateTime(date.text());
    if (!stamp) {
      skip(log, observer, sp, row, counts, "date", date.text());
      continue;
    }
    const std::optional<DateTime> local = utc != nullptr ? utc->toLocal(*stamp) : stamp;
    const std::string_view tag = asUtf8(trimSpaces(sp.cell(row, layout.colTag)), tagBuffer);
    const std::string_view valueText = sp.cell(row, layout.colValue);
    const std::optional<double> value = parseNumber(valueText);
    // A number too large for a double (1e400) is no reading: no database stores it as one.
    if (!value || !std::isfinite(*value)) {
      skip(log, observer, sp, row, counts, "value", valueText);
      continue;
    }
    destination.addNew();
    if (!local) ++counts.unconverted;
    destination.setField("DateTime", local.value_or(*stamp));
    destination.setField("Tag", tag);
    destination.setField("Value", *value);
    destination.update();
    ++counts.stored;
  }
  return counts;
}

}  // namespace csv2sql
