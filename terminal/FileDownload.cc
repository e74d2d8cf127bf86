#include "terminal/FileDownload.h"

#include <chrono>
#include <memory>

#include "database/Database.h"
#include "operation/ErrorReport.h"
#include "platform/FileSystem.h"
#include "terminal/Forms.h"
#include "terminal/ReceivedFileImport.h"
#include "terminal/UnconfirmedFiles.h"
#include "terminal/WaitingFiles.h"

namespace viruzedi {
namespace {

// The received file, locked for its import. A download that finds it locked
// meets another process looking whether it waits (a moment) or importing
// it by hand (it is then that one's): 70 after a short while.
std::unique_ptr<FileLock> LockReceivedFile(Platform& platform, const std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (std::unique_ptr<FileLock> lock = platform.Files().TryLock(path)) return lock;
    platform.SleepFor(std::chrono::milliseconds(10));
  }
  RaiseError(kPermissionDenied, path);
}

}  // namespace

void RunFileDownload(const FileDownload& download, Operation& operation) {
  Platform& platform = operation.platform;
  const std::string& dbPath = operation.dbPath;
  DatabaseSettings& settings = operation.dbSettings;
  const int16_t idUt = operation.idUt;
  {
    FileSystem& files = platform.Files();
    const std::string folder = platform.DownloadFolder();
    std::unique_ptr<Database> database;
    Reservation reservation;

    bool arrived = false;
    {
      ScaricaDuzuForm& form = ScaricaDuzu();
      // Taken before anything is set on it; unloaded at the end of the
      // block, which forgets the hook and its references to these locals.
      TakenForm taken(form);
      form.NomeCartella = folder;
      form.NumeroFile = download.numeroFile;
      form.PrimaDelTrasferimento = [&] {
        RemoveAbandonedTransfers(platform);
        // A wrong database found after the transfer would strand the reads
        // in the download folder; found now, the terminal keeps them.
        try {
          database = OpenTargetDatabase(download, dbPath, settings);
        } catch (...) {
          ShowWaitingFiles(download, platform, {});
          throw;
        }
        ShowWaitingFiles(download, platform, SettleWaitingFiles(download, platform, *database));
        reservation = ReserveTemporaryName(download, files, folder, platform.LocalNow());
        return reservation.name;
      };
      form.Load(platform);
      if (form.Errore) operation.NoteFailure(*form.Errore);
      if (form.SenzaCollegamento) operation.NoteFailure();
      arrived = form.Ricevuto;
    }
    if (reservation.name.empty()) return;  // no transfer was made

    const std::string path = JoinPath(folder, reservation.name);
    if (!arrived) {
      // Still the empty file we made: it must not pass for a waiting one.
      files.DeleteFile(path, true);
      SettleUnconfirmedFiles(download, platform, *database, folder, "");
      return;
    }
    std::unique_ptr<FileLock> received = LockReceivedFile(platform, path);
    reservation.lock.reset();
    if (SettleUnconfirmedFiles(download, platform, *database, folder, reservation.name)) {
      // The terminal never heard that this file arrived, and sent it again:
      // its rows are stored already.
      files.DeleteFile(path, true);
      return;
    }
    FileImportResult imported =
        ImportReceivedFile(download, platform, *database, folder, reservation.name, idUt);
    operation.outcome.rowsRefused = imported.rowsRefused;
    operation.outcome.ledgerMissing = imported.ledgerMissing;
  }
}

}  // namespace viruzedi
