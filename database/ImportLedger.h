// The import ledger, table Viruzedi_Importazioni of the target database:
// what each download stored, written in the transaction of its rows, so
// that whatever a crash leaves undone after the commit (a file's archive
// rename, the reader's erase) can be finished later without a read being
// stored twice.
//
// An entry names where it comes from: the workstation with a folder
// (Postazione), the kind of source (Origine) and its name there (Nome: a
// file's unique name, or COM<n>), with a fingerprint of what was stored
// (Impronta, base/Fingerprint.h), the rows written (Righe), a state and
// the local time it was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Calendar.h"

namespace viruzedi {

class Database;

inline constexpr char kOrigineFile[] = "file";
inline constexpr char kOrigineInfrarossi[] = "infrarossi";
inline constexpr char kOriginePenna[] = "penna";

inline constexpr char kStatoImportato[] = "importato";      // a file's rows are stored
inline constexpr char kStatoDaCancellare[] = "da cancellare";  // infrared: stored, not erased
inline constexpr char kStatoCancellato[] = "cancellato";    // infrared: the reader erased
inline constexpr char kStatoSostituito[] = "sostituito";    // infrared: the reader sent others
inline constexpr char kStatoUltima[] = "ultima";            // pen: the key of the last read

struct LedgerEntry {
  int64_t id = 0;  // assigned by the database
  std::string postazione;
  std::string origine;
  std::string nome;
  std::string impronta;
  int64_t righe = 0;
  std::string stato;
  std::string data;  // yyyy-mm-dd hh:nn:ss
};

// "yyyy-mm-dd hh:nn:ss", the ledger's Data.
std::string LedgerTime(const LocalDateTime& time);

// The ledger of one open database. Not thread-safe: the database's thread.
class ImportLedger {
 public:
  explicit ImportLedger(Database& database) : database_(database) {}

  // Whether the database has the ledger, making it when it is missing (in
  // a transaction of its own: call it with none open). False when the
  // user's rights refuse to make it; the database is then as it was, and
  // the import goes on without a ledger. Other failures are the engine's.
  bool Available();
  // The entries of one source, in the order they were written; with
  // `stato` not empty, those in that state only. The engine's errors.
  std::vector<LedgerEntry> Find(const std::string& postazione, const std::string& origine,
                                const std::string& nome, const std::string& stato = "");
  // The entries of `postazione` and `origine` whose fingerprint is
  // `impronta` (a pen read's random key, which no other read has).
  std::vector<LedgerEntry> FindFingerprint(const std::string& postazione,
                                           const std::string& origine,
                                           const std::string& impronta);
  // Writes a new entry (its id is the database's) in the open
  // transaction. A refusal of the database is an error, never a dropped
  // entry: the rows written with it must then not be committed.
  void Add(const LedgerEntry& entry);
  // Sets an entry's state and time.
  void SetState(int64_t id, const std::string& stato, const std::string& data);
  // Sets an entry's fingerprint and time (the pen's key of its last read).
  void SetFingerprint(int64_t id, const std::string& impronta, const std::string& data);

 private:
  std::vector<LedgerEntry> Select(const std::string& where,
                                  const std::vector<std::string>& values);

  Database& database_;
};

}  // namespace viruzedi
