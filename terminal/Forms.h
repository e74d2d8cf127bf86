// The two transfer forms. Each carries one terminal-transfer control,
// ctlZeveVozu1, and does all its work in its load handler: a caller loads the
// form, which runs the transfer to its end, and unloads it again. The forms
// are never shown. Each is one instance shared by all objects of the
// component; a transfer takes it with TakenForm before it sets anything.
//
// Threads: a form is used by the thread that took it, until it lets it go;
// a taker on another thread (or another object's, on this one) meanwhile is
// refused with 17.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Errors.h"
#include "operation/SharedUse.h"
#include "viruzedi/Platform.h"
#include "platform/TerminalLink.h"

namespace viruzedi {

// What both forms share: the control made on load and destroyed on unload,
// and the failure their load handler showed.
class TransferForm {
 public:
  static constexpr const char kCaption[] = "Collegamento";

  virtual ~TransferForm() = default;

  // Creates the form's control on `platform`, then runs the load handler.
  // When Load returns the transfer is over. A failure of the handler is
  // shown in the general error box, kept in Errore and not passed on. Only
  // a failure to create the control reaches the caller, as AutomationError,
  // and 17 when the form is loaded already.
  void Load(Platform& platform);
  // Destroys the control.
  virtual void Unload();

  // The failure the load handler showed, if any (set by Load).
  std::optional<AutomationError> Errore;
  // No link could transfer (none configured, or a setting not understood):
  // the handler showed the link's notice instead (set by Load). Nothing
  // was sent or received, and nothing ever will be until the setting is
  // mended, which a scheduled run must not take for an empty terminal.
  bool SenzaCollegamento = false;

 protected:
  // Clears what the last load left, before the control is made.
  virtual void Reset() {}
  // The load handler: runs the transfer with ctlZeveVozu1.
  virtual void Form_Load(Platform& platform) = 0;

  std::unique_ptr<TerminalLink> ctlZeveVozu1;

 private:
  friend class TakenForm;
  SharedUse inUse_;
};

// Receives one file from the terminal (the file downloads).
class ScaricaDuzuForm : public TransferForm {
 public:
  static constexpr const char kEti[] = "Download dati in corso...";

  // Set by the caller before loading.
  std::string NomeCartella;  // folder that receives the file, no trailing "/"
  std::string NomeFile;      // name of the file the link writes onto
  int16_t NumeroFile = 0;    // the terminal's file to fetch
  // Called by the load handler once the link is known to transfer, just
  // before the transfer: checks what must hold before a file leaves the
  // terminal and gives the name to receive under (then NomeFile). Its
  // failures end the handler as the transfer's do. Unset: NomeFile as set.
  // Forgotten on unload, since it captures its caller's locals.
  std::function<std::string()> PrimaDelTrasferimento;
  // A file arrived onto NomeCartella/NomeFile (set by Load). When Load
  // returns, NomeCartella/NomeFile holds the complete file or is left as it
  // was (the link renames onto it only).
  bool Ricevuto = false;

  void Unload() override;

 private:
  void Reset() override { Ricevuto = false; }
  // Makes sure the folder exists, then has the control receive the file.
  void Form_Load(Platform& platform) override;
};

// Sends the upload file <download folder>/file_up.tmp to the terminal.
class CaricaDuzuForm : public TransferForm {
 public:
  static constexpr const char kEti[] = "Upload dati in corso...";
  static constexpr const char kFileUpload[] = "file_up.tmp";

 private:
  // Makes sure the download folder exists and has the control send the
  // upload file (whether or not it exists: what the control then reports
  // is shown).
  void Form_Load(Platform& platform) override;
};

// The single shared instances.
ScaricaDuzuForm& ScaricaDuzu();
CaricaDuzuForm& CaricaDuzu();

// A shared form held for one transfer, from before its fields are set until
// it is unloaded again (by the destructor). Throws AutomationError 17 while
// another transfer holds the form, leaving the form untouched.
class TakenForm {
 public:
  explicit TakenForm(TransferForm& form);
  ~TakenForm() { form_.Unload(); }
  TakenForm(const TakenForm&) = delete;
  TakenForm& operator=(const TakenForm&) = delete;

 private:
  SharedUse::Hold hold_;
  TransferForm& form_;
};

}  // namespace viruzedi
