// ImportaFile for a received file that waits: the import its download would
// have made.
#include "component/FileStamps.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"
#include "terminal/ReceivedFileImport.h"

namespace viruzedi {

void Viruzedi::ImportaFileRicevuto(const std::string& path, ImportFormat format) {
  const FileDownload& download = DownloadOf(format);
  // Only a temporary name waits; an archive name was imported already.
  const std::string name = BaseName(path);
  const WaitingName state = IsTemporaryName(download, name) ? WaitingName::kWaits
                            : IsArchiveName(download, name) ? WaitingName::kArchived
                                                            : WaitingName::kOtherFormat;
  std::unique_ptr<FileLock> lock =
      TakeWaitingFile(platform_->Files(), path, state, ImportFormatName(format));

  std::unique_ptr<Database> database = OpenTargetDatabase(download, dbPath_, dbSettings_);
  FileImportResult result =
      ImportReceivedFile(download, *platform_, *database, ParentFolder(path), name, idUt_);
  NoteFileImport(result, path);
}

}  // namespace viruzedi
