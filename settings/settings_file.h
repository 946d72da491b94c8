#pragma once

#include <filesystem>
#include <optional>

#include "form/session.h"
#include "log/messages.h"

namespace csv2sql {

// program folder + "config.ini"
std::filesystem::path settingsPath(const Session& session);

// Loads config.ini into the window's controls, once at start-up. Never throws: a failure stops
// the load at that item, shows "Error in Proc GetIniInfo:" + number + " - " + description and
// is returned, as the settings are then partial.
std::optional<Error> GetIniInfo(Session& session, Messages& messages);

// Writes the window's settings to config.ini, replacing it only once the new contents are
// completely written; a failure is reported to the operator.
void btnSaveSettings_Click(Session& session, Messages& messages);

}  // namespace csv2sql
