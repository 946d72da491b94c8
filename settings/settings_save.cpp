#include "core/error.h"
#include "settings/replace_file.h"
#include "settings/settings_file.h"
#include "settings/settings_text.h"

namespace csv2sql {

void btnSaveSettings_Click(Session& session, Messages& messages) {
  try {
    replaceFile(settingsPath(session), settingsFileText(session.frmMain));
  } catch (const Error& error) {
    messages.ReportError(error, "btnSaveSettings_Click");
  }
}

}  // namespace csv2sql
