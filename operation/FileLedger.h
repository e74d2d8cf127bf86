// The import ledger as the imports of whole files use it (received files,
// reader files, the pen's recovery file): a file's entry is written in the
// transaction of its rows, so a file found waiting after a crash whose
// entry exists is archived instead of being stored again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "database/Database.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// Where an entry comes from: the workstation's name, ":", the canonical
// path of `folder`. 76 when the folder is missing.
std::string PostazioneOf(Platform& platform, const std::string& folder);

class FileLedger {
 public:
  // The ledger of `database` for the file `name` (unique in its folder) of
  // `folder`. Makes the ledger when the database lacks it, so call it with
  // no transaction open; where the user's rights refuse that, `available`
  // is false and the import goes on without a ledger. The engine's errors.
  FileLedger(Database& database, Platform& platform, const std::string& folder,
             std::string name);

  bool available() const { return available_; }

  // When the file's rows are stored already (an entry of its name and of
  // its bytes' fingerprint): the time of that entry. The file is read to
  // be fingerprinted only when an entry of its name exists. Call before
  // the import's transaction.
  std::optional<std::string> ImportedOn();
  // Whether an entry of the file's name holds `fingerprint`: a file of that
  // name and of those bytes, gone from the folder since, was stored.
  bool Holds(const std::string& fingerprint);
  // Writes the file's entry in the import's open transaction, after its
  // rows (a refusal is an error of the import: nothing is then committed).
  void Record(const std::string& fingerprint, uint64_t rows);
  // Whether an entry of the pen, on this workstation and folder, holds
  // `key`: the keyed line of the recovery file that carries it is stored.
  bool HoldsPenKey(const std::string& key);
  // Commits the import's transaction. A commit whose connection was lost
  // (3146) has an unknown outcome, the server may have committed: the
  // file's entry, asked for on a new connection, decides. Present, the
  // commit stands; absent, or when the server cannot be reached to ask,
  // the 3146 is thrown and the file waits (its next import asks again).
  void Commit(Transaction& transaction, const std::string& fingerprint);

 private:
  Database& database_;
  Platform& platform_;
  std::string folder_;
  std::string name_;
  std::string postazione_;
  bool available_ = false;
};

// What the import of a whole file did.
struct FileImportResult {
  uint64_t rowsRefused = 0;
  // Not empty when the file's rows were stored already: the time of its
  // entry; nothing was written.
  std::string importedOn;
  std::string archivedAs;  // where the file went
  bool ledgerMissing = false;
  // Lines its format set aside (GS1 labels), and the file that keeps them.
  uint64_t linesSetAside = 0;
  std::string setAsideFile;
};

}  // namespace viruzedi
