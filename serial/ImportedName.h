// The name a waiting file takes once its rows are stored, so that it is
// never imported again.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace viruzedi {

// Renames `path` to `<path>.importato-<yyyymmdd-hhnnss>` with the time
// `at`, moving on one second at a time while that name is taken (never
// replacing a file). Returns the new path. 53 when `path` is missing; 70 or
// 76 as the file system says, and then the file keeps its name.
std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at);

}  // namespace viruzedi
