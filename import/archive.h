#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"
#include "core/error.h"

namespace csv2sql {

// One file's move into the archive folder. It is prepared before the file's rows are
// committed, so that a move that cannot be made rolls the rows back instead of leaving them
// committed beside a file that the next run would import again. When the archive folder is on
// another file system, the preparation copies the file there under a hidden temporary name and
// puts the copy on the disk; the move then only renames the copy and removes the source. No
// file ever holds the final name before the move, so a run killed in between leaves at most a
// hidden copy, never a name that blocks a later run or a partial file that looks archived. A
// preparation dropped without its move removes its copy.
class ArchiveMove {
 public:
  // Copies across file systems; the platform's error when the copy cannot be made (a full
  // disk: 61), with nothing left in the archive folder.
  ArchiveMove(std::filesystem::path from, std::filesystem::path to);
  ~ArchiveMove();
  ArchiveMove(const ArchiveMove&) = delete;
  ArchiveMove& operator=(const ArchiveMove&) = delete;

  const std::filesystem::path from;
  const std::filesystem::path to;

 private:
  friend void ArchiveFile(const ArchiveMove& move);
  std::filesystem::path copy_;  // the temporary copy; empty when one rename moves the file
  mutable bool moved_ = false;
};

// A CSV file's name less its last four characters (its ".csv" in any case) + the time as
// "__yymmdd_hhmmss" + ".csv"; any other name keeps its own extension after the time
// ("x.txt": "x__yymmdd_hhmmss.txt"), so that it still matches the listed names if it is ever
// put back; a gzip file gets the name of its name less ".gz", then its ".gz": "x.csv.gz" becomes
// "x__yymmdd_hhmmss.csv.gz".
std::string archiveName(std::string_view fileName, DateTime at);

// What archiveName wrote into a name: the name before archiving (a CSV file's extension as
// ".csv") and the time of the move. Nothing for a name it did not make.
struct ArchivedName {
  std::string original;
  DateTime at;
};
std::optional<ArchivedName> readArchiveName(std::string_view name);

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

// Whether a move's error is another loader's doing: it moved the file first (53), or took its
// archive name in the same second (58).
bool takenByAnotherLoader(const Error& error);

// Moves the file in one rename, or renames its copy and removes the source; never over an
// existing file (error 58). Failures are Errors.
void ArchiveFile(const ArchiveMove& move);

}  // namespace csv2sql
