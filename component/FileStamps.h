// The date and time in the names of the download folder's files, and the
// name a waiting file takes once its rows are stored.
#pragma once

#include <memory>
#include <string>

#include "base/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace viruzedi {

// yyyymmdd-hhnnss of `time`. A name whose second is taken moves on to the
// next free one with NextSecond (base/Calendar.h).
std::string Stamp(const LocalDateTime& time);

// What marks a reader file or the pen's recovery file as imported.
inline constexpr char kMarcaImportato[] = ".importato-";

// True when the file's own name carries the mark.
bool IsMarkedImported(const std::string& path);

// Takes a file that waits to be imported by hand: locked, for the caller to
// hold until the file has left its name. Refuses with 53 when it is missing,
// 58 when `nameWaits` is false (its name says it was archived or imported),
// 70 when another process holds it (a download still working on it), and 58
// when another importer took it away between the look and the lock.
std::unique_ptr<FileLock> TakeWaitingFile(FileSystem& files, const std::string& path,
                                          bool nameWaits);

// Renames `path` to `<path>.importato-<yyyymmdd-hhnnss>` with the time `at`,
// moving on one second at a time while that name is taken (never replacing
// a file). Returns the new path. 53 when `path` is missing; 70 or 76 as the
// file system says, and then the file keeps its name.
std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at);

}  // namespace viruzedi
