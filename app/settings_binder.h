#pragma once

#include "app/frm_main.h"
#include "settings/settings.h"

namespace csv2sql {

// Shows the settings in the window's setting controls; a check box that changes runs its click
// handlers.
void showSettings(FrmMain& form, const Settings& settings);

// The settings as the window's controls hold them now, the operator's edits included. A grayed
// check box counts as checked.
Settings readSettings(const FrmMain& form);

// The offset table into spUTC in place of its rows.
void showUtcRows(Grid& spUTC, const UtcRows& rows);

}  // namespace csv2sql
