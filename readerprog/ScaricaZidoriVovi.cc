// GS1 label import: as the reader file import, with each line holding a
// label's element string and its SSCC, decoded into one row of viruzedi.
#include "component/Conversions.h"
#include "component/Database.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "readerprog/Gs1Label.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi {

void Viruzedi::Scarica_ZidoriVovi(const std::string& MDB_TabellaTemp,
                                  const std::string& FileTxtTemp, int32_t PortaCOM,
                                  int32_t Baud, int32_t ModFile, bool CR, bool LF,
                                  bool MostraErrore, bool MostraFile, bool MostraMaschera,
                                  int16_t Timeout) {
  OperationGuard guard(*this);
  const std::string commandLine = ReaderProgramCommandLine(
      PercorsoApp(), {FileTxtTemp, PortaCOM, Baud, ModFile, CR, LF, MostraErrore, MostraFile,
                      MostraMaschera, Timeout});
  EseguiEAttendi(commandLine, 0);

  // The reader program leaves no file when nothing was received.
  FileSystem& files = platform().Files();
  if (!files.FileExists(FileTxtTemp)) {
    platform().MessageBox(kNessunDatoRicevuto, kCritical, kTitoloLetturaDati);
    return;
  }

  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(MDB_TabellaTemp);
  std::unique_ptr<Recordset> records =
      database->OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  std::unique_ptr<TextStream> file = files.OpenTextFile(FileTxtTemp);

  while (!file->AtEndOfStream()) {
    const std::string line = file->ReadLine();
    if (TrimSpaces(line).empty()) continue;
    const std::vector<std::string> fields = SplitFields(line);

    // Everything that can fail in a line is taken before the row is added,
    // so a bad line leaves no record behind.
    const std::string& elementString = FieldAt(fields, 0);
    if (!HasAllGs1Identifiers(elementString)) {
      // Values read from the wrong place would be stored as if they were
      // the label's: the line is refused and the import goes on.
      platform().MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
      continue;
    }
    AppendGs1Row(*records, DecodeGs1Label(elementString), FieldAt(fields, 1));
  }

  records->Close();
  database->Close();
  file->Close();
}

}  // namespace viruzedi
