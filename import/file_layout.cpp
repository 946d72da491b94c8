#include "import/file_layout.h"

#include <string_view>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

[[noreturn]] void notUnderstood(std::string_view key, std::string_view caption,
                                std::string_view text, std::string_view what) {
  throw Error(err::InvalidProcedureCall, "Invalid procedure call or argument: " + std::string(key) +
                                             " (" + std::string(caption) + ") is " +
                                             std::string(text) + ", it must be " +
                                             std::string(what));
}

// A number of the file map below its least (a column 0, a header count of -1) would store empty
// tags or skip every row, and the file would be archived: a settings fault, before any file.
std::int32_t layoutNumber(const NumberSetting& setting, std::string_view key,
                          std::string_view caption, std::int32_t least) {
  const std::int32_t number = setting.toInt32();
  if (number < least) {
    notUnderstood(key, caption, setting.text, std::to_string(least) + " or more");
  }
  return number;
}

char readDelimiter(const std::string& text) {
  if (text.empty()) return ',';
  if (text == "TAB") return '\t';
  if (text.size() != 1) notUnderstood("DELIMITER", "Delimiter", text, "one character or TAB");
  return text.front();
}

char readDecimalMark(std::string_view text) {
  if (text.empty() || text == ".") return '.';
  if (text != ",") notUnderstood("DECIMALMARK", "Decimal Mark", text, ". or ,");
  return ',';
}

bool readYesNo(std::string_view text, std::string_view key, std::string_view caption) {
  if (text.empty() || text == "NO") return false;
  if (text != "YES") notUnderstood(key, caption, text, "YES or NO");
  return true;
}

std::optional<DateLocale::Order> readDateOrder(std::string_view text) {
  using Order = DateLocale::Order;
  if (text.empty()) return std::nullopt;
  if (text == "DMY") return Order::DayMonthYear;
  if (text == "MDY") return Order::MonthDayYear;
  if (text == "YMD") return Order::YearMonthDay;
  notUnderstood("DATEORDER", "Date Order", text, "DMY, MDY or YMD");
}

bool readWide(std::string_view text) {
  if (text.empty() || text == "LONG") return false;
  if (text != "WIDE") notUnderstood("LAYOUT", "Layout", text, "LONG or WIDE");
  return true;
}

}  // namespace

// The captions name the boxes as the window shows them.
FileLayout readFileLayout(const Settings& settings) {
  FileLayout layout;
  layout.colDateTime = layoutNumber(settings.colDateTime, "COLDATETIME", "Date/Time Column #", 1);
  layout.colTag = layoutNumber(settings.colTag, "COLTAG", "Tag Column #", 1);
  layout.colValue = layoutNumber(settings.colValue, "COLVALUE", "Value Column #", 1);
  layout.wide = readWide(trimSpaces(settings.layout));
  // A wide file names its tags in its last header line.
  layout.headerRows =
      layoutNumber(settings.headerRows, "HEADERROWS", "Header Rows", layout.wide ? 1 : 0);
  layout.delimiter = readDelimiter(settings.delimiter);
  layout.decimalMark = readDecimalMark(trimSpaces(settings.decimalMark));
  layout.quotes = readYesNo(trimSpaces(settings.quotes), "QUOTES", "Quotes");
  if (const std::string_view format = trimSpaces(settings.dateFormat); !format.empty()) {
    layout.dateFormat = DateFormat::read(format);
    if (!layout.dateFormat) {
      notUnderstood("DATEFORMAT", "Date Format", format,
                    "ISO, UNIX, UNIXMS, EXCEL or a pattern of yyyy yy mm dd hh nn ss AMPM f");
    }
  }
  if (const auto order = readDateOrder(trimSpaces(settings.dateOrder))) {
    auto locale = std::make_shared<DateLocale>(DateLocale::system());
    locale->order = *order;
    layout.locale = std::move(locale);
  }
  if (!trimSpaces(settings.colTime.text).empty()) {
    layout.colTime = layoutNumber(settings.colTime, "COLTIME", "Time Column #", 1);
  }
  return layout;
}

std::string dateOrderName(const Settings& settings) {
  using Order = DateLocale::Order;
  const std::optional<Order> chosen = readDateOrder(trimSpaces(settings.dateOrder));
  switch (chosen.value_or(DateLocale::system().order)) {
    case Order::DayMonthYear:
      return "DMY";
    case Order::MonthDayYear:
      return "MDY";
    case Order::YearMonthDay:
      break;
  }
  return "YMD";
}

}  // namespace csv2sql
