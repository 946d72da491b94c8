#include "import/redrop.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/error.h"
#include "core/system_error.h"
#include "import/archive.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

// "__yymmdd_hhmmss.csv", as archiveName (archive.h) ends every name.
constexpr std::string_view kStampStart = "__";
constexpr std::size_t kStampLength = 2 + 6 + 1 + 6;
constexpr std::string_view kExtension = ".csv";

struct Archived {
  std::string file;      // as it is in the archive folder
  std::string original;  // before archiving
  DateTime at;
};

int digits(std::string_view text) {
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The name and time an archive name holds; nothing for a name the archiving did not make.
std::optional<Archived> readArchiveName(const std::string& file) {
  if (file.size() < kStampLength + kExtension.size() || !file.ends_with(kExtension)) {
    return std::nullopt;
  }
  const std::string_view stamp =
      std::string_view(file).substr(file.size() - kExtension.size() - kStampLength, kStampLength);
  if (!stamp.starts_with(kStampStart) || stamp[8] != '_') return std::nullopt;
  const int year = digits(stamp.substr(2, 2)), month = digits(stamp.substr(4, 2)),
            day = digits(stamp.substr(6, 2)), hour = digits(stamp.substr(9, 2)),
            minute = digits(stamp.substr(11, 2)), second = digits(stamp.substr(13, 2));
  if (std::min({year, month, day, hour, minute, second}) < 0 || month < 1 || month > 12 ||
      day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const std::string stem = file.substr(0, file.size() - kExtension.size() - kStampLength);
  return Archived{file, stem + std::string(kExtension),
                  DateTime::fromParts(2000 + year, month, day, hour, minute, second)};
}

}  // namespace

Redropped redropArchived(const fs::path& sourceFolder, const fs::path& archiveFolder,
                         DateTime since) {
  std::error_code ec;
  std::vector<Archived> archived;
  for (fs::directory_iterator entries(archiveFolder, ec), end; !ec && entries != end;
       entries.increment(ec)) {
    const std::optional<Archived> file = readArchiveName(entries->path().filename().string());
    if (file && file->at.microseconds() >= since.microseconds() && entries->is_regular_file(ec)) {
      archived.push_back(*file);
    }
  }
  if (ec) throw errorFromSystem(ec);
  std::ranges::sort(archived, [](const Archived& a, const Archived& b) {
    return a.at.microseconds() != b.at.microseconds() ? a.at.microseconds() < b.at.microseconds()
                                                      : a.file < b.file;
  });
  Redropped result;
  for (const Archived& file : archived) {
    try {
      // As the archiving moves: a copy first when the folders are on two file systems, and
      // never over a file.
      const ArchiveMove move(archiveFolder / file.file, sourceFolder / file.original);
      ArchiveFile(move);
    } catch (const Error& error) {
      if (error.number() != err::FileAlreadyExists) throw;
      result.left.push_back(file.file + ": " + file.original + " is in the source folder");
      continue;
    }
    result.moved.push_back(file.file + " as " + file.original);
  }
  return result;
}

}  // namespace csv2sql
