#include "terminal/Forms.h"

#include "base/Errors.h"
#include "operation/ErrorReport.h"
#include "operation/OperationBoundary.h"
#include "platform/FileSystem.h"

namespace viruzedi {

ScaricaDuzuForm& ScaricaDuzu() {
  static ScaricaDuzuForm form;
  return form;
}

CaricaDuzuForm& CaricaDuzu() {
  static CaricaDuzuForm form;
  return form;
}

namespace {

// A form is one instance for every object: loading it again while another
// object's transfer runs in it would destroy the control under that transfer.
constexpr char kFormInUso[] = "il collegamento con il terminale è in uso da un'altra operazione";

// Another download may make the folder at the same moment: theirs will do.
void EnsureFolder(FileSystem& files, const std::string& folder) {
  if (files.FolderExists(folder)) return;
  try {
    files.CreateFolder(folder);
  } catch (const AutomationError& failure) {
    if (failure.number != kFileAlreadyExists || !files.FolderExists(folder)) throw;
  }
}

}  // namespace

TakenForm::TakenForm(TransferForm& form) : hold_(form.inUse_, kFormInUso), form_(form) {}

void TransferForm::Load(Platform& platform) {
  if (ctlZeveVozu1) RaiseError(kOperationRefused, kFormInUso);
  Errore.reset();
  SenzaCollegamento = false;
  Reset();
  ctlZeveVozu1 = platform.CreateTerminalLink();
  // The handler's failures are the form's to show: a caller learns of them
  // from Errore only.
  try {
    Form_Load(platform);
  } catch (...) {
    Errore = CurrentFailure();
    ShowFailure(platform, FailureRule::kGeneralBox, *Errore);
  }
}

void TransferForm::Unload() { ctlZeveVozu1.reset(); }

void ScaricaDuzuForm::Unload() {
  TransferForm::Unload();
  PrimaDelTrasferimento = nullptr;
}

void ScaricaDuzuForm::Form_Load(Platform& platform) {
  EnsureFolder(platform.Files(), NomeCartella);
  if (ctlZeveVozu1->FlagAlternativo()) {
    SenzaCollegamento = true;
    ctlZeveVozu1->OperazioneAlternativa();
    return;
  }
  if (PrimaDelTrasferimento) NomeFile = PrimaDelTrasferimento();
  Ricevuto = ctlZeveVozu1->RiceviFile(JoinPath(NomeCartella, NomeFile), NumeroFile);
}

void CaricaDuzuForm::Form_Load(Platform& platform) {
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  EnsureFolder(files, folder);
  if (ctlZeveVozu1->FlagAlternativo()) {
    SenzaCollegamento = true;
    ctlZeveVozu1->OperazioneAlternativa();
  } else {
    ctlZeveVozu1->InviaFile(JoinPath(folder, kFileUpload));
  }
}

}  // namespace viruzedi
