#include "platform/FileSystem.h"
#include "terminal/FileNames.h"

#include <chrono>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "terminal/FileDownload.h"

namespace viruzedi {

std::string ImportatoName(const std::string& name) { return kImportato + name; }

Reservation ReserveTemporaryName(const FileDownload& download, FileSystem& files,
                                 const std::string& folder, LocalDateTime start) {
  for (LocalDateTime t = start;; t = NextSecond(t)) {
    std::string name = download.prefix + Stamp(t) + ".tmp";
    // A second whose archive name is taken would end the import in 58.
    if (download.archive == ArchiveRule::kImportato &&
        files.FileExists(JoinPath(folder, ImportatoName(name)))) {
      continue;
    }
    std::unique_ptr<FileLock> lock;
    try {
      lock = files.CreateLocked(JoinPath(folder, name));
    } catch (const AutomationError& failure) {
      // The folder is what refuses, whatever name was tried in it.
      if (failure.number == kPermissionDenied) RaiseError(kPermissionDenied, folder);
      throw;
    }
    if (lock) return Reservation{std::move(name), std::move(lock)};
  }
}

std::string ArchiveReceivedFile(const FileDownload& download, FileSystem& files,
                                const std::string& folder, const std::string& name,
                                LocalDateTime end) {
  const std::string path = JoinPath(folder, name);
  if (download.archive == ArchiveRule::kImportato) {
    std::string destination = JoinPath(folder, ImportatoName(name));
    files.MoveFile(path, destination);
    return destination;
  }
  for (LocalDateTime t = end;; t = NextSecond(t)) {
    try {
      std::string destination = JoinPath(folder, download.prefix + Stamp(t) + ".TMP");
      files.MoveFile(path, destination);
      return destination;
    } catch (const AutomationError& failure) {
      // The rows are stored: a taken name must not leave the file looking
      // unimported.
      if (failure.number != kFileAlreadyExists) throw;
    }
  }
}

namespace {

bool HasPrefixAndEnd(const std::string& name, const std::string& prefix, const char* end) {
  return name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - 4, 4, end) == 0;
}

}  // namespace

bool IsTemporaryName(const FileDownload& download, const std::string& name) {
  return HasPrefixAndEnd(name, download.prefix, ".tmp");
}

bool IsArchiveName(const FileDownload& download, const std::string& name) {
  if (download.archive == ArchiveRule::kImportato) {
    return HasPrefixAndEnd(name, ImportatoName(download.prefix), ".tmp");
  }
  return HasPrefixAndEnd(name, download.prefix, ".TMP");
}

}  // namespace viruzedi
