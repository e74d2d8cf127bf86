#include "terminal/ReceivedFileImport.h"

#include <functional>
#include <optional>
#include <vector>

#include "base/Conversions.h"
#include "base/Text.h"
#include "operation/ErrorReport.h"
#include "operation/FileLedger.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"

namespace viruzedi {
namespace {

[[noreturn]] void RethrowAtLine(const std::string& path, uint64_t lineNumber,
                                const std::string& line) {
  AutomationError failure = CurrentFailure();
  BlameLine(failure, LineDetail(path, lineNumber, line));
  throw failure;
}

// Reads the file and hands the row of every line that is not blank to
// `row`, with a look at the stop request before each line. `warn` marks the
// first reading, which only checks: a rejected line shows the bad-code
// warning then, and is passed over silently the second time. Returns the
// fingerprint of the file's bytes.
std::string ForEachRow(const FileDownload& download, Platform& platform, const std::string& path,
                int16_t idUt, bool warn,
                const std::function<void(const Row& row)>& row) {
  std::unique_ptr<TextStream> stream = platform.Files().OpenTextFile(path);
  LineContext context{platform, idUt, warn};
  uint64_t lineNumber = 0;
  while (!stream->AtEndOfStream()) {
    StopIfRequested(platform);
    ++lineNumber;
    std::string line;
    try {
      line = stream->ReadLine();
      // A terminal that ends its file with an empty line sent no read there.
      if (IsBlankLine(line)) continue;
      std::optional<Row> typed = download.grammar(SplitFields(line), context);
      if (typed) {
        row(*typed);
      } else if (warn) {
        platform.MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
      }
    } catch (...) {
      RethrowAtLine(path, lineNumber, line);
    }
  }
  std::string fingerprint = stream->BytesFingerprint();
  stream->Close();
  return fingerprint;
}

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
  uint64_t rows = 0;
  const std::string fingerprint =
      ForEachRow(download, platform, path, idUt, true, [&rows](const Row&) { ++rows; });

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
    database.ExpectRows(rows);
    ForEachRow(download, platform, path, idUt, false,
               [&database](const Row& row) { database.InsertRow(row); });
    ledger.Record(fingerprint, rows - (database.RowsRefused() - refusedBefore));
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
