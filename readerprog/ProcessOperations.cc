// The private operations that the reader program imports share: the
// component's own folder, running a command line to its end, and the
// import of the reader file the program leaves.
#include <cstdint>

#include "component/AutomationError.h"
#include "component/Conversions.h"
#include "component/Database.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "platform/ProcessRunner.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi {

void Viruzedi::EseguiEAttendi(const std::string& commandLine, int32_t showState) {
  // The show state goes into a 16-bit field of the start-up record; a value
  // that does not fit ends the call before any process exists.
  if (showState < INT16_MIN || showState > INT16_MAX) RaiseError(kOverflow);
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) return;
  // A program that cannot start is not reported: the import then finds no
  // reader file and says that no data arrived.
  platform().Processes().RunAndWait(arguments);
}

std::string Viruzedi::PercorsoApp() {
  return FolderWithSeparator(platform().ComponentFolder(), '/');
}

void Viruzedi::ImportReaderFile(
    const std::string& database, const ReaderProgramParameters& parameters,
    const std::function<void(Recordset&, const std::vector<std::string>&)>& appendLine) {
  EseguiEAttendi(ReaderProgramCommandLine(PercorsoApp(), parameters), 0);

  // The reader program leaves no file when nothing was received.
  FileSystem& files = platform().Files();
  if (!files.FileExists(parameters.PercorsoFile)) {
    platform().MessageBox(kNessunDatoRicevuto, kCritical, kTitoloLetturaDati);
    return;
  }

  std::unique_ptr<Database> target = DBEngine::Instance().OpenDatabase(database);
  std::unique_ptr<Recordset> records =
      target->OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  std::unique_ptr<TextStream> file = files.OpenTextFile(parameters.PercorsoFile);
  // No transaction: each row is saved by itself, and a failure leaves the
  // rows saved before it (the one added and not saved goes with the set).
  while (!file->AtEndOfStream()) {
    const std::string line = file->ReadLine();
    if (TrimSpaces(line).empty()) continue;
    appendLine(*records, SplitFields(line));
  }
  records->Close();
  target->Close();
  file->Close();
}

}  // namespace viruzedi
