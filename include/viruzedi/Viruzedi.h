// The component's one public, creatable class.
//
// A host creates an object, sets Porta, DbPath and IdUt, and calls one
// operation at a time on the thread that created it. Operations that have a
// result always return an Empty Variant: Scarica, Scarica1, the four file
// downloads and Upload1's form show their failures in message boxes and
// return normally, while Scarica2, Scarica_ZidoriVovi and Upload1 trap
// nothing and throw AutomationError.
//
// Operations wait for devices while letting the host's events run; a host
// event that calls a second operation on the same object meanwhile is
// refused with AutomationError 17, and the first goes on undisturbed.
//
// Threads: each object on one thread at a time; different objects may run
// on different threads at once, and one that needs a piece the process
// shares (a transfer form, the infrared link) while another holds it is
// refused with 17.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "viruzedi/AutomationError.h"
#include "viruzedi/Enumerations.h"
#include "viruzedi/Export.h"
#include "viruzedi/ImportFormat.h"
#include "viruzedi/OperationOutcome.h"
#include "viruzedi/Platform.h"
#include "viruzedi/ReaderProgramDefaults.h"
#include "viruzedi/Variant.h"
#include "viruzedi/Version.h"

namespace viruzedi {

class VIRUZEDI_API Viruzedi {
 public:
  // Creates the object on the default (real) platform, or on the given one.
  // Creation builds and configures the serial-port control without opening
  // its port.
  Viruzedi();
  explicit Viruzedi(std::shared_ptr<Platform> platform);
  // Releases the serial-port control; a port still open is closed with it.
  ~Viruzedi();
  Viruzedi(const Viruzedi&) = delete;
  Viruzedi& operator=(const Viruzedi&) = delete;

  // --- Properties: plain stored values, never checked --------------------
  int32_t Porta() const;
  void Porta(int32_t value);
  const std::string& DbPath() const;
  void DbPath(std::string value);
  int16_t IdUt() const;
  void IdUt(int16_t value);

  // --- Operations ---------------------------------------------------------
  // Pen reader download over the object's serial port into table Viruzedi.
  Variant Scarica();
  // Terminal file downloads: file 1 as sub-order reads, file 1 as stock
  // movements, file 2 as a reconciliation, file 1 as remittances.
  Variant Scarica3();
  Variant Scarica4();
  Variant Scarica5();
  Variant Scarica_RimesseOF();
  // Infrared download through the infrared link library.
  Variant Scarica1();
  // Sends the prepared upload file to the terminal. Throws AutomationError
  // only when the form itself cannot be made.
  Variant Upload1();
  // Checks PercorsoMDB's table viruzedi, runs the reader program, then
  // appends the lines of its reader file to that table, all or none.
  // Throws AutomationError on any failure (naming the reader file once the
  // program has run); a reader that sent nothing is the no-data message.
  void Scarica2(const std::string& PercorsoMDB, const std::string& PercorsoFile,
                int32_t PortaCOM = reader_program_defaults::kPortaCOM,
                int32_t Baud = reader_program_defaults::kBaud,
                int32_t ModFile = reader_program_defaults::kModFile,
                bool CR = reader_program_defaults::kCR, bool LF = reader_program_defaults::kLF,
                bool MostraErrore = reader_program_defaults::kMostraErrore,
                bool MostraFile = reader_program_defaults::kMostraFile,
                bool MostraMaschera = reader_program_defaults::kMostraMaschera,
                int16_t Timeout = reader_program_defaults::kTimeout);
  // As Scarica2, decoding GS1 element strings of logistics labels.
  void Scarica_ZidoriVovi(const std::string& MDB_TabellaTemp, const std::string& FileTxtTemp,
                          int32_t PortaCOM = reader_program_defaults::kPortaCOM,
                          int32_t Baud = reader_program_defaults::kBaud,
                          int32_t ModFile = reader_program_defaults::kModFile,
                          bool CR = reader_program_defaults::kCR,
                          bool LF = reader_program_defaults::kLF,
                          bool MostraErrore = reader_program_defaults::kMostraErrore,
                          bool MostraFile = reader_program_defaults::kMostraFile,
                          bool MostraMaschera = reader_program_defaults::kMostraMaschera,
                          int16_t Timeout = reader_program_defaults::kTimeout);

  // Imports a file that waits (a received file whose import failed, a
  // reader file, the pen's recovery file) as the operation of `format`
  // would, into DbPath (remittances with IdUt), all rows or none, holding
  // the file locked meanwhile. A received file is then archived as its
  // download would; any other is renamed <name>.importato-<yyyymmdd-hhnnss>.
  // Throws AutomationError: 53 when missing; 5 when the file is not of
  // `format`: its name is another format's (a received file's, the pen's
  // recovery file's; a reader file may have any name), or a received
  // file's name is not, or it has lines and none of them is a line of the
  // format (two formats share the remittances' prefix); 70 when another
  // process holds it (a download still working on it); 58 when it is
  // archived or imported already (by its name); the import's own errors
  // (with the line in `detail`). After any of them nothing is stored and
  // the file stays as it was.
  void ImportaFile(const std::string& path, ImportFormat format);

  // How the last operation of this object ended.
  const OperationOutcome& LastOutcome() const;

  // What the object holds between its operations. Its type is the
  // component's own: the command line and the tests reach the object's
  // database settings and serial control through it; a host has no use for
  // it, and the installed headers do not describe it.
  struct State;
  State& state() { return *state_; }

 private:
  std::unique_ptr<State> state_;
};

}  // namespace viruzedi
