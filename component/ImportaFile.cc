// ImportaFile: hands a waiting file to the import of the operation whose
// format it has.
#include <algorithm>

#include "component/FileLedger.h"
#include "component/FormatOfFile.h"
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
  outcome_.labelsSetAside = result.linesSetAside;
  outcome_.setAsideFile = result.setAsideFile;
  if (!result.importedOn.empty()) {
    platform_->MessageBox(path + ": già importato il " + result.importedOn +
                              "; nessuna riga salvata di nuovo, il file è ora " +
                              BaseName(result.archivedAs) + ".",
                          kOkOnly, kTitoloAttenzione);
  }
}

void Viruzedi::RefuseNameOfAnotherFormat(const std::string& path, ImportFormat format) {
  const std::vector<ImportFormat> named = IsPenRecoveryFile(path)
                                              ? std::vector<ImportFormat>{ImportFormat::kScarica}
                                              : ReceivedFormatsNamed(BaseName(path));
  if (named.empty()) {
    // A reader file may have any name, and so may a file of pen lines; a
    // received file has the one its download gave it.
    if (format != ImportFormat::kScarica && format != ImportFormat::kScarica2 &&
        format != ImportFormat::kScaricaZidoriVovi) {
      RaiseNotOfFormat(path, format, kNomeNonDiFileRicevuto, kFileAlreadyExists);
    }
    return;
  }
  if (std::find(named.begin(), named.end(), format) == named.end()) {
    RaiseNotOfFormat(path, format, NameOfFormats(named), kFileAlreadyExists);
  }
}

void Viruzedi::ImportaFile(const std::string& path, ImportFormat format) {
  OperationGuard guard(*this);
  try {
    if (!platform_->Files().FileExists(path)) RaiseError(kFileNotFound, path);
    RefuseNameOfAnotherFormat(path, format);
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
