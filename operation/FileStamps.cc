#include "platform/FileSystem.h"
#include "operation/FileStamps.h"

#include "base/Errors.h"
#include "base/Conversions.h"
#include "operation/Messages.h"

namespace viruzedi {

std::string Stamp(const LocalDateTime& t) {
  return FileDate(t.year, t.month, t.day) + "-" + FileTime(t.hour, t.minute, t.second);
}

bool IsMarkedImported(const std::string& path) {
  return BaseName(path).find(kMarcaImportato) != std::string::npos;
}

bool IsMarkedWaiting(const std::string& path) {
  return BaseName(path).find(kMarcaInImportazione) != std::string::npos;
}

std::string OriginalPath(const std::string& path) {
  const std::string name = BaseName(path);
  const size_t mark = name.rfind(kMarcaInImportazione);
  if (mark == std::string::npos) return path;
  return path.substr(0, path.size() - (name.size() - mark));
}

namespace {

// Moves `path` to `base` + `mark` + the stamp of the first free second from
// `at` on; never replaces a file.
std::string MoveToStampedName(FileSystem& files, const std::string& path, const std::string& base,
                              const char* mark, LocalDateTime at) {
  for (LocalDateTime t = at;; t = NextSecond(t)) {
    std::string destination = base + mark + Stamp(t);
    try {
      files.MoveFile(path, destination);
      return destination;
    } catch (const AutomationError& failure) {
      if (failure.number != kFileAlreadyExists) throw;
    }
  }
}

}  // namespace

std::string DaiNomeInAttesa(FileSystem& files, const std::string& path, LocalDateTime at) {
  if (IsMarkedWaiting(path)) return path;
  return MoveToStampedName(files, path, path, kMarcaInImportazione, at);
}

std::string MarkerOfRun(const std::string& readerFile) { return readerFile + kMarcaInLettura; }

bool LeftByACutRun(FileSystem& files, const std::string& readerFile) {
  return files.FileExists(MarkerOfRun(readerFile)) && files.FileExists(readerFile);
}

void RemoveMarkerOfRun(FileSystem& files, const std::string& readerFile) noexcept {
  try {
    if (files.FileExists(MarkerOfRun(readerFile))) files.DeleteFile(MarkerOfRun(readerFile), true);
  } catch (const AutomationError&) {
  }
}

bool WaitsToBeImported(FileSystem& files, const std::string& path) {
  try {
    if (!files.FileExists(path)) return false;
    std::unique_ptr<FileLock> lock = files.TryLock(path);
    return lock && !files.OpenTextFile(path)->AtEndOfStream();
  } catch (const AutomationError&) {
    return false;  // gone meanwhile, or not ours to read
  }
}

std::unique_ptr<FileLock> TakeWaitingFile(FileSystem& files, const std::string& path,
                                          bool archived) {
  if (!files.FileExists(path)) RaiseError(kFileNotFound, path);
  // The numbers are those a host has always had; the words say what to do,
  // since "the file exists" or "permission denied" sent people to check
  // their rights or run as root.
  if (archived) throw AutomationError(kFileAlreadyExists, kFileArchiviato + path + ".");
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) throw AutomationError(kPermissionDenied, kFileInLavorazione + path + ".");
  if (!files.FileExists(path)) {
    throw AutomationError(kFileAlreadyExists, kFilePresoDaAltri + path + ".");
  }
  return lock;
}

std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at) {
  return MoveToStampedName(files, path, OriginalPath(path), kMarcaImportato, at);
}

}  // namespace viruzedi
