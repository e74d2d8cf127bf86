// Scarica1: the infrared download, with its one error handler around the
// whole call.
#include "operation/ErrorReport.h"
#include "infrared/InfraredDialogue.h"
#include "infrared/InfraredOperations.h"
#include "infrared/InfraredRecord.h"
#include "infrared/InfraredTexts.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"

namespace viruzedi {

namespace {

// "KO" in the outcome marker, which the host reads to offer a retry.
void WriteFailureMarker(FileSystem& files, const std::string& marker) {
  files.WriteTextFile(marker, kEsitoFallito);
}

}  // namespace

void ScaricaInfrarossi(Operation& operation) {
  Platform& platform = operation.platform;
  InfraredRecordImport records(platform, operation.dbPath, operation.dbSettings, operation.porta);
  InfraredDialogue dialogue(platform,
                            {[&records](const std::string& reply) { records.Import(reply); },
                             [&records] { records.Store(); }, [&records] { records.Erased(); }});
  std::string marker;
  try {
    FileSystem& files = platform.Files();
    std::string folder = platform.DownloadFolder();
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    marker = JoinPath(folder, kFileEsito);
    // Before the reader is asked for anything, so that a wrong database
    // ends the download with the reader untouched.
    records.CheckDatabase();

    // Every end but success leaves no row of this download: the reader
    // keeps its records for the relaunch that the messages ask for.
    InfraredDialogue::End end = dialogue.Run(operation.porta);
    if (end != InfraredDialogue::End::kSuccess) operation.NoteFailure();
    switch (end) {
      case InfraredDialogue::End::kSuccess:
        break;
      case InfraredDialogue::End::kOpenFailure:
        platform.MessageBox(kErroreAperturaPorta, kOkOnly, kTitoloPredefinito);
        WriteFailureMarker(files, marker);
        break;
      case InfraredDialogue::End::kHandshakeTimeout:
        platform.MessageBox(kErroreTimeoutHandshake, kCritical, kTitoloPredefinito);
        break;
      case InfraredDialogue::End::kEmptyReplyTimeout:
      case InfraredDialogue::End::kRecordTimeout:
        platform.MessageBox(kErroreTimeout, kOkOnly, kTitoloPredefinito);
        WriteFailureMarker(files, marker);
        break;
    }
  } catch (...) {
    // Settled before the person reads of the failure, which the operation's
    // boundary shows.
    const AutomationError failure = CurrentFailure();
    // The link is closed before the message, as after a time-out.
    dialogue.CloseIfOpen();
    if (failure.number == kUserInterrupt && !marker.empty()) {
      // A stopped download is one to relaunch, as after a time-out.
      try {
        WriteFailureMarker(platform.Files(), marker);
      } catch (...) {
        // The stop is the failure to report.
      }
    }
    operation.outcome.rowsRefused = records.RowsRefused();
    operation.outcome.ledgerMissing = records.ledgerMissing();
    throw failure;
  }
  operation.outcome.rowsRefused = records.RowsRefused();
  operation.outcome.ledgerMissing = records.ledgerMissing();
}

}  // namespace viruzedi
