#include "core/error.h"
#include "settings/replace_file.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"

namespace csv2sql {

void btnSaveSettings_Click(const Session& session, Messages& messages, const Settings& settings) {
  try {
    replaceFile(settingsPath(session), settingsFileText(settings));
  } catch (const Error& error) {
    messages.ReportError(error, "btnSaveSettings_Click");
  }
}

}  // namespace csv2sql
