// The import ledger on every engine: init-db makes it, an older database
// gets it from its first import (also when two programs make it at once),
// entries are written in the import's transaction and found again, and a
// write the database refuses is an error, never a dropped entry.
#include "database/ImportLedger.h"

#include <gtest/gtest.h>

#include <thread>

#include "database/Database.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;

const LedgerEntry kEntry{0, "cassa-2:/srv/letture", kOrigineFile, "MovMag_20261206-093015.tmp",
                         "0123456789abcdef0123456789abcdef", 2, kStatoImportato,
                         "2026-12-06 09:30:16"};

class ImportLedgerTest : public testing::EngineTest {
 protected:
  void SetUp() override { DBEngine::CreateTargetDatabase(path_); }
  std::unique_ptr<Database> Open() { return DBEngine::Instance().OpenDatabase(path_); }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
};
INSTANTIATE_FOR_EVERY_ENGINE(ImportLedgerTest);

TEST_P(ImportLedgerTest, EntriesCommitWithTheTransactionAndAreFoundByTheirSource) {
  auto database = Open();
  ImportLedger ledger(*database);
  ASSERT_TRUE(ledger.Available());
  {
    Transaction transaction(*database);
    ledger.Add(kEntry);
    // Not committed: gone with the transaction.
  }
  EXPECT_TRUE(ledger.Find(kEntry.postazione, kEntry.origine, kEntry.nome).empty());
  LedgerEntry other = kEntry;
  other.postazione = "cassa-3:C:\\Letture d'Aldo";  // a quote and a blank bound as they are
  {
    Transaction transaction(*database);
    ledger.Add(kEntry);
    ledger.Add(other);
    transaction.Commit();
  }
  std::vector<LedgerEntry> found = ledger.Find(kEntry.postazione, kEntry.origine, kEntry.nome);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_GT(found[0].id, 0);
  EXPECT_EQ(found[0].impronta, kEntry.impronta);
  EXPECT_EQ(found[0].righe, 2);
  EXPECT_EQ(found[0].data, kEntry.data);
  EXPECT_EQ(ledger.Find(other.postazione, other.origine, other.nome).size(), 1u);

  ledger.SetState(found[0].id, kStatoCancellato, "2026-12-06 09:31:00");
  ledger.SetFingerprint(found[0].id, "ffffffffffffffffffffffffffffffff", "2026-12-06 09:31:01");
  EXPECT_TRUE(
      ledger.Find(kEntry.postazione, kEntry.origine, kEntry.nome, kStatoImportato).empty());
  found = ledger.Find(kEntry.postazione, kEntry.origine, kEntry.nome, kStatoCancellato);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].impronta, "ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(found[0].data, "2026-12-06 09:31:01");
}

TEST_P(ImportLedgerTest, AnOlderDatabaseGetsItOnceThoughTwoProgramsMakeItAtOnce) {
  ASSERT_TRUE(RawDatabase(path_).Exec("DROP TABLE Viruzedi_Importazioni"));
  bool made[2] = {false, false};
  int32_t failures[2] = {0, 0};
  auto make = [this, &made, &failures](int which) {
    failures[which] = ErrorOf([&] { made[which] = ImportLedger(*Open()).Available(); });
  };
  std::thread first(make, 0);
  std::thread second(make, 1);
  first.join();
  second.join();
  EXPECT_EQ(failures[0], 0);
  EXPECT_EQ(failures[1], 0);
  EXPECT_TRUE(made[0] && made[1]);
  auto database = Open();
  ImportLedger ledger(*database);
  Transaction transaction(*database);
  ledger.Add(kEntry);
  transaction.Commit();
  EXPECT_EQ(ledger.Find(kEntry.postazione, kEntry.origine, kEntry.nome).size(), 1u);
}

TEST_P(ImportLedgerTest, AnEntryTheDatabaseRefusesIsAnErrorNotADroppedRow) {
  ASSERT_TRUE(RawDatabase(path_).Exec(
      "CREATE UNIQUE INDEX Viruzedi_Importazioni_Unica ON Viruzedi_Importazioni (Nome)"));
  auto database = Open();
  ImportLedger ledger(*database);
  ASSERT_TRUE(ledger.Available());
  {
    Transaction transaction(*database);
    ledger.Add(kEntry);
    transaction.Commit();
  }
  Transaction transaction(*database);
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  EXPECT_NE(ErrorOf([&] { ledger.Add(kEntry); }), 0);
}

}  // namespace
}  // namespace viruzedi
