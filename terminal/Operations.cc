// The four file downloads and the upload of class Viruzedi.
#include "component/Viruzedi.h"
#include "terminal/FileDownload.h"
#include "terminal/Forms.h"

namespace viruzedi {

Variant Viruzedi::Scarica3() {
  OperationGuard guard(*this);
  DownloadResult result =
      RunFileDownload(DownloadOf(ImportFormat::kScarica3), *platform_, dbPath_, idUt_);
  outcome_.rowsRefused = result.rowsRefused;
  if (result.failure) NoteFailure(*result.failure);
  return {};
}

Variant Viruzedi::Scarica4() {
  OperationGuard guard(*this);
  DownloadResult result =
      RunFileDownload(DownloadOf(ImportFormat::kScarica4), *platform_, dbPath_, idUt_);
  outcome_.rowsRefused = result.rowsRefused;
  if (result.failure) NoteFailure(*result.failure);
  return {};
}

Variant Viruzedi::Scarica5() {
  OperationGuard guard(*this);
  DownloadResult result =
      RunFileDownload(DownloadOf(ImportFormat::kScarica5), *platform_, dbPath_, idUt_);
  outcome_.rowsRefused = result.rowsRefused;
  if (result.failure) NoteFailure(*result.failure);
  return {};
}

Variant Viruzedi::Scarica_RimesseOF() {
  OperationGuard guard(*this);
  DownloadResult result =
      RunFileDownload(DownloadOf(ImportFormat::kScaricaRimesseOF), *platform_, dbPath_, idUt_);
  outcome_.rowsRefused = result.rowsRefused;
  if (result.failure) NoteFailure(*result.failure);
  return {};
}

// The upload file is the host's: the component never writes, checks or
// deletes it. Only a form that cannot be made reaches the host.
Variant Viruzedi::Upload1() {
  OperationGuard guard(*this);
  CaricaDuzuForm& form = CaricaDuzu();
  form.Load(*platform_);
  form.Unload();
  if (form.Errore) NoteFailure(*form.Errore);
  return {};
}

}  // namespace viruzedi
