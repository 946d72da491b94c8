#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace csv2sql {

// One file's move into the archive folder. It is planned and checked before the file's rows
// are committed, so that a move that cannot be made rolls the rows back instead of leaving them
// committed beside a file that the next run would import again. From the plan to the move the
// archive name is held by an empty placeholder file: that proves the folder can be written to
// and keeps the name free. A plan dropped without its move removes the placeholder.
class ArchiveMove {
 public:
  // Creates the placeholder; error 58 when the name is taken, the platform's error otherwise.
  ArchiveMove(std::filesystem::path from, std::filesystem::path to);
  ~ArchiveMove();
  ArchiveMove(const ArchiveMove&) = delete;
  ArchiveMove& operator=(const ArchiveMove&) = delete;

  const std::filesystem::path from;
  const std::filesystem::path to;

 private:
  friend void ArchiveFile(const ArchiveMove& move);
  mutable bool moved_ = false;
};

// The file name less its last four characters (its ".csv" in any case) + the time as
// "__yymmdd_hhmmss" + ".csv".
std::string archiveName(std::string_view fileName, DateTime at);

// Error 75 when the archive folder is the source folder (after resolving both): files renamed
// in place still end in ".csv", and every later run would import them again.
void checkArchiveFolder(const std::filesystem::path& sourceFolder,
                        const std::filesystem::path& archiveFolder);

// The move of one file of the source folder into the archive folder, named for the time now.
// Errors: the archive folder is the source folder (75), the file is gone (53), the archive
// folder does not exist (76), a file of the new name exists (58).
ArchiveMove planArchive(const std::filesystem::path& sourceFolder,
                        const std::filesystem::path& archiveFolder, std::string_view fileName,
                        DateTime now);

// Error 76 when the error folder does not exist, 75 when it is the source folder (files moved
// there would be imported again).
void checkErrorFolder(const std::filesystem::path& sourceFolder,
                      const std::filesystem::path& errorFolder);

// Moves a file of the source folder that the database refused into the error folder under its
// archive name, with a text file beside it of the same name + ".err" that holds why. The text
// file is written first and removed again when the move fails.
void quarantineFile(const std::filesystem::path& sourceFolder,
                    const std::filesystem::path& errorFolder, std::string_view fileName,
                    DateTime now, std::string_view why);

// Moves the file in one rename over its placeholder; when the archive folder is on another
// volume, by a copy over the placeholder, then the removal of the source. Failures are Errors.
void ArchiveFile(const ArchiveMove& move);

}  // namespace csv2sql
