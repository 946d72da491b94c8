#include "settings/settings_file.h"

namespace csv2sql {

std::filesystem::path settingsPath(const Session& session) {
  return session.programFolder / "config.ini";
}

}  // namespace csv2sql
