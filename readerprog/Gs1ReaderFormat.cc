// GS1 label import: as the reader file import, with each line holding a
// label and its SSCC, decoded into one row of viruzedi.
#include "readerprog/Gs1Label.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

ReaderFileFormat Gs1ReaderFormat() {
  return {{"Codart", "Data", "NColli", "Lotto_Codice", "Lotto_Scadenza", "SSCC"},
          [](Platform&, Recordset& records, const std::string& line) {
            // A label that fails a check would be stored as if read
            // correctly: it is set aside, and the rest of the file goes on.
            const Gs1ReaderLine parts = SplitGs1ReaderLine(line);
            Gs1Label label;
            std::string refusal = DecodeGs1Label(parts.label, label);
            if (!refusal.empty()) return refusal;
            // The field, given by whoever set the reader up, wins over the
            // label's (00); the label fills it where it is empty.
            AppendGs1Row(records, label, parts.sscc.empty() ? label.SSCC : std::string(parts.sscc));
            return refusal;
          },
          [](const std::string& line) {
            Gs1Label label;
            return DecodeGs1Label(SplitGs1ReaderLine(line).label, label).empty();
          },
          kFileEtichetteScartate};
}

}  // namespace viruzedi
