// The formats of a file that waits to be imported (Viruzedi::ImportaFile).
#pragma once

#include "viruzedi/Export.h"

namespace viruzedi {

// The operation whose import a file repeats.
enum class ImportFormat {
  kScarica,            // the pen's recovery file (its lines as the pen sent them)
  kScarica3,           // received files
  kScarica4,
  kScarica5,
  kScaricaRimesseOF,
  kScarica2,           // reader files
  kScaricaZidoriVovi,
};

// Every format, and the name a person gives it: the command that makes such
// files ("scarica4", "scarica-rimesseof", ...).
inline constexpr ImportFormat kImportFormats[] = {
    ImportFormat::kScarica,          ImportFormat::kScarica3, ImportFormat::kScarica4,
    ImportFormat::kScarica5,         ImportFormat::kScaricaRimesseOF, ImportFormat::kScarica2,
    ImportFormat::kScaricaZidoriVovi};
VIRUZEDI_API const char* ImportFormatName(ImportFormat format);

}  // namespace viruzedi
