#include <new>
#include <string>

#include "core/error.h"
#include "core/file_handle.h"
#include "core/system_error.h"
#include "settings/ini_entry.h"
#include "settings/ini_items.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"

namespace csv2sql {

namespace {

// Applies the file's entries in file order; the first failure ends the load at its item.
void loadEntries(Settings& settings, const std::filesystem::path& path) {
  std::error_code ec;
  const FileHandle file = openFile(path, "rb", ec);
  if (!file) throw errorFromSystem(ec, SystemTarget::File);
  IniItemReader reader(file.get());
  std::string item;
  while (reader.next(item)) {
    if (auto entry = splitEntry(item)) {
      entry->cutAtComma = reader.endedAtComma();
      applyEntry(settings, *entry);
    }
  }
}

Error showLoadFailure(Messages& messages, const Error& error) {
  MessageBoxRequest request;
  request.prompt = "Error in Proc GetIniInfo:" + error.numberAndDescription();
  request.buttons = mb::OkOnly;  // no title: the program's title
  messages.directBox(request);
  return error;
}

}  // namespace

std::optional<Error> GetIniInfo(const Session& session, Messages& messages, Settings& settings) {
  try {
    loadEntries(settings, settingsPath(session));
  } catch (const Error& error) {
    return showLoadFailure(messages, error);
  } catch (const std::bad_alloc&) {
    // An item too long to hold (a file of gigabytes without a comma or a line end).
    return showLoadFailure(messages, Error(err::OutOfMemory));
  }
  return std::nullopt;
}

}  // namespace csv2sql
