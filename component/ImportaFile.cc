// ImportaFile: hands a waiting file to the import of the operation whose
// format it has.
#include <algorithm>

#include "operation/FileLedger.h"
#include "operation/FormatOfFile.h"
#include "operation/Messages.h"
#include "component/WaitingFileImport.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderOperations.h"
#include "serial/PenOperations.h"
#include "terminal/TerminalOperations.h"

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

namespace {

// Refuses (58) a file whose name belongs to another format than `format`.
void RefuseNameOfAnotherFormat(const std::string& path, ImportFormat format) {
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

}  // namespace

void ImportaFileInAttesa(Operation& operation, const std::string& path, ImportFormat format) {
  if (!operation.platform.Files().FileExists(path)) RaiseError(kFileNotFound, path);
  RefuseNameOfAnotherFormat(path, format);
  switch (format) {
    case ImportFormat::kScarica: ImportaFilePenna(operation, path); break;
    case ImportFormat::kScarica3:
    case ImportFormat::kScarica4:
    case ImportFormat::kScarica5:
    case ImportFormat::kScaricaRimesseOF: ImportaFileRicevuto(operation, path, format); break;
    case ImportFormat::kScarica2: ImportaFileLettore(operation, path, false); break;
    case ImportFormat::kScaricaZidoriVovi: ImportaFileLettore(operation, path, true); break;
  }
}

}  // namespace viruzedi
