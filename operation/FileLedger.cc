#include "operation/FileLedger.h"

#include <memory>
#include <vector>

#include "base/Errors.h"
#include "database/ImportLedger.h"
#include "platform/FileSystem.h"

namespace viruzedi {

std::string PostazioneOf(Platform& platform, const std::string& folder) {
  return platform.WorkstationName() + ":" + platform.Files().CanonicalFolder(folder);
}

FileLedger::FileLedger(Database& database, Platform& platform, const std::string& folder,
                       std::string name)
    : database_(database), platform_(platform), folder_(folder), name_(std::move(name)) {
  available_ = ImportLedger(database_).Available();
  if (available_) postazione_ = PostazioneOf(platform_, folder_);
}

std::optional<std::string> FileLedger::ImportedOn() {
  if (!available_) return std::nullopt;
  std::vector<LedgerEntry> entries =
      ImportLedger(database_).Find(postazione_, kOrigineFile, name_, kStatoImportato);
  if (entries.empty()) return std::nullopt;
  // A name comes back only after the clock went back, and then with other
  // bytes: only the same bytes are the same file.
  const std::string fingerprint =
      platform_.Files().OpenTextFile(JoinPath(folder_, name_))->BytesFingerprint();
  for (const LedgerEntry& entry : entries) {
    if (entry.impronta == fingerprint) return entry.data;
  }
  return std::nullopt;
}

bool FileLedger::Holds(const std::string& fingerprint) {
  if (!available_) return false;
  for (const LedgerEntry& entry :
       ImportLedger(database_).Find(postazione_, kOrigineFile, name_, kStatoImportato)) {
    if (entry.impronta == fingerprint) return true;
  }
  return false;
}

void FileLedger::Record(const std::string& fingerprint, uint64_t rows) {
  if (!available_) return;
  ImportLedger(database_).Add({0, postazione_, kOrigineFile, name_, fingerprint,
                               static_cast<int64_t>(rows), kStatoImportato,
                               LedgerTime(platform_.LocalNow())});
}

bool FileLedger::HoldsPenKey(const std::string& key) {
  return available_ && !ImportLedger(database_).FindFingerprint(postazione_, kOriginePenna, key).empty();
}

void FileLedger::Commit(Transaction& transaction, const std::string& fingerprint) {
  try {
    transaction.Commit();
  } catch (const AutomationError& failure) {
    if (failure.number != kDbConnectionLost || !available_) throw;
    bool committed = false;
    try {
      std::unique_ptr<Database> asked = database_.Reopen();
      for (const LedgerEntry& entry :
           ImportLedger(*asked).Find(postazione_, kOrigineFile, name_, kStatoImportato)) {
        committed = committed || entry.impronta == fingerprint;
      }
    } catch (const AutomationError&) {
      // Not reachable to ask: the file waits, and its next import asks.
    }
    if (!committed) throw;
  }
}

}  // namespace viruzedi
