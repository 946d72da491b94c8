#include "import/redrop.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/error.h"
#include "core/system_error.h"
#include "import/archive.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

struct Archived {
  std::string file;  // as it is in the archive folder
  ArchivedName name;
};

}  // namespace

Redropped redropArchived(const fs::path& sourceFolder, const fs::path& archiveFolder,
                         DateTime since) {
  std::error_code ec;
  std::vector<Archived> archived;
  for (fs::directory_iterator entries(archiveFolder, ec), end; !ec && entries != end;
       entries.increment(ec)) {
    const std::string file = entries->path().filename().string();
    const std::optional<ArchivedName> name = readArchiveName(file);
    if (name && name->at.microseconds() >= since.microseconds() && entries->is_regular_file(ec)) {
      archived.push_back({file, *name});
    }
  }
  if (ec) throw errorFromSystem(ec);
  std::ranges::sort(archived, [](const Archived& a, const Archived& b) {
    const std::int64_t atA = a.name.at.microseconds(), atB = b.name.at.microseconds();
    return atA != atB ? atA < atB : a.file < b.file;
  });
  Redropped result;
  for (const Archived& file : archived) {
    try {
      // As the archiving moves: a copy first when the folders are on two file systems, and
      // never over a file.
      const ArchiveMove move(archiveFolder / file.file, sourceFolder / file.name.original);
      ArchiveFile(move);
    } catch (const Error& error) {
      if (error.number() != err::FileAlreadyExists) throw;
      result.left.push_back(file.file + ": " + file.name.original + " is in the source folder");
      continue;
    }
    result.moved.push_back(file.file + " as " + file.name.original);
  }
  return result;
}

}  // namespace csv2sql
