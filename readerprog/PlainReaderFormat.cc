// Reader file import: the reader program fetches the reads into a text
// file, whose lines (article code; quantity[; lot id]) are then appended
// to table viruzedi of the database the caller names.
#include "base/Conversions.h"
#include "database/Database.h"
#include "readerprog/ReaderCommandLine.h"
#include "readerprog/ReaderFileImport.h"

namespace viruzedi {

ReaderFileFormat PlainReaderFormat() {
  return {{"Codart", "Quantità", "IDLotto", "Data"},
          [](Platform& platform, Recordset& records, const std::string& line) {
            // Fields are stored as read, untrimmed; the database converts
            // the text.
            const std::vector<std::string> fields = SplitFields(line);
            records.AddNew();
            records.SetCollect("Codart", FieldAt(fields, 0));
            records.SetCollect("Quantità", FieldAt(fields, 1));
            if (fields.size() >= 3) {
              records.SetCollect("IDLotto", fields[2]);
            } else {
              records.SetCollect("IDLotto", int16_t{0});
            }
            const LocalDateTime now = platform.LocalNow();
            records.SetCollect("Data", CalendarDate{now.year, now.month, now.day});
            records.Update();
            return std::string();
          },
          // Any line is one: its fields are stored as read.
          nullptr};
}

}  // namespace viruzedi
