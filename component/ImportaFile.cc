// ImportaFile: hands a waiting file to the import of the operation whose
// format it has.
#include "component/FileLedger.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"

namespace viruzedi {

const char* ImportFormatName(ImportFormat format) {
  switch (format) {
    case ImportFormat::kScarica: return "scarica";
    case ImportFormat::kScarica3: return "scarica3";
    case ImportFormat::kScarica4: return "scarica4";
    case ImportFormat::kScarica5: return "scarica5";
    case ImportFormat::kScaricaRimesseOF: return "scarica-rimesseof";
    case ImportFormat::kScarica2: return "scarica2";
    case ImportFormat::kScaricaZidoriVovi: return "scarica-zidorivovi";
  }
  return "";
}

void Viruzedi::NoteFileImport(const FileImportResult& result, const std::string& path) {
  outcome_.rowsRefused = result.rowsRefused;
  outcome_.ledgerMissing = result.ledgerMissing;
  if (!result.importedOn.empty()) {
    platform_->MessageBox(path + ": già importato il " + result.importedOn +
                              "; nessuna riga salvata di nuovo, il file è ora " +
                              BaseName(result.archivedAs) + ".",
                          kOkOnly, kTitoloAttenzione);
  }
}

void Viruzedi::ImportaFile(const std::string& path, ImportFormat format) {
  OperationGuard guard(*this);
  try {
    switch (format) {
      case ImportFormat::kScarica: ImportaFilePenna(path); break;
      case ImportFormat::kScarica3:
      case ImportFormat::kScarica4:
      case ImportFormat::kScarica5:
      case ImportFormat::kScaricaRimesseOF: ImportaFileRicevuto(path, format); break;
      case ImportFormat::kScarica2: ImportaFileLettore(path, false); break;
      case ImportFormat::kScaricaZidoriVovi: ImportaFileLettore(path, true); break;
    }
  } catch (const AutomationError& failure) {
    NoteFailure(failure);
    throw;
  }
}

}  // namespace viruzedi
