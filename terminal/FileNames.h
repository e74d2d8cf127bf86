// The names a received file goes by in the download folder: the temporary
// name it is received under (which, while no process holds it locked, means
// "received, not imported": it waits) and the archive name it takes once its
// rows are stored.
#pragma once

#include <memory>
#include <string>

#include "operation/FileStamps.h"
#include "platform/FileSystem.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

struct FileDownload;

inline constexpr char kImportato[] = "Importato_";

// A temporary name held by this process: an empty file created exclusively
// and locked for as long as `lock` lives.
struct Reservation {
  std::string name;
  std::unique_ptr<FileLock> lock;
};

// Reserves prefix + yyyymmdd-hhnnss + ".tmp" in `folder` for the first
// second from `start` on whose name can be created (and, with the Importato
// rule, whose archive name is free), so that no other download, of this
// process or another, can receive into it and no earlier file is touched.
// 76 when the folder is missing, 70 naming the folder when it may not be
// written.
Reservation ReserveTemporaryName(const FileDownload& download, FileSystem& files,
                                 const std::string& folder, LocalDateTime start);

// The Importato rule's archive name of temporary name `name`.
std::string ImportatoName(const std::string& name);

// Moves the imported file folder/name to its archive name: "Importato_" +
// name, or prefix + the stamp of `end` + ".TMP", taking the next second
// while that name is taken. Never replaces a file: 58 only when the
// Importato name is taken (the caller looked just before its commit).
// Returns the archive path.
std::string ArchiveReceivedFile(const FileDownload& download, FileSystem& files,
                         const std::string& folder, const std::string& name, LocalDateTime end);

// True for a name a download receives its file under (prefix...".tmp",
// letter case kept: ".TMP" ends an archive name).
bool IsTemporaryName(const FileDownload& download, const std::string& name);
// True for a name a download archives its file under: "Importato_" + a
// temporary name, or prefix...".TMP", as its rule says.
bool IsArchiveName(const FileDownload& download, const std::string& name);

}  // namespace viruzedi
