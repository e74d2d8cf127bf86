// ImportaFile for a received file that waits: the import its download would
// have made.
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "terminal/FileDownload.h"
#include "terminal/ReceivedFileImport.h"

namespace viruzedi {

void Viruzedi::ImportaFileRicevuto(const std::string& path, ImportFormat format) {
  const FileDownload& download = DownloadOf(format);
  FileSystem& files = platform_->Files();
  if (!files.FileExists(path)) RaiseError(kFileNotFound, path);
  // Only a temporary name waits; an archive name was imported already.
  const std::string name = BaseName(path);
  if (!IsTemporaryName(download, name)) RaiseError(kFileAlreadyExists, path);
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) RaiseError(kPermissionDenied, path);  // a download still works on it
  // Taken between the look and the lock by another importer, which archived it.
  if (!files.FileExists(path)) RaiseError(kFileAlreadyExists, path);

  std::unique_ptr<Database> database = OpenTargetDatabase(download, dbPath_);
  outcome_.rowsRefused =
      ImportReceivedFile(download, *platform_, *database, ParentFolder(path), name, idUt_);
}

}  // namespace viruzedi
