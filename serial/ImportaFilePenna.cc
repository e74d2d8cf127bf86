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
#include "operation/FileRows.h"
#include "operation/FileStamps.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "serial/PenOperations.h"
#include "serial/PenRead.h"
#include "serial/PenRecovery.h"
#include "serial/Texts.h"

namespace viruzedi {

namespace {

// The reads of a pen file's lines.
class PenFileRows : public FileRows {
 public:
  PenFileRows(Platform& platform, std::string path, FileLedger& ledger)
      : FileRows(platform, std::move(path), false), ledger_(ledger) {}

 private:
  void RowsOfLine(const std::string& line, bool, std::vector<Row>& rows) override {
    // A keyed line's read is stored when a pen entry holds its key: its
    // commit was made though nobody could say so then.
    auto [read, key] = SplitKeyedLine(line);
    if (!key.empty() && ledger_.HoldsPenKey(key)) return;
    // The stream hands out UTF-8; the pen's grammar takes the bytes the pen
    // sent, which is what an unedited recovery file holds.
    std::string riga = Utf8ToWindows1252(read);
    rows.push_back(PenReadRow(CutPenRead(riga)));
  }

  FileLedger& ledger_;
};

}  // namespace

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
    PenFileRows rows(platform, waiting, ledger);
    Transaction transaction(*database);
    database->InsertRows(rows);
    ledger.Record(rows.fingerprint(), rows.rows() - (database->RowsRefused() - refusedBefore));
    ledger.Commit(transaction, rows.fingerprint());
    // Durable before the rename: the renamed file is no longer a read's copy.
    database->MakeDurable();
    result.rowsRefused = database->RowsRefused();
  }
  result.archivedAs = RinominaImportato(files, waiting, platform.LocalNow());
  operation.NoteFileImport(result, path);
}

}  // namespace viruzedi
