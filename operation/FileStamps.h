// The date and time in the names of the download folder's files, and the
// name a waiting file takes once its rows are stored.
#pragma once

#include <memory>
#include <string>

#include "base/Calendar.h"
#include "platform/FileSystem.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// yyyymmdd-hhnnss of `time`. A name whose second is taken moves on to the
// next free one with NextSecond (base/Calendar.h).
std::string Stamp(const LocalDateTime& time);

// What marks a reader file or the pen's recovery file as imported.
inline constexpr char kMarcaImportato[] = ".importato-";

// True when the file's own name carries the mark.
bool IsMarkedImported(const std::string& path);

// What gives a reader file or the pen's recovery file a name of its own
// while it waits: a fixed name such as lettore.txt may hold the same bytes
// twice for two different sets of reads, and the import ledger knows a
// file by its name and its bytes.
inline constexpr char kMarcaInImportazione[] = ".in-importazione-";

// True when the file's own name carries that mark.
bool IsMarkedWaiting(const std::string& path);
// The path without the waiting mark and its stamp (the name the file had
// before it waited); the path itself when it has none.
std::string OriginalPath(const std::string& path);
// Gives the file at `path`, which the caller holds locked, its waiting
// name `<path>.in-importazione-<yyyymmdd-hhnnss>` with the time `at`
// (the next free second while taken) and returns it; a path that has it
// already is returned as it is. The lock follows the file. 53, 70, 76 as
// the file system says, and then the file keeps its name.
std::string DaiNomeInAttesa(FileSystem& files, const std::string& path, LocalDateTime at);

// What marks a reader program's run from before the program starts until
// its file has a name of its own: a run cut in between (a kill, a power
// cut) leaves the marker beside a plain reader file that holds its reads,
// while a plain file without one is an earlier run's or the user's.
inline constexpr char kMarcaInLettura[] = ".in-lettura";

// The marker of a run whose reader file is `readerFile`.
std::string MarkerOfRun(const std::string& readerFile);
// True when a cut run left the plain `readerFile` with its reads.
bool LeftByACutRun(FileSystem& files, const std::string& readerFile);
// Removes the run's marker, if any. Never throws: a marker left behind only
// makes the next run give a plain file a name of its own.
void RemoveMarkerOfRun(FileSystem& files, const std::string& readerFile) noexcept;

// True when the file at `path` waits to be imported: no live process holds
// it locked (a download holds its file from reservation to archive, an
// import from before its read until the file has left its name) and it
// holds something (an empty reservation or recovery file has no read to
// import). False for a file that goes away meanwhile or cannot be read.
bool WaitsToBeImported(FileSystem& files, const std::string& path);

// Takes a file that waits to be imported by hand: locked, for the caller to
// hold until the file has left its name. Refuses with 53 when it is missing,
// 58 when `archived` (its name says its rows were stored), 70 when another
// process holds it (a download or another import still working on it,
// which the text says), and 58 when another importer took it away between
// the look and the lock. A name of another format is refused before.
std::unique_ptr<FileLock> TakeWaitingFile(FileSystem& files, const std::string& path,
                                          bool archived);

// Renames `path` to `<original>.importato-<yyyymmdd-hhnnss>` with the time
// `at` (the original path: without a waiting mark),
// moving on one second at a time while that name is taken (never replacing
// a file). Returns the new path. 53 when `path` is missing; 70 or 76 as the
// file system says, and then the file keeps its name.
std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at);

}  // namespace viruzedi
