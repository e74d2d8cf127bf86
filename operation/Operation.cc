#include "operation/Operation.h"

#include "operation/Messages.h"
#include "platform/FileSystem.h"

namespace viruzedi {

void Operation::NoteFailure(const AutomationError& failure) {
  outcome.failed = true;
  outcome.errorNumber = failure.number;
  outcome.detail = failure.detail;
}

void Operation::NoteFailure() { outcome.failed = true; }

void Operation::NoteFileImport(const FileImportResult& result, const std::string& path) {
  outcome.rowsRefused = result.rowsRefused;
  outcome.ledgerMissing = result.ledgerMissing;
  outcome.labelsSetAside = result.linesSetAside;
  outcome.setAsideFile = result.setAsideFile;
  if (!result.importedOn.empty()) {
    platform.MessageBox(path + ": già importato il " + result.importedOn +
                            "; nessuna riga salvata di nuovo, il file è ora " +
                            BaseName(result.archivedAs) + ".",
                        kOkOnly, kTitoloAttenzione);
  }
}

}  // namespace viruzedi
