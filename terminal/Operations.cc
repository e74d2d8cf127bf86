// The four file downloads and the upload of class Viruzedi.
#include "component/Viruzedi.h"
#include "terminal/FileDownload.h"
#include "terminal/Forms.h"

namespace viruzedi {

// The one pipeline of the four downloads; the format picks what differs.
Variant Viruzedi::ScaricaFile(ImportFormat format) {
  OperationGuard guard(*this);
  DownloadResult result = RunFileDownload(DownloadOf(format), *platform_, dbPath_, dbSettings_, idUt_);
  outcome_.rowsRefused = result.rowsRefused;
  outcome_.ledgerMissing = result.ledgerMissing;
  if (result.failure) NoteFailure(*result.failure);
  if (result.linkMissing) NoteFailure();
  return {};
}

Variant Viruzedi::Scarica3() { return ScaricaFile(ImportFormat::kScarica3); }
Variant Viruzedi::Scarica4() { return ScaricaFile(ImportFormat::kScarica4); }
Variant Viruzedi::Scarica5() { return ScaricaFile(ImportFormat::kScarica5); }
Variant Viruzedi::Scarica_RimesseOF() { return ScaricaFile(ImportFormat::kScaricaRimesseOF); }

// The upload file is the host's: the component never writes, checks or
// deletes it. Only a form that cannot be made reaches the host.
Variant Viruzedi::Upload1() {
  OperationGuard guard(*this);
  CaricaDuzuForm& form = CaricaDuzu();
  TakenForm taken(form);  // unloaded when the upload ends
  form.Load(*platform_);
  if (form.Errore) NoteFailure(*form.Errore);
  if (form.SenzaCollegamento) NoteFailure();
  return {};
}

}  // namespace viruzedi
