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
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/AutomationError.h"
#include "base/Export.h"
#include "component/Enumerations.h"
#include "component/SharedUse.h"
#include "database/DatabaseSettings.h"
#include "base/Variant.h"
#include "platform/Platform.h"
#include "readerprog/ReaderProgramDefaults.h"

namespace viruzedi {

class Recordset;
class SerialPort;
struct FileImportResult;
struct ProcessExit;
struct ReaderFileFormat;
struct ReaderProgramParameters;

// How an operation ended, for a caller that must tell success from failure
// without reading its message boxes (the command line). Owned by the object
// and replaced by each operation.
struct VIRUZEDI_API OperationOutcome {
  // It ended through a failure: an error box, a time-out, an open failure,
  // an automation error, a terminal transfer that no configured link could
  // make (its notice shown, the call returning normally as ever). Warnings
  // and "no data received" are none.
  bool failed = false;
  // The failure's number when it had one (18: a stop request ended it).
  int32_t errorNumber = 0;
  // Where in a file the failure lies (AutomationError::detail), or "".
  std::string detail;
  // Rows that a constraint of the user's table refused (dropped silently).
  uint64_t rowsRefused = 0;
  // The database has no import ledger and the user's rights did not let
  // the operation make one: it stored its rows without an entry, so a
  // crash right after its commit could have them stored twice.
  bool ledgerMissing = false;
  // Labels that a check refused: not stored, kept in `setAsideFile`.
  uint64_t labelsSetAside = 0;
  std::string setAsideFile;

  bool Interrupted() const { return errorNumber == kUserInterrupt; }
};

// The version of the loaded component library (kVersion as it was built),
// which a program compares with the kVersion it was built against.
VIRUZEDI_API const char* ComponentVersion();

// The formats of a file that `ImportaFile` imports: the operation whose
// import it repeats.
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
  int32_t Porta() const { return porta_; }
  void Porta(int32_t value) { porta_ = value; }
  const std::string& DbPath() const { return dbPath_; }
  void DbPath(std::string value) { dbPath_ = std::move(value); }
  int16_t IdUt() const { return idUt_; }
  void IdUt(int16_t value) { idUt_ = value; }

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

  Platform& platform() { return *platform_; }
  // What this object's operations open their databases with: the busy
  // timeout and the observer of rows stored (the command line's progress).
  DatabaseSettings& DbSettings() { return dbSettings_; }
  // How the last operation of this object ended.
  const OperationOutcome& LastOutcome() const { return outcome_; }

 private:
  friend struct ViruzediInternals;  // tests look at the receiver fields

  // Receive handler of Seriale: assembles the reader's lines. A line longer
  // than the receiver keeps is failure 1006, its characters left in
  // caratteriScartati_.
  void OnComm();

  // Held by every operation for its whole run: the serial control, the
  // receiver's fields and the shared forms serve one operation at a time.
  // Starts a new outcome.
  struct OperationGuard : SharedUse::Hold {
    explicit OperationGuard(Viruzedi& object);
  };

  // Records the failure that ends the running operation (with a number,
  // or without one: a time-out, an open failure).
  void NoteFailure(const AutomationError& failure);
  void NoteFailure();

  // Runs a command line as a child process and waits for it without limit;
  // a stop request ends the child (SIGTERM) and the wait. How it ended.
  ProcessExit EseguiEAttendi(const std::string& commandLine, int32_t showState = 0);
  // Folder of the component's own library file, ending in the separator.
  std::string PercorsoApp();
  // What both reader program imports do: check the database and its
  // columns, run the reader program for the reader file, then import that
  // file all or nothing (ImportReaderLines). Shows the no-data message when
  // the program finished and left no file. A failure after the check names
  // the reader file; the program's exit statuses become 5, 8002, 8005, 57,
  // a program that cannot start 53, a stop 18.
  void ImportReaderFile(const std::string& database, const ReaderProgramParameters& parameters,
                        const ReaderFileFormat& format);

  // The pipeline of the four terminal file downloads.
  Variant ScaricaFile(ImportFormat format);
  // Takes what a file's import did into the outcome; a file whose rows
  // were stored already is told in a box ("già importato il ...").
  void NoteFileImport(const FileImportResult& result, const std::string& path);
  // The parts of ImportaFile, each beside the operation it repeats.
  // Refuses (5) a file whose name belongs to another format than `format`.
  static void RefuseNameOfAnotherFormat(const std::string& path, ImportFormat format);
  // The formats whose downloads receive or archive a file under `name`.
  static std::vector<ImportFormat> ReceivedFormatsNamed(const std::string& name);
  // True for the pen's recovery file under any of its names.
  static bool IsPenRecoveryFile(const std::string& path);
  void ImportaFileRicevuto(const std::string& path, ImportFormat format);
  void ImportaFileLettore(const std::string& path, bool gs1);
  void ImportaFilePenna(const std::string& path);

  std::shared_ptr<Platform> platform_;
  int32_t porta_ = 0;
  std::string dbPath_;
  int16_t idUt_ = 0;
  DatabaseSettings dbSettings_;

  std::unique_ptr<SerialPort> Seriale;
  std::string BufferRicezione;
  std::string UltimaRiga;
  bool RigaCompleta = false;
  std::string caratteriScartati_;
  SharedUse operationRunning_;
  OperationOutcome outcome_;
};

}  // namespace viruzedi
