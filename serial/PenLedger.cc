#include "serial/PenLedger.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/Errors.h"

#include "operation/FileLedger.h"
#include "database/ImportLedger.h"
#include "serial/PenRecovery.h"

namespace viruzedi {

PenLedger::PenLedger(Platform& platform, int32_t port)
    : platform_(platform), nome_("COM" + std::to_string(port)) {}

void PenLedger::Prepare(Database& database) {
  ImportLedger ledger(database);
  available_ = ledger.Available();
  if (!available_) return;
  // The download folder may not be there yet: its name is enough, and a
  // pen download makes no folder until a read needs the recovery file.
  postazione_ = PostazioneOf(platform_, platform_.DownloadFolder());
  FindEntry(database);
}

void PenLedger::FindEntry(Database& database) {
  // Two downloads that made the entry at once each made one: the first
  // serves both, and the lookup takes it alone from then on.
  std::vector<LedgerEntry> entries =
      ImportLedger(database).Find(postazione_, kOriginePenna, nome_, kStatoUltima);
  entry_ = entries.empty() ? 0 : entries.front().id;
}

void PenLedger::Record(Database& database, const std::string& key) {
  if (!available_) return;
  ImportLedger ledger(database);
  const std::string now = LedgerTime(platform_.LocalNow());
  if (entry_ != 0) {
    ledger.SetFingerprint(entry_, key, now);
    return;
  }
  // The port's first read on this workstation makes its entry, in the
  // read's own transaction: nothing is written before a read arrives.
  ledger.Add({0, postazione_, kOriginePenna, nome_, key, 1, kStatoUltima, now});
}

void PenLedger::Committed(Database& database) {
  if (available_ && entry_ == 0) FindEntry(database);
}

std::optional<bool> PenLedger::CommittedAfterAll(Database& database, const std::string& key) {
  if (!available_) return std::nullopt;
  try {
    std::unique_ptr<Database> asked = database.Reopen();
    for (const LedgerEntry& entry :
         ImportLedger(*asked).Find(postazione_, kOriginePenna, nome_, kStatoUltima)) {
      if (entry.impronta == key) return true;
    }
    return false;
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

void PenLedger::SettleKeyedLines(Database& database) {
  if (!available_) return;
  std::vector<std::string> held;
  for (const LedgerEntry& entry :
       ImportLedger(database).Find(postazione_, kOriginePenna, nome_, kStatoUltima)) {
    held.push_back(entry.impronta);
  }
  if (held.empty()) return;
  RemoveStoredKeyedLines(platform_, [&held](const std::string& key) {
    return std::find(held.begin(), held.end(), key) != held.end();
  });
}

}  // namespace viruzedi
