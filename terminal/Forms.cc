#include "terminal/Forms.h"

#include "base/AutomationError.h"
#include "component/ErrorReport.h"
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
void RefuseWhileLoaded(bool loaded) {
  if (loaded) {
    RaiseError(kOperationRefused,
               "il collegamento con il terminale è in uso da un'altra operazione");
  }
}

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

void ScaricaDuzuForm::Load(Platform& platform) {
  RefuseWhileLoaded(ctlZeveVozu1 != nullptr);
  Errore.reset();
  Ricevuto = false;
  ctlZeveVozu1 = platform.CreateTerminalLink();
  Form_Load(platform);
}

void ScaricaDuzuForm::Unload() { ctlZeveVozu1.reset(); }

void ScaricaDuzuForm::Form_Load(Platform& platform) {
  try {
    FileSystem& files = platform.Files();
    EnsureFolder(files, NomeCartella);
    if (ctlZeveVozu1->FlagAlternativo()) {
      ctlZeveVozu1->OperazioneAlternativa();
      return;
    }
    if (PrimaDelTrasferimento) NomeFile = PrimaDelTrasferimento();
    Ricevuto = ctlZeveVozu1->RiceviFile(JoinPath(NomeCartella, NomeFile), NumeroFile);
  } catch (...) {
    Errore = CurrentFailure();
    ShowGeneralError(platform, *Errore);
  }
}

void CaricaDuzuForm::Load(Platform& platform) {
  RefuseWhileLoaded(ctlZeveVozu1 != nullptr);
  Errore.reset();
  ctlZeveVozu1 = platform.CreateTerminalLink();
  Form_Load(platform);
}

void CaricaDuzuForm::Unload() { ctlZeveVozu1.reset(); }

void CaricaDuzuForm::Form_Load(Platform& platform) {
  try {
    FileSystem& files = platform.Files();
    const std::string folder = platform.DownloadFolder();
    EnsureFolder(files, folder);
    if (ctlZeveVozu1->FlagAlternativo()) {
      ctlZeveVozu1->OperazioneAlternativa();
    } else {
      ctlZeveVozu1->InviaFile(JoinPath(folder, kFileUpload));
    }
  } catch (...) {
    Errore = CurrentFailure();
    ShowGeneralError(platform, *Errore);
  }
}

}  // namespace viruzedi
