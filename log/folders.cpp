#include "log/folders.h"

#include <filesystem>
#include <system_error>

#include "core/ports.h"
#include "core/system_error.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

bool isSeparator(char c) {
  return c == '/' || c == kSeparator;
}

// The explanation shown when a level cannot be made: its pieces joined by single carriage
// returns, the last piece empty so that the text ends with one.
std::string failureText(const Error& error, const std::string& path) {
  const std::string pieces[] = {"Function CreateDirectory: Error " + std::to_string(error.number()),
                                error.description(),
                                "",
                                "DirectoryPath = " + path,
                                "",
                                "This is most likely because the ",
                                "function tried to create a ",
                                "directory on a mapped drive that",
                                "no longer exists.",
                                ""};
  std::string text = pieces[0];
  for (std::size_t i = 1; i < std::size(pieces); ++i) text += "\r" + pieces[i];
  return text;
}

void reportFailure(Messages& messages, const Error& error, const std::string& path) {
  if (error.number() == err::BadFileNameOrNumber || error.number() == err::PathNotFound) {
    MessageBoxRequest request;
    request.prompt = failureText(error, path);
    request.buttons = mb::OkOnly;
    messages.directBox(request);
  } else {
    messages.ReportError(error, "CreateDirectory");
  }
}

}  // namespace

bool DirExist(Messages& messages, const std::string& path) {
  std::string name = path;
  // A root keeps its separator: without it "/" would be empty and "C:" the drive's current folder.
  const fs::path given(path);
  if (name.size() > 1 && isSeparator(name.back()) && given != given.root_path()) name.pop_back();
  std::error_code code;
  const fs::file_status status = fs::status(fs::path(name), code);
  // The library also sets the code for a missing name; only other failures are reported.
  if (status.type() == fs::file_type::not_found) return false;
  if (code) {
    messages.ReportError(errorFromSystem(code), "DirExist");
    return false;
  }
  return true;
}

void CreateDirectory(Messages& messages, const std::string& DirectoryPath) {
  std::error_code ignored;
  if (fs::exists(fs::status(fs::path(DirectoryPath), ignored))) return;

  std::string path = DirectoryPath;
  if (path.empty() || !isSeparator(path.back())) path += kSeparator;

  // The root, drive or network server is taken as given; levels start below it (for a
  // network path the first level is the share).
  const fs::path full(path);
  fs::path level = full.root_path();
  for (const fs::path& part : full.relative_path()) {
    if (part.empty()) continue;  // the final separator
    level /= part;
    std::error_code code;
    fs::create_directory(level, code);
    // A level that exists (a share, a file, a link) is walked over, whatever the system said.
    if (!code || fs::exists(fs::symlink_status(level, ignored))) continue;
    reportFailure(messages, errorFromSystem(code), path);
    return;
  }
}

}  // namespace csv2sql
