// The private operations that the reader program imports share: the
// component's own folder, running a command line to its end, and the
// import of the reader file the program leaves.
#include <cstdint>

#include "base/AutomationError.h"
#include "base/Conversions.h"
#include "database/Database.h"
#include "component/ErrorReport.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "platform/ProcessRunner.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

namespace {

// The reader program's exit statuses, each a failure of its own.
enum ReaderProgramStatus {
  kFinished = 0,
  kArgumentsRefused = 2,
  kPortNotOpened = 3,
  kPortBusy = 4,
};

// Throws the failure that the reader program's end stands for; returns
// when it finished (with reads or without).
void CheckReaderProgramExit(const ProcessExit& exit, const std::string& program,
                            int32_t port) {
  if (!exit.started) RaiseError(kFileNotFound, program);
  if (exit.stopped) RaiseError(kUserInterrupt);
  if (exit.signal != 0) {
    RaiseError(kDeviceIoError, kTerminatoDalSegnale + std::to_string(exit.signal));
  }
  switch (exit.exitCode) {
    case kFinished: return;
    case kArgumentsRefused: RaiseError(kInvalidArgument, kArgomentiRifiutati);
    case kPortNotOpened: RaiseError(kInvalidPortNumber, kPortaNonAperta + std::to_string(port));
    case kPortBusy: RaiseError(kPortAlreadyOpen, kPortaOccupata + std::to_string(port));
    default: RaiseError(kDeviceIoError, kTerminatoConStato + std::to_string(exit.exitCode));
  }
}

}  // namespace

ProcessExit Viruzedi::EseguiEAttendi(const std::string& commandLine, int32_t showState) {
  // The show state goes into a 16-bit field of the start-up record; a value
  // that does not fit ends the call before any process exists.
  if (showState < INT16_MIN || showState > INT16_MAX) RaiseError(kOverflow);
  return platform().Processes().Run(commandLine, [this] { return platform().StopRequested(); });
}

std::string Viruzedi::PercorsoApp() {
  return FolderWithSeparator(platform().ComponentFolder(), PathSeparator());
}

void Viruzedi::ImportReaderFile(const std::string& database,
                                const ReaderProgramParameters& parameters,
                                const ReaderFileFormat& format) {
  const std::string& readerFile = parameters.PercorsoFile;
  FileSystem& files = platform().Files();
  // A program that failed before writing leaves an earlier run's file,
  // whose rows are stored: named as unimported, it would be stored twice.
  const std::string versionBefore = files.FileVersion(readerFile);
  std::unique_ptr<Database> target;
  try {
    // A wrong database must fail while the reads are still in the reader.
    target = OpenReaderTarget(database, dbSettings_, format);
    const std::string folder = PercorsoApp();
    CheckReaderProgramExit(EseguiEAttendi(ReaderProgramCommandLine(folder, parameters), 0),
                           folder + kReaderProgramName, parameters.PortaCOM);

    // The reader program leaves no file when nothing was received.
    if (!files.FileExists(readerFile)) {
      platform().MessageBox(kNessunDatoRicevuto, kCritical, kTitoloLetturaDati);
      return;
    }
    // Held until the import ends, so `viruzedi importa` cannot take the
    // same file meanwhile.
    std::unique_ptr<FileLock> lock = files.TryLock(readerFile);
    if (!lock) RaiseError(kPermissionDenied, readerFile);
    ImportReaderLines(platform(), *target, readerFile, format);
    outcome_.rowsRefused = target->RowsRefused();
  } catch (const AutomationError& failure) {
    // Once the database is checked, the program runs: the reader file then
    // matters to whoever reads the error.
    AutomationError reported =
        target ? NamingReaderFile(failure, readerFile, versionBefore, files.FileVersion(readerFile))
               : failure;
    NoteFailure(reported);
    throw reported;
  }
}

}  // namespace viruzedi
