// The pen's entry in the import ledger: one per workstation and port,
// whose fingerprint is the key of the last read committed, written in that
// read's transaction. When a commit's outcome is unknown (the server's
// connection went during COMMIT), the entry tells whether the read is
// stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "database/Database.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

class PenLedger {
 public:
  // `port` names the entry (COM<n>).
  PenLedger(Platform& platform, int32_t port);

  // Finds the port's entry, making the ledger when missing (in a
  // transaction of its own: call it with none open). Without a ledger (the
  // user's rights refused to make one), the reads are stored without keys.
  // Writes nothing else and makes no folder. The engine's errors.
  void Prepare(Database& database);
  bool available() const { return available_; }
  // In the read's open transaction, after its row: the entry now holds
  // `key` (the port's first read makes the entry). A refusal of the
  // database is an error of the read.
  void Record(Database& database, const std::string& key);
  // After the read's transaction committed.
  void Committed(Database& database);
  // After a read's commit whose connection was lost (3146): whether the
  // server committed it, asked on a new connection — the port's entry
  // holds its key. None when the server cannot be reached to ask.
  std::optional<bool> CommittedAfterAll(Database& database, const std::string& key);
  // Takes out of the recovery file the keyed lines (a read whose commit
  // could not be asked about) whose key the port's entry holds: those
  // reads were committed after all. Before the download's first request.
  void SettleKeyedLines(Database& database);

 private:
  Platform& platform_;
  std::string nome_;
  std::string postazione_;
  void FindEntry(Database& database);

  int64_t entry_ = 0;  // none yet
  bool available_ = false;
};

}  // namespace viruzedi
