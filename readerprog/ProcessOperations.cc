// What the reader program imports share: the
// component's own folder, running a command line to its end, and the
// import of the reader file the program leaves.
#include <csignal>
#include <cstdint>
#include <functional>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "database/Database.h"
#include "operation/ErrorReport.h"
#include "operation/FileLedger.h"
#include "operation/FileStamps.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "platform/ProcessRunner.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderOperations.h"
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
// when it finished (with reads or without). `stopRequested` is asked only
// when a signal ended the program.
void CheckReaderProgramExit(const ProcessExit& exit, const std::string& program, int32_t port,
                            const std::function<bool()>& stopRequested) {
  if (!exit.started) RaiseError(kFileNotFound, program);
  if (exit.stopped) RaiseError(kUserInterrupt);
  // Ctrl-C and a service stop reach the whole process group: the program
  // may die of the very signal that asks this operation to stop before the
  // wait has seen the request. That is the stop, not a fault of the reader.
  const bool stopSignal = exit.signal == SIGINT || exit.signal == SIGTERM;
  if (stopSignal && stopRequested()) RaiseError(kUserInterrupt);
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

// Marks the run before its program starts. A folder that cannot take the
// marker cannot take the reader file either: the program's own failure
// then says so better than the marker's would.
void MarkRun(FileSystem& files, const std::string& readerFile) {
  try {
    // Made at once under its name: nothing written aside that a crash
    // could leave behind.
    files.CreateLocked(MarkerOfRun(readerFile));
  } catch (const AutomationError&) {
  }
}

}  // namespace

ProcessExit EseguiEAttendi(Platform& platform, const std::string& commandLine, int32_t showState) {
  // The show state goes into a 16-bit field of the start-up record; a value
  // that does not fit ends the call before any process exists.
  if (showState < INT16_MIN || showState > INT16_MAX) RaiseError(kOverflow);
  return platform.Processes().Run(commandLine, [&platform] { return platform.StopRequested(); });
}

std::string PercorsoApp(Platform& platform) {
  return FolderWithSeparator(platform.ComponentFolder(), PathSeparator());
}

void ImportReaderFile(Operation& operation, const std::string& database,
                      const ReaderProgramParameters& parameters, const ReaderFileFormat& format) {
  Platform& platform = operation.platform;
  const std::string& readerFile = parameters.PercorsoFile;
  FileSystem& files = platform.Files();
  // A program that failed before writing leaves an earlier run's file: named
  // as this run's reads, it would send the person to import what may not
  // be theirs to import.
  const std::string versionBefore = files.FileVersion(readerFile);
  std::unique_ptr<Database> target;
  std::string waiting;  // the reader file's own name once it has one
  try {
    // A path the command line cannot carry fails before anything is touched.
    const std::string folder = PercorsoApp(platform);
    const std::string commandLine = ReaderProgramCommandLine(folder, parameters);
    // A wrong database must fail while the reads are still in the reader.
    target = OpenReaderTarget(database, operation.dbSettings, format);
    // Files of earlier runs that a crash left waiting after their commit
    // are archived now, so this run's file is the only one with its reads.
    SettleReaderFiles(platform, *target, readerFile, format);
    MarkRun(files, readerFile);
    CheckReaderProgramExit(EseguiEAttendi(platform, commandLine, 0),
                           folder + kReaderProgramName, parameters.PortaCOM,
                           [&platform] { return platform.StopRequested(); });

    // The reader program leaves no file when nothing was received.
    if (!files.FileExists(readerFile)) {
      RemoveMarkerOfRun(files, readerFile);
      platform.MessageBox(kNessunDatoRicevuto, kCritical, kTitoloLetturaDati);
      return;
    }
    // Held until the import ends, so `viruzedi importa` cannot take the
    // same file meanwhile; renamed under the lock to a name of its own
    // before it is fingerprinted, and archived after its commit, so the
    // next run (appending, or renaming what it finds) never meets it.
    std::unique_ptr<FileLock> lock = files.TryLock(readerFile);
    if (!lock) RaiseError(kPermissionDenied, readerFile);
    waiting = DaiNomeInAttesa(files, readerFile, platform.LocalNow());
    RemoveMarkerOfRun(files, readerFile);
    FileLedger ledger(*target, platform, ParentFolder(waiting), BaseName(waiting));
    operation.outcome.ledgerMissing = !ledger.available();
    const SetAsideLines setAside = ImportReaderLines(platform, *target, waiting, format, ledger);
    operation.outcome.rowsRefused = target->RowsRefused();
    operation.outcome.labelsSetAside = setAside.count;
    operation.outcome.setAsideFile = setAside.file;
    RinominaImportato(files, waiting, platform.LocalNow());
  } catch (const AutomationError& failure) {
    // Once the database is checked, the program runs: the reader file then
    // matters to whoever reads the error.
    AutomationError reported = failure;
    // A file this run's program wrote and that has no name of its own yet
    // keeps the marker: the next run gives it one.
    const std::string versionAfter = files.FileVersion(readerFile);
    if (!waiting.empty() || versionAfter.empty() || versionAfter == versionBefore) {
      RemoveMarkerOfRun(files, readerFile);
    }
    if (!waiting.empty()) {
      reported = AutomationError(
          failure.number, WithSentence(failure.description, kFileLettureNonImportato + waiting));
      reported.detail = failure.detail;
    } else if (target) {
      reported = NamingReaderFile(failure, readerFile, versionBefore, versionAfter);
    }
    throw reported;
  }
}

}  // namespace viruzedi
