#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/date_format.h"
#include "core/date_locale.h"
#include "settings/settings.h"

namespace csv2sql {

// Where a file's fields stand (1-based column numbers), how many header lines it has, and how
// its lines are read. The defaults read a file as the program always did: commas, dot decimals,
// no quotes, the general date recognition in the system's order, one reading per line.
struct FileLayout {
  std::int32_t colDateTime = 1;
  std::int32_t colTag = 2;
  std::int32_t colValue = 3;
  std::int32_t headerRows = 1;

  char delimiter = ',';
  char decimalMark = '.';
  bool quotes = false;                   // RFC 4180 quoted fields
  std::optional<DateFormat> dateFormat;  // none: the general recognition
  // The order of an all-numeric date for the recognition; none: the system's.
  std::shared_ptr<const DateLocale> locale;
  std::int32_t colTime = 0;  // a separate time-of-day column; 0: none
  // One column of times and one column per tag, named in the last header line.
  bool wide = false;

  // Whether the lines are read as they always were, on the path kept fast for that.
  bool plain() const {
    return delimiter == ',' && decimalMark == '.' && !quotes && !dateFormat && colTime == 0 &&
           !wide;
  }
  const DateLocale& dateLocale() const { return locale ? *locale : DateLocale::system(); }
};

// The layout the settings describe. A value that cannot be understood is error 5 naming its key
// and the window's caption, so that a run fails before any file is touched.
FileLayout readFileLayout(const Settings& settings);

// The order in which the recognition reads an all-numeric date with these settings: "DMY",
// "MDY" or "YMD"; the system's when the date order is empty.
std::string dateOrderName(const Settings& settings);

}  // namespace csv2sql
