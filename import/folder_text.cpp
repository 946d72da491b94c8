#include "import/folder_text.h"

#include <filesystem>

#include "core/text.h"

namespace csv2sql {

namespace {
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
}  // namespace

std::string folderFromText(std::string_view text) {
  std::string folder(trimSpaces(text));
  const bool endsWithSeparator =
      !folder.empty() && (folder.back() == '/' || folder.back() == kSeparator);
  if (!endsWithSeparator) folder += kSeparator;
  return folder;
}

std::filesystem::path runFolder(const std::filesystem::path& programFolder,
                                const std::filesystem::path& folder) {
  const std::filesystem::path typed = folderFromText(folder.string());
  return typed.is_relative() ? programFolder / typed : typed;
}

}  // namespace csv2sql
