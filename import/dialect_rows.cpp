#include "import/dialect_rows.h"

#include "import/cleaned_date.h"
#include "import/field_splitter.h"
#include "import/text_encoding.h"

namespace csv2sql {

void DialectRecord::read(FileLines& lines, std::int64_t lastRow) {
  text_ = lines.text();
  if (splitFields(text_, layout_.delimiter, layout_.quotes, room_, fields_)) return;
  // A quoted field holds a line end: the record goes on in the next line.
  joined_.assign(text_);
  while (lines.row() < lastRow && lines.next()) {
    joined_.append("\n").append(lines.text());
    if (splitFields(joined_, layout_.delimiter, layout_.quotes, room_, fields_)) break;
  }
  text_ = joined_;
}

std::optional<DateTime> DialectStamp::read(const DialectRecord& record) {
  text_ = record.field(layout_.colDateTime);
  if (layout_.colTime > 0) {
    const std::string_view time = trimSpaces(record.field(layout_.colTime));
    joined_.assign(trimSpaces(text_)).append(" ").append(time);
    text_ = joined_;
    // A date alone would be stored as midnight.
    if (time.empty()) return std::nullopt;
  }
  if (layout_.dateFormat) {
    text_ = trimSpaces(text_);
    return layout_.dateFormat->parse(text_, layout_.decimalMark, layout_.dateLocale());
  }
  const CleanedDate cleaned(text_);
  cleaned_.assign(cleaned.text());
  text_ = cleaned_;
  return recognition_.read(text_);
}

void WideTags::take(const DialectRecord& header) {
  tags_.clear();
  std::string buffer;
  for (std::int32_t column = 1; column <= header.count(); ++column) {
    tags_.emplace_back(asUtf8(trimSpaces(header.field(column)), buffer));
  }
}

void WideTags::readHeader(const std::filesystem::path& path, const FileLayout& layout) {
  FileLines lines(path, FileLines::kWholeFile, FileLines::Hashing::Off);
  DialectRecord record(layout);
  while (lines.next()) {
    if (lines.row() == layout.headerRows) {
      record.read(lines, layout.headerRows);
      take(record);
      return;
    }
  }
}

std::optional<std::string_view> WideTags::of(std::int32_t column) const {
  if (column > static_cast<std::int32_t>(tags_.size()) || tags_[column - 1].empty()) {
    return std::nullopt;
  }
  return tags_[column - 1];
}

}  // namespace csv2sql
