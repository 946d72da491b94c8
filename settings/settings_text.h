#pragma once

#include <string>

#include "form/frm_main.h"

namespace csv2sql {

// The whole config.ini that saving writes from the controls, every line ending with CR LF:
// 18 fixed lines, one UTC line per spUTC row up to its row count, AUTORUNEVERY, DEST_CNN.
// Raises error 6 when deletion is on and the days text is a number outside the 16-bit range.
std::string settingsFileText(const FrmMain& form);

// The UTC lines of an offset table as config.ini holds them, one per row up to its row count.
std::string utcLines(const Grid& spUTC);

}  // namespace csv2sql
