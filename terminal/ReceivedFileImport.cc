#include "terminal/ReceivedFileImport.h"

#include <optional>
#include <vector>

#include "base/Conversions.h"
#include "base/Text.h"
#include "operation/ErrorReport.h"
#include "operation/FileLedger.h"
#include "operation/FileRows.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"

namespace viruzedi {
namespace {

// The rows of a received file's lines, each by the download's grammar. The
// first reading only checks: a rejected line shows the bad-code warning
// then, and is passed over silently by the readings that write.
class ReceivedRows : public FileRows {
 public:
  ReceivedRows(const FileDownload& download, Platform& platform, std::string path, int16_t idUt)
      : FileRows(platform, std::move(path), true),
        download_(download),
        context_{platform, idUt, true} {}

 private:
  void RowsOfLine(const std::string& line, bool firstReading, std::vector<Row>& rows) override {
    context_.checkOnly = firstReading;
    SplitFieldsInto(line, fields_);
    std::optional<Row> typed = download_.grammar(fields_, context_);
    if (typed) {
      rows.push_back(std::move(*typed));
    } else if (firstReading) {
      platform().MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
    }
  }

  const FileDownload& download_;
  LineContext context_;
  std::vector<std::string> fields_;
};

}  // namespace

std::unique_ptr<Database> OpenTargetDatabase(const FileDownload& download,
                                             const std::string& dbPath,
                                             DatabaseSettings& settings) {
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(dbPath, settings);
  database->CheckWritable(
      download.table, std::vector<std::string>(download.columns.begin(), download.columns.end()));
  return database;
}

FileImportResult ImportReceivedFile(const FileDownload& download, Platform& platform,
                                    Database& database, const std::string& folder,
                                    const std::string& name, int16_t idUt) {
  FileSystem& files = platform.Files();
  const std::string path = JoinPath(folder, name);
  FileImportResult result;
  FileLedger ledger(database, platform, folder, name);
  result.ledgerMissing = !ledger.available();
  if (std::optional<std::string> importedOn = ledger.ImportedOn()) {
    // Its rows were committed by an import that ended before its archive
    // rename (a crash): only that rename is left to do.
    database.Close();
    result.importedOn = *importedOn;
    result.archivedAs = ArchiveReceivedFile(download, files, folder, name, platform.LocalNow());
    return result;
  }

  // Every line is checked (and its warning shown) before anything is
  // written. The rows are then made again from the file rather than kept:
  // the lines are cheap to read twice, and memory stays flat however long
  // the file.
  ReceivedRows rows(download, platform, path, idUt);
  Row row;
  rows.Rewind();
  while (rows.Next(row)) {
  }
  const uint64_t count = rows.rows();
  const std::string fingerprint = rows.fingerprint();

  // Rows stored under a file that then cannot take its archive name would
  // be stored again by whoever imports the waiting file.
  if (download.archive == ArchiveRule::kImportato &&
      files.FileExists(JoinPath(folder, ImportatoName(name)))) {
    RaiseError(kFileAlreadyExists, JoinPath(folder, ImportatoName(name)));
  }

  const uint64_t refusedBefore = database.RowsRefused();
  {
    // One short transaction once every line is checked, so other
    // workstations wait for the writing only, never for the reading. The
    // ledger's entry is its last statement and commits with the rows.
    Transaction transaction(database);
    database.ExpectRows(count);
    database.InsertRows(rows);
    ledger.Record(fingerprint, count - (database.RowsRefused() - refusedBefore));
    ledger.Commit(transaction, fingerprint);
  }
  // The archived file is the only trace of what the terminal sent: its rows
  // must be on disk before it stops looking unimported.
  database.MakeDurable();
  result.rowsRefused = database.RowsRefused() - refusedBefore;
  database.Close();

  result.archivedAs = ArchiveReceivedFile(download, files, folder, name, platform.LocalNow());
  return result;
}

}  // namespace viruzedi
