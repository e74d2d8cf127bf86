// ImportaFile for a received file that waits: the import its download would
// have made.
#include "base/Conversions.h"
#include "operation/FileStamps.h"
#include "operation/FormatOfFile.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"
#include "terminal/ReceivedFileImport.h"
#include "terminal/TerminalOperations.h"

namespace viruzedi {

std::vector<ImportFormat> ReceivedFormatsNamed(const std::string& name) {
  std::vector<ImportFormat> formats;
  for (ImportFormat format : kReceivedFormats) {
    const FileDownload& download = DownloadOf(format);
    if (IsTemporaryName(download, name) || IsArchiveName(download, name)) {
      formats.push_back(format);
    }
  }
  return formats;
}

void ImportaFileRicevuto(Operation& operation, const std::string& path, ImportFormat format) {
  Platform& platform = operation.platform;
  const FileDownload& download = DownloadOf(format);
  // The name is one of the format's (ImportaFile refused any other): a
  // temporary name waits, an archive name was imported already.
  const std::string name = BaseName(path);
  std::unique_ptr<FileLock> lock =
      TakeWaitingFile(platform.Files(), path, !IsTemporaryName(download, name));
  // The two downloads that share the remittances' prefix tell their files
  // apart by the lines only: imported as remittances, sub-order reads are
  // all bad codes; imported as sub-order reads, which take any line,
  // remittances would be stored wrong but for their marker.
  LineContext context{platform, operation.idUt, true};
  if (!HasLineOfFormat(platform.Files(), path, [&](const std::string& line) {
        const Fields fields = SplitFields(line);
        if (format == ImportFormat::kScarica3 && IsRemittanceRecord(fields)) return false;
        try {
          return download.grammar(fields, context).has_value();
        } catch (const AutomationError&) {
          return true;  // a line of the format with a wrong field: its import names it
        }
      })) {
    RaiseNotOfFormat(path, format, kNessunaRigaDelFormato);
  }

  std::unique_ptr<Database> database = OpenTargetDatabase(download, operation.dbPath, operation.dbSettings);
  FileImportResult result =
      ImportReceivedFile(download, platform, *database, ParentFolder(path), name, operation.idUt);
  operation.NoteFileImport(result, path);
}

}  // namespace viruzedi
