// One record reply of an infrared reader and the row it becomes.
//
// Grammar (each separator is the first one in the text that remains):
//   code "$" lot ";" quantity ";" date ";" department ";" anything
// The code runs from the first character (its "#" included) to the first
// "$", unchanged, spaces included. The lot and the department are 32-bit
// integers; the quantity a number whose "." is its decimal mark; the date
// "yyyymmdd" (day from the last two characters). The fourth ";" is required;
// whatever follows it (the rest of the 100-character buffer) is ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viruzedi/Variant.h"
#include "database/DatabaseSettings.h"
#include "database/Row.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

class Database;

struct InfraredRecord {
  std::string code;
  int32_t lot = 0;
  double quantity = 0;
  CalendarDate date;
  int32_t department = 0;
};

// Reads one record reply. None when it has no "$" (a bad code). Throws
// AutomationError 5 when a ";" is missing after the lot, quantity, date or
// department, 13 when a field does not convert, 6 when an integer is out of
// range. Fields are converted as they are cut, so the first fault in reading
// order is the one reported.
std::optional<InfraredRecord> ReadInfraredRecord(std::string_view reply);

// The row that stores the record in table Viruzedi, the code as the reader
// sent it.
Row InfraredRecordRow(const InfraredRecord& record);

// Imports the record replies of one download into the database at `dbPath`,
// all of them or none: the reader keeps every record until it is told to
// erase, so a download that fails stores nothing and the next one takes the
// records again without storing any twice.
//
// The rows commit with an entry of the import ledger ("da cancellare": the
// reader still holds them), which becomes "cancellato" once the reader is
// told to erase. A later download on the same port of the same workstation
// that finds such an entry compares: when its first replies are the ones
// the entry stands for (a crash came between the commit and the erase),
// their rows are stored already and only the replies after them are.
class InfraredRecordImport {
 public:
  // `settings` must outlive the import. `port` is the download's serial
  // port, which names its ledger entries (COM<n>).
  InfraredRecordImport(Platform& platform, std::string dbPath, DatabaseSettings& settings,
                       int32_t port);
  ~InfraredRecordImport();

  // Opens the download's database, which stays open until this object goes,
  // and checks that table Viruzedi has the columns the records fill: 3078,
  // 3127, or the errors of opening it. Called before the reader is asked for
  // anything.
  void CheckDatabase();
  // Reads one record reply and keeps its row for Store, or shows the
  // bad-code warning (critical icon, the component's caption) and keeps the
  // reply for the file of rejected records. The database is opened anew for
  // every reply, before the reply is looked at (these opens share the
  // download's connection). Throws AutomationError when the database cannot
  // be opened or the reply cannot be read; nothing is stored then.
  void Import(const std::string& reply);
  // Once the reader has said it has no more: appends the rejected replies to
  // Infrarossi_scartati.txt in the download folder, then writes the kept
  // rows (but those an earlier download stored, see above) with the ledger
  // entry in one transaction and makes them durable, so the reader may
  // erase. Throws on any failure (61/70/76 for the file, the engine's
  // errors), and then no row of the download is stored.
  void Store();
  // Once the reader was told to erase: the download's entry becomes
  // "cancellato". Never throws: the rows and the erase are done, and an
  // entry left "da cancellare" only makes the next download compare.
  void Erased() noexcept;
  // Rows that a constraint refused while storing.
  uint64_t RowsRefused() const;
  // The database had no ledger and the user's rights did not let Store
  // make one: the rows were stored without an entry.
  bool ledgerMissing() const { return ledgerMissing_; }

 private:
  Platform& platform_;
  std::string dbPath_;
  DatabaseSettings& settings_;
  std::string nome_;  // COM<n>
  // The download's own database; its transaction is the download's.
  std::unique_ptr<Database> database_;
  // Every reply as received, in order, with its row (none for a bad code).
  struct Reply {
    std::string text;
    std::optional<Row> row;
  };
  std::vector<Reply> replies_;
  // Whether the ledger, asked on a new connection, has this download's
  // entry "da cancellare" for `fingerprint`: its commit was made.
  bool HasPendingEntry(const std::string& fingerprint) noexcept;

  std::vector<std::string> rejected_;
  std::string postazione_;
  bool ledgerMissing_ = false;
};

}  // namespace viruzedi
