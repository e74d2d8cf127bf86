// The two transfer forms. Each carries one terminal-transfer control,
// ctlZeveVozu1, and does all its work in its load handler: a caller loads the
// form, which runs the transfer to its end, and unloads it again. The forms
// are never shown. Each is one instance shared by all objects of the
// component; like the operations that use them, they are not re-entrant.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/AutomationError.h"

#include "platform/Platform.h"
#include "platform/TerminalLink.h"

namespace viruzedi {

// Receives one file from the terminal (the file downloads).
class ScaricaDuzuForm {
 public:
  static constexpr const char kCaption[] = "Collegamento";
  static constexpr const char kEti[] = "Download dati in corso...";

  // Set by the caller before loading.
  std::string NomeCartella;  // folder that receives the file, no trailing "/"
  std::string NomeFile;      // name of the file the link writes onto
  int16_t NumeroFile = 0;    // the terminal's file to fetch
  // Called by the load handler once the link is known to transfer, just
  // before the transfer: checks what must hold before a file leaves the
  // terminal and gives the name to receive under (then NomeFile). Its
  // failures end the handler as the transfer's do. Unset: NomeFile as set.
  std::function<std::string()> PrimaDelTrasferimento;
  // The failure the load handler showed, if any (set by Load).
  std::optional<AutomationError> Errore;
  // A file arrived onto NomeCartella/NomeFile (set by Load).
  bool Ricevuto = false;

  // Creates the form's control on `platform`, then runs the load handler.
  // When Load returns the transfer is over, and NomeCartella/NomeFile holds
  // the complete file or is left as it was (the link renames onto it only).
  // A failure of the handler (folder, check, transfer) is shown in the
  // general error box, kept in Errore and not passed on. Only a failure to
  // create the control reaches the caller, as AutomationError, and 17 when
  // the form is loaded already (by another object's transfer that waits).
  void Load(Platform& platform);
  // Destroys the control.
  void Unload();

 private:
  void Form_Load(Platform& platform);
  std::unique_ptr<TerminalLink> ctlZeveVozu1;
};

// Sends the upload file <download folder>/file_up.tmp to the terminal.
class CaricaDuzuForm {
 public:
  static constexpr const char kCaption[] = "Collegamento";
  static constexpr const char kEti[] = "Upload dati in corso...";
  static constexpr const char kFileUpload[] = "file_up.tmp";

  // Creates the control on `platform`, then runs the load handler, which
  // makes sure the download folder exists and has the control send the
  // upload file (whether or not it exists: what the control then reports is
  // shown). Failures of the handler are shown in the general error box and
  // not passed on; a failure to create the control throws AutomationError,
  // and so does loading the form while it is loaded (17).
  void Load(Platform& platform);
  void Unload();
  // The failure the load handler showed, if any (set by Load).
  std::optional<AutomationError> Errore;

 private:
  void Form_Load(Platform& platform);
  std::unique_ptr<TerminalLink> ctlZeveVozu1;
};

// The single shared instances.
ScaricaDuzuForm& ScaricaDuzu();
CaricaDuzuForm& CaricaDuzu();

}  // namespace viruzedi
