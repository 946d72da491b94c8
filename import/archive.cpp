#include "import/archive.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/platform.h"
#include "core/system_error.h"

namespace csv2sql {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kExtensionLength = 4;

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

void moveAcrossVolumes(const ArchiveMove& move) {
  std::error_code ec;
  // The file at the new name is the placeholder of this move.
  fs::copy_file(move.from, move.to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw errorFromSystem(ec, SystemTarget::File);
  fs::remove(move.from, ec);
  if (ec) {
    const Error error = errorFromSystem(ec, SystemTarget::File);
    fs::resize_file(move.to, 0, ec);  // back to a placeholder, removed with the plan
    throw error;
  }
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
  const std::size_t stem = fileName.size() - std::min(fileName.size(), kExtensionLength);
  return std::string(fileName.substr(0, stem)) + formatDateTime(at, "__yymmdd_hhmmss") + ".csv";
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
  const std::error_code ec = platform::createNewFile(this->to);
  if (ec == std::errc::file_exists) {
    throw Error(err::FileAlreadyExists, "File already exists: " + this->to.string());
  }
  if (ec) throw errorFromSystem(ec);
}

ArchiveMove::~ArchiveMove() {
  if (moved_) return;
  // Only an empty file is the placeholder; anything else is left alone.
  std::error_code ec;
  if (fs::file_size(to, ec) == 0 && !ec) fs::remove(to, ec);
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
  return ArchiveMove(from, archiveFolder / archiveName(fileName, now));
}

void ArchiveFile(const ArchiveMove& move) {
  std::error_code ec;
  fs::rename(move.from, move.to, ec);
  if (ec == std::errc::cross_device_link) {
    moveAcrossVolumes(move);
  } else if (ec) {
    throw errorFromSystem(ec, SystemTarget::File);
  }
  move.moved_ = true;
}

}  // namespace csv2sql
