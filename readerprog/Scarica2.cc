// Reader file import: the reader program fetches the reads into a text
// file, whose lines (article code; quantity[; lot id]) are then appended
// to table viruzedi of the database the caller names.
#include "component/Conversions.h"
#include "component/Database.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi {

void Viruzedi::Scarica2(const std::string& PercorsoMDB, const std::string& PercorsoFile,
                        int32_t PortaCOM, int32_t Baud, int32_t ModFile, bool CR, bool LF,
                        bool MostraErrore, bool MostraFile, bool MostraMaschera,
                        int16_t Timeout) {
  OperationGuard guard(*this);
  const std::string commandLine = ReaderProgramCommandLine(
      PercorsoApp(), {PercorsoFile, PortaCOM, Baud, ModFile, CR, LF, MostraErrore, MostraFile,
                      MostraMaschera, Timeout});
  EseguiEAttendi(commandLine, 0);

  // The reader program leaves no file when nothing was received.
  FileSystem& files = platform().Files();
  if (!files.FileExists(PercorsoFile)) {
    platform().MessageBox(kNessunDatoRicevuto, kCritical, kTitoloLetturaDati);
    return;
  }

  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(PercorsoMDB);
  std::unique_ptr<Recordset> records =
      database->OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  std::unique_ptr<TextStream> file = files.OpenTextFile(PercorsoFile);

  // No transaction: each row is saved by itself, and a failure leaves the
  // rows saved before it (the one added and not saved goes with the set).
  while (!file->AtEndOfStream()) {
    const std::string line = file->ReadLine();
    if (TrimSpaces(line).empty()) continue;
    // Fields are stored as read, untrimmed; the database converts the text.
    const std::vector<std::string> fields = SplitFields(line);
    records->AddNew();
    records->SetCollect("Codart", FieldAt(fields, 0));
    records->SetCollect("Quantità", FieldAt(fields, 1));
    if (fields.size() >= 3) {
      records->SetCollect("IDLotto", fields[2]);
    } else {
      records->SetCollect("IDLotto", int16_t{0});
    }
    const LocalDateTime now = platform().LocalNow();
    records->SetCollect("Data", CalendarDate{now.year, now.month, now.day});
    records->Update();
  }

  records->Close();
  database->Close();
  file->Close();
}

}  // namespace viruzedi
