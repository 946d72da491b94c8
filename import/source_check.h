#pragma once

#include <cstddef>
#include <limits>
#include <ostream>

#include "core/session.h"
#include "settings/settings.h"

namespace csv2sql {

// How much of the next run's files a check shows.
struct CheckExtent {
  static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
  std::size_t files = kAll;      // the first so many files of the listing
  std::size_t skipLines = kAll;  // of each file, then a line with how many more
};

// The readings each file would give: at most this many are shown.
inline constexpr std::size_t kShownReadings = 5;

// What `csv2sql --check` and "Preview" show before a run: the files the next run would import,
// each listed and read as the run reads it (its lines, fields, date recognition and UTC
// conversion), with nothing written anywhere and no database opened, so a file the ledger holds
// is read too. Writes to `out`:
//   Date order: DMY (the system's locale)
//   <file>: <n> readings, <m> rows skipped
//     2024-03-07 10:00:00  T1  12.5          (the first five readings as they would be stored)
//     Row 3 invalid date (x) record skipped   (its skip lines, as the run log has them)
//   Check done: <f> files, <n> readings, <m> rows skipped
// A file that cannot be read is "<file>: passed over, it cannot be read (<why>)". Settings that
// do not convert and a source folder that does not exist are the run's errors.
void checkSourceFiles(const Session& session, const Settings& settings, const CheckExtent& extent,
                      std::ostream& out);

}  // namespace csv2sql
