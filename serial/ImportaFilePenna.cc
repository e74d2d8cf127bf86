// ImportaFilePenna: stores the reads of the pen's recovery file (or any file
// of pen lines) as the pen download would, all of them or none.
#include <memory>
#include <optional>
#include <vector>

#include "base/Conversions.h"
#include "base/Text.h"
#include "database/Database.h"
#include "operation/ErrorReport.h"
#include "operation/FileLedger.h"
#include "operation/FileStamps.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "serial/PenOperations.h"
#include "serial/PenRead.h"
#include "serial/PenRecovery.h"
#include "serial/Texts.h"

namespace viruzedi {

bool IsPenRecoveryFile(const std::string& path) {
  // Its name, or that name with the waiting or the imported mark after it.
  const std::string name = BaseName(path);
  const std::string recovery = kFileNonSalvate;
  return name.compare(0, recovery.size(), recovery) == 0 &&
         (name.size() == recovery.size() || name[recovery.size()] == '.');
}

void ImportaFilePenna(Operation& operation, const std::string& path) {
  Platform& platform = operation.platform;
  FileSystem& files = platform.Files();
  // Held from before the first line until the file has left its name: a pen
  // download that fails meanwhile waits to append, so its read lands in the
  // file's next version instead of in one already imported.
  std::unique_ptr<FileLock> lock = TakeWaitingFile(files, path, IsMarkedImported(path));

  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(operation.dbPath, operation.dbSettings);
  database->CheckWritable(kTabellaLetture, std::vector<std::string>(std::begin(kColonneLetture),
                                                                    std::end(kColonneLetture)));
  // The recovery file's name is fixed: the ledger knows it by a name of
  // its own, given under the lock before its bytes are fingerprinted.
  const std::string waiting = DaiNomeInAttesa(files, path, platform.LocalNow());
  FileLedger ledger(*database, platform, ParentFolder(waiting), BaseName(waiting));
  FileImportResult result;
  result.ledgerMissing = !ledger.available();
  if (std::optional<std::string> importedOn = ledger.ImportedOn()) {
    result.importedOn = *importedOn;
  } else {
    const uint64_t refusedBefore = database->RowsRefused();
    Transaction transaction(*database);
    std::unique_ptr<TextStream> stream = files.OpenTextFile(waiting);
    uint64_t rows = 0;
    for (int number = 1; !stream->AtEndOfStream(); ++number) {
      StopIfRequested(platform);
      std::string line = stream->ReadLine();
      // An empty answer or a lone line end carries no read.
      if (IsBlankLine(line)) continue;
      try {
        // A keyed line's read is stored when a pen entry holds its key: its
        // commit was made though nobody could say so then.
        auto [read, key] = SplitKeyedLine(line);
        if (!key.empty() && ledger.HoldsPenKey(key)) continue;
        // The stream hands out UTF-8; the pen's grammar takes the bytes the
        // pen sent, which is what an unedited recovery file holds.
        std::string riga = Utf8ToWindows1252(read);
        database->InsertRow(PenReadRow(CutPenRead(riga)));
        ++rows;
      } catch (AutomationError& failure) {
        BlameLine(failure, LineDetail(waiting, number, line));
        throw;
      }
    }
    const std::string fingerprint = stream->BytesFingerprint();
    ledger.Record(fingerprint, rows - (database->RowsRefused() - refusedBefore));
    ledger.Commit(transaction, fingerprint);
    // Durable before the rename: the renamed file is no longer a read's copy.
    database->MakeDurable();
    result.rowsRefused = database->RowsRefused();
  }
  result.archivedAs = RinominaImportato(files, waiting, platform.LocalNow());
  operation.NoteFileImport(result, path);
}

}  // namespace viruzedi
