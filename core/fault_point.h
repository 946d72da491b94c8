#pragma once

#include <string_view>

namespace csv2sql {

// Test seam, for process tests only: when the environment variable CSV2SQL_FAULT_POINT names
// this point, the process ends here at once, as a kill signal would end it. The points:
//   before-commit   a file's rows and ledger row sent, its archive copy made, not committed
//   ledger-write    the file's ledger row sent, nothing after it
//   after-commit    committed, the file not yet moved to the archive
//   mid-copy        half of an archive copy to another file system written
//   after-rename    the archive copy at its final name, the source not yet removed
// Unset or any other value: nothing happens.
void faultPoint(std::string_view name);

}  // namespace csv2sql
