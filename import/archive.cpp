#include "import/archive.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/fault_point.h"
#include "core/file_handle.h"
#include "core/platform.h"
#include "core/system_error.h"
#include "core/text.h"
#include "import/name_stamp.h"
#include "import/source_input.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kExtensionLength = 4;
constexpr std::size_t kGzipExtensionLength = 3;
constexpr std::string_view kStampFormat = "__yymmdd_hhmmss";
constexpr std::string_view kStampShape = "__######_######";

// Names the source listing took as "*.csv", whose archive names end in ".csv" as they always did.
bool isCsvName(std::string_view name) {
  return endsWithIgnoreCase(name, ".csv");
}

// Compared as the system sees them where both exist (links, letter case on Windows), else by
// their resolved text.
bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  std::error_code ecA, ecB;
  const fs::path resolvedA = fs::weakly_canonical(a, ecA);
  const fs::path resolvedB = fs::weakly_canonical(b, ecB);
  if (ecA || ecB) return a.lexically_normal() == b.lexically_normal();
  return resolvedA.lexically_normal() == resolvedB.lexically_normal();
}

bool nameTaken(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

// The copy's name: hidden, so that nothing lists it, and tied to the final name.
fs::path temporaryName(const fs::path& to) {
  return to.parent_path() / ("." + to.filename().string() + ".partial");
}

// Copies the file and puts the copy on the disk; the error when any step fails.
std::error_code copyToDisk(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const FileHandle in = openFile(from, "rb", ec);
  if (!in) return ec;
  const FileHandle out = openFile(to, "wb", ec);
  if (!out) return ec;
  const std::uintmax_t size = fs::file_size(from, ec);
  if (ec) return ec;
  std::vector<char> buffer(kCopyChunk);
  std::uintmax_t copied = 0;
  bool halfway = false;
  while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), in.get())) {
    if (std::fwrite(buffer.data(), 1, read, out.get()) != read) return lastFileError();
    copied += read;
    if (!halfway && copied * 2 >= size) {
      halfway = true;
      if (std::fflush(out.get()) != 0) return lastFileError();
      faultPoint("mid-copy");
    }
  }
  if (std::ferror(in.get())) return lastFileError();
  return platform::flushToDisk(out.get());
}

void renameOrThrow(const fs::path& from, const fs::path& to) {
  const std::error_code ec = platform::renameNoReplace(from, to);
  if (ec == std::errc::file_exists) {
    throw Error(err::FileAlreadyExists, "File already exists: " + to.string());
  }
  if (ec) throw errorFromSystem(ec, SystemTarget::File);
}

// Moving a file out of a folder needs the right to change that folder. Without it the move
// would fail after the file's rows are committed, and every later run would import the file
// again; a short-lived hidden probe file finds out before the commit.
void requireRemovableFrom(const fs::path& sourceFolder) {
  const fs::path probe = sourceFolder / ".csv2sql-archive-probe";
  std::error_code ec = platform::createNewFile(probe);
  if (ec == std::errc::file_exists) ec.clear();  // one left behind by a crash proves it too
  if (ec) {
    const Error cause = errorFromSystem(ec);
    throw Error(cause.number(), "Files cannot be moved out of the source folder " +
                                    sourceFolder.string() + " (" + cause.description() + ")");
  }
  fs::remove(probe, ec);
}

}  // namespace

std::string archiveName(std::string_view fileName, DateTime at) {
  // A gzip file keeps its ".gz", as written, after the name its text would get.
  if (isGzipName(fileName)) {
    const std::size_t text = fileName.size() - kGzipExtensionLength;
    return archiveName(fileName.substr(0, text), at) + std::string(fileName.substr(text));
  }
  const std::string stamp = formatDateTime(at, std::string(kStampFormat));
  const std::size_t dot = fileName.rfind('.');
  if (!isCsvName(fileName)) {
    const std::size_t cut = dot == std::string_view::npos || dot == 0 ? fileName.size() : dot;
    return std::string(fileName.substr(0, cut)) + stamp + std::string(fileName.substr(cut));
  }
  const std::size_t stem = fileName.size() - std::min(fileName.size(), kExtensionLength);
  return std::string(fileName.substr(0, stem)) + stamp + ".csv";
}

