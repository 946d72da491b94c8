#pragma once

#include <filesystem>
#include <optional>

#include "core/session.h"
#include "log/messages.h"
#include "settings/settings.h"

namespace csv2sql {

// program folder + "config.ini"
std::filesystem::path settingsPath(const Session& session);

// Loads config.ini over the settings given, once at start-up. Never throws: a failure stops the
// load at that item, shows "Error in Proc GetIniInfo:" + number + " - " + description and is
// returned, as the settings are then partial (the items before it applied).
std::optional<Error> GetIniInfo(const Session& session, Messages& messages, Settings& settings);

// Writes the settings to config.ini, replacing it only once the new contents are completely
// written; a failure is reported to the operator.
void btnSaveSettings_Click(const Session& session, Messages& messages, const Settings& settings);

}  // namespace csv2sql
