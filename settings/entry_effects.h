#pragma once

#include <string_view>

#include "form/frm_main.h"
#include "settings/ini_entry.h"

namespace csv2sql {

// Applies one config.ini entry to the window's controls. An unknown key changes nothing.
// Raises error 13 or 6 for a value that cannot be converted, and 9 for a UTC value with
// fewer than three parts (the cells before the missing part are set).
//
// UTC entries fill the row after spUTC's current row, which the loader sets to 0 first.
void applyEntry(FrmMain& form, const IniEntry& entry);

}  // namespace csv2sql