std::optional<ArchivedName> readArchiveName(std::string_view name) {
  std::string_view gzip;
  if (isGzipName(name)) {
    gzip = name.substr(name.size() - kGzipExtensionLength);
    name.remove_suffix(kGzipExtensionLength);
  }
  // The stamp ends the name or stands before its extension.
  const std::size_t dot = name.rfind('.');
  for (const std::size_t end : {dot, name.size()}) {
    if (end == std::string_view::npos || end < kStampShape.size()) continue;
    const std::string_view stamp = name.substr(end - kStampShape.size(), kStampShape.size());
    if (!hasShape(stamp, kStampShape)) continue;
    const std::optional<DateTime> at =
        dateTimeOf(2000 + digitsAt(stamp, 2, 2), digitsAt(stamp, 4, 2), digitsAt(stamp, 6, 2),
                   digitsAt(stamp, 9, 2), digitsAt(stamp, 11, 2), digitsAt(stamp, 13, 2));
    if (!at) return std::nullopt;
    const std::string_view stem = name.substr(0, end - kStampShape.size());
    ArchivedName archived{std::string(stem) + std::string(name.substr(end)) + std::string(gzip),
                          *at};
    // Only a name the archiving itself would give: "x__240307_140509.CSV" is not one.
    if (archiveName(archived.original, *at) != std::string(name) + std::string(gzip)) break;
    return archived;
  }
  return std::nullopt;
}

void checkArchiveFolder(const fs::path& sourceFolder, const fs::path& archiveFolder) {
  if (sameFolder(sourceFolder, archiveFolder)) {
    throw Error(err::PathFileAccess, "The archive folder " + archiveFolder.string() +
                                         " is the source folder: archived files would be "
                                         "imported again. Choose another archive folder.");
  }
}

void checkErrorFolder(const fs::path& sourceFolder, const fs::path& errorFolder) {
  std::error_code ec;
  if (!fs::is_directory(errorFolder, ec)) {
    throw Error(err::PathNotFound, "Path not found: error folder " + errorFolder.string());
  }
  if (sameFolder(sourceFolder, errorFolder)) {
    throw Error(err::PathFileAccess, "The error folder " + errorFolder.string() +
                                         " is the source folder: files moved there would be "
                                         "imported again. Choose another error folder.");
  }
}

void quarantineFile(const fs::path& sourceFolder, const fs::path& errorFolder,
                    std::string_view fileName, DateTime now, std::string_view why) {
  requireRemovableFrom(sourceFolder);
  const ArchiveMove move(sourceFolder / fileName, errorFolder / archiveName(fileName, now));
  fs::path note = move.to;
  note += ".err";
  std::error_code ec;
  {
    std::ofstream out(note, std::ios::binary | std::ios::trunc);
    out << why;
    if (!out.flush()) {
      fs::remove(note, ec);
      throw Error(err::PathFileAccess, "Path/File access error: cannot write " + note.string());
    }
  }
  try {
    ArchiveFile(move);
  } catch (const Error&) {
    fs::remove(note, ec);
    throw;
  }
}

ArchiveMove::ArchiveMove(fs::path from, fs::path to) : from(std::move(from)), to(std::move(to)) {
  if (platform::sameVolume(this->from, this->to.parent_path())) return;
  copy_ = temporaryName(this->to);
  if (const std::error_code ec = copyToDisk(this->from, copy_)) {
    std::error_code ignored;
    fs::remove(copy_, ignored);
    throw errorFromSystem(ec);
  }
}

ArchiveMove::~ArchiveMove() {
  std::error_code ec;
  if (!moved_ && !copy_.empty()) fs::remove(copy_, ec);
}

ArchiveMove planArchive(const fs::path& sourceFolder, const fs::path& archiveFolder,
                        std::string_view fileName, DateTime now) {
  checkArchiveFolder(sourceFolder, archiveFolder);
  const fs::path from = sourceFolder / fileName;
  if (!nameTaken(from)) throw Error(err::FileNotFound, "File not found: " + from.string());
  std::error_code ec;
  if (!fs::is_directory(archiveFolder, ec)) {
    throw Error(err::PathNotFound, "Path not found: archive folder " + archiveFolder.string());
  }
  requireRemovableFrom(sourceFolder);
  const fs::path to = archiveFolder / archiveName(fileName, now);
  if (nameTaken(to)) throw Error(err::FileAlreadyExists, "File already exists: " + to.string());
  return ArchiveMove(from, to);
}

bool takenByAnotherLoader(const Error& error) {
  return error.number() == err::FileNotFound || error.number() == err::FileAlreadyExists;
}

void ArchiveFile(const ArchiveMove& move) {
  if (move.copy_.empty()) {
    renameOrThrow(move.from, move.to);
  } else {
    renameOrThrow(move.copy_, move.to);
    faultPoint("after-rename");
    std::error_code ec;
    fs::remove(move.from, ec);
    if (ec) throw errorFromSystem(ec, SystemTarget::File);
  }
  move.moved_ = true;
}

}  // namespace csv2sql
