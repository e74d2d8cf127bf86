// GS1 label import: as the reader file import, with each line holding a
// label's element string and its SSCC, decoded into one row of viruzedi.
#include "base/Conversions.h"
#include "component/Messages.h"
#include "component/Viruzedi.h"
#include "readerprog/Gs1Label.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"

namespace viruzedi {

ReaderFileFormat Gs1ReaderFormat() {
  return {{"Codart", "Data", "NColli", "Lotto_Codice", "Lotto_Scadenza", "SSCC"},
          [](Platform& platform, Recordset& records, const std::vector<std::string>& fields) {
            // Everything that can fail in a line is taken before the row is
            // added, so a bad line leaves no record behind.
            const std::string& elementString = FieldAt(fields, 0);
            if (!HasAllGs1Identifiers(elementString)) {
              // Values read from the wrong place would be stored as if they
              // were the label's: the line is refused and the import goes on.
              platform.MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
              return;
            }
            AppendGs1Row(records, DecodeGs1Label(elementString), FieldAt(fields, 1));
          },
          [](const std::vector<std::string>& fields) {
            return HasAllGs1Identifiers(FieldAt(fields, 0));
          }};
}

void Viruzedi::Scarica_ZidoriVovi(const std::string& MDB_TabellaTemp,
                                  const std::string& FileTxtTemp, int32_t PortaCOM,
                                  int32_t Baud, int32_t ModFile, bool CR, bool LF,
                                  bool MostraErrore, bool MostraFile, bool MostraMaschera,
                                  int16_t Timeout) {
  OperationGuard guard(*this);
  ImportReaderFile(MDB_TabellaTemp,
                   {FileTxtTemp, PortaCOM, Baud, ModFile, CR, LF, MostraErrore, MostraFile,
                    MostraMaschera, Timeout},
                   Gs1ReaderFormat());
}

}  // namespace viruzedi
