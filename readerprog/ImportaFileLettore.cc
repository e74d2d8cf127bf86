// ImportaFile for a reader file (of either reader program import): the
// file an operator imports by hand once the cause of its failure is fixed.
#include <optional>

#include "base/Conversions.h"
#include "database/Database.h"
#include "operation/FileLedger.h"
#include "operation/FileStamps.h"
#include "operation/FormatOfFile.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderOperations.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

void ImportaFileLettore(Operation& operation, const std::string& path, bool gs1) {
  Platform& platform = operation.platform;
  FileSystem& files = platform.Files();
  std::unique_ptr<FileLock> lock = TakeWaitingFile(files, path, IsMarkedImported(path));

  const ReaderFileFormat format = gs1 ? Gs1ReaderFormat() : PlainReaderFormat();
  // Before the file takes a name of its own: a refused file stays as it was.
  if (format.isLine && !HasLineOfFormat(files, path, format.isLine)) {
    RaiseNotOfFormat(path, gs1 ? ImportFormat::kScaricaZidoriVovi : ImportFormat::kScarica2,
                     kNessunaRigaDelFormato);
  }
  std::unique_ptr<Database> target = OpenReaderTarget(operation.dbPath, operation.dbSettings, format);
  // A name of its own before it is fingerprinted; renamed while locked, so
  // an append waiting for the lock goes to a new file of the old name.
  const std::string waiting = DaiNomeInAttesa(files, path, platform.LocalNow());
  if (waiting != path) RemoveMarkerOfRun(files, path);
  FileLedger ledger(*target, platform, ParentFolder(waiting), BaseName(waiting));
  FileImportResult result;
  result.ledgerMissing = !ledger.available();
  SetAsideLines setAside;
  if (std::optional<std::string> importedOn = ledger.ImportedOn()) {
    result.importedOn = *importedOn;
    // A crash between the commit and the archive may have come before the
    // lines set aside were kept.
    setAside = KeepSetAsideOfStored(platform, waiting, format);
  } else {
    setAside = ImportReaderLines(platform, *target, waiting, format, ledger);
    // A failed import stores nothing, so only a stored one has refused rows.
    result.rowsRefused = target->RowsRefused();
  }
  result.linesSetAside = setAside.count;
  result.setAsideFile = setAside.file;
  result.archivedAs = RinominaImportato(files, waiting, platform.LocalNow());
  operation.NoteFileImport(result, path);
}

}  // namespace viruzedi
