// The four file downloads and the upload.
#include "terminal/FileDownload.h"
#include "terminal/Forms.h"
#include "terminal/TerminalOperations.h"

namespace viruzedi {

// The one pipeline of the four downloads; the format picks what differs.
void ScaricaFileTerminale(Operation& operation, ImportFormat format) {
  RunFileDownload(DownloadOf(format), operation);
}

// The upload file is the host's: the component never writes, checks or
// deletes it. Only a form that cannot be made reaches the host.
void CaricaFileTerminale(Operation& operation) {
  CaricaDuzuForm& form = CaricaDuzu();
  TakenForm taken(form);  // unloaded when the upload ends
  form.Load(operation.platform);
  if (form.Errore) operation.NoteFailure(*form.Errore);
  if (form.SenzaCollegamento) operation.NoteFailure();
}

}  // namespace viruzedi
