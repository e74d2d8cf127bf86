// The two transfer forms. Each carries one terminal-transfer control,
// ctlZeveVozu1, and does all its work in its load handler: a caller loads the
// form, which runs the transfer to its end, and unloads it again. The forms
// are never shown. Each is one instance shared by all objects of the
// component; like the operations that use them, they are not re-entrant.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
  std::string NomeFile;      // name of the file to create there
  int16_t NumeroFile = 0;    // the terminal's file to fetch

  // Creates the form's control on `platform`, then runs the load handler.
  // When Load returns the transfer is over, and NomeCartella/NomeFile either
  // holds the complete file or does not exist — except when an older file of
  // that name could not be deleted (read-only), which then stays. A failure
  // of the handler (folder, deletion, transfer) is shown in the general error
  // box and not passed on. Only a failure to create the control reaches the
  // caller, as AutomationError, and 17 when the form is loaded already (by
  // another object's transfer that waits).
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

 private:
  void Form_Load(Platform& platform);
  std::unique_ptr<TerminalLink> ctlZeveVozu1;
};

// The single shared instances.
ScaricaDuzuForm& ScaricaDuzu();
CaricaDuzuForm& CaricaDuzu();

}  // namespace viruzedi
