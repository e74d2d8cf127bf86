#include "platform/FileSystem.h"
#include "component/FileStamps.h"

#include "base/AutomationError.h"
#include "base/Conversions.h"

namespace viruzedi {

std::string Stamp(const LocalDateTime& t) {
  return FileDate(t.year, t.month, t.day) + "-" + FileTime(t.hour, t.minute, t.second);
}

bool IsMarkedImported(const std::string& path) {
  return BaseName(path).find(kMarcaImportato) != std::string::npos;
}

std::unique_ptr<FileLock> TakeWaitingFile(FileSystem& files, const std::string& path,
                                          bool nameWaits) {
  if (!files.FileExists(path)) RaiseError(kFileNotFound, path);
  if (!nameWaits) RaiseError(kFileAlreadyExists, path);
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) RaiseError(kPermissionDenied, path);
  if (!files.FileExists(path)) RaiseError(kFileAlreadyExists, path);
  return lock;
}

std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at) {
  for (LocalDateTime t = at;; t = NextSecond(t)) {
    std::string destination = path + kMarcaImportato + Stamp(t);
    try {
      files.MoveFile(path, destination);
      return destination;
    } catch (const AutomationError& failure) {
      if (failure.number != kFileAlreadyExists) throw;
    }
  }
}

}  // namespace viruzedi
