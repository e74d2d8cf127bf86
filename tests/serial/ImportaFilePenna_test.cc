// Importing a file of pen lines (the recovery file) as the pen download
// stores them: all lines or none, then renamed so it is never imported again.
#include <gtest/gtest.h>

#include <filesystem>

#include "component/ObjectState.h"
#include "base/Errors.h"
#include "database/Database.h"
#include "platform/FileSystem.h"
#include "tests/serial/PenTestSupport.h"
#include "tests/database/support/DatabaseLock.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi::testing {
namespace {

class ImportaFilePennaTest : public ::testing::Test {
 protected:
  ImportaFilePennaTest() {
    DBEngine::CreateTargetDatabase(database);
    std::filesystem::create_directories(letture);
    platform->downloadFolder = letture;
    platform->localTimes = {{2026, 12, 31, 23, 59, 59}};
    object.DbPath(database);
  }

  int Importa(const std::string& path) {
    return ErrorOf([&] { object.ImportaFile(path, ImportFormat::kScarica); });
  }

  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  std::string letture = temporary / "_Letture";
  std::string file = letture + "/Penna_non_salvate.txt";
  std::shared_ptr<PenPlatform> platform = std::make_shared<PenPlatform>();
  Viruzedi object{platform};
};

TEST_F(ImportaFilePennaTest, StoresEveryLineAsThePenWouldAndRenamesTheFile) {
  // Blank lines carry no read; bytes are the pen's code page.
  WriteFile(file, "A1;12;345;2.5\r\n\r\nCAF\xC9;1;2;0,5\r\n   \r\nD'ORO;1;2;3");
  ASSERT_EQ(Importa(file), 0);
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A1", 12, 345, 2.5},
                                                       {"CAFÉ", 1, 2, 0.5},
                                                       {"D'ORO", 1, 2, 3}}));
  EXPECT_FALSE(object.LastOutcome().failed);
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Penna_non_salvate.txt.importato-20261231-235959"});
}

TEST_F(ImportaFilePennaTest, ATakenArchiveNameMovesOnToTheNextFreeSecond) {
  WriteFile(file + ".importato-20261231-235959", "earlier");
  WriteFile(file + ".importato-20270101-000000", "earlier");
  WriteFile(file, "A;1;2;3\r\n");
  ASSERT_EQ(Importa(file), 0);
  EXPECT_EQ(ReadFile(file + ".importato-20270101-000001"), "A;1;2;3\r\n");
  EXPECT_EQ(ReadFile(file + ".importato-20261231-235959"), "earlier");
}

TEST_F(ImportaFilePennaTest, ALineThatCannotBeStoredStoresNothingAndNamesTheLine) {
  WriteFile(file, "A;1;2;3\r\nB;4;5;6\r\n\r\nC;x;2;3\r\nD;1;2;3\r\n");
  EXPECT_EQ(Importa(file), kTypeMismatch);
  EXPECT_TRUE(StoredRows(database).empty());
  // It waits under the name of its own it was given for its import.
  const std::string waiting = file + ".in-importazione-20261231-235959";
  EXPECT_EQ(object.LastOutcome().detail, waiting + ", riga 4: C;x;2;3");
  EXPECT_TRUE(object.LastOutcome().failed);
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Penna_non_salvate.txt.in-importazione-20261231-235959"});

  // Mended by hand, it imports once.
  WriteFile(waiting, "A;1;2;3\r\nB;4;5;6\r\nC;1;2;3\r\n");
  EXPECT_EQ(Importa(waiting), 0);
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Penna_non_salvate.txt.importato-20261231-235959"});
  EXPECT_EQ(StoredRows(database).size(), 3u);
}

TEST_F(ImportaFilePennaTest, RefusesAFileThatIsMissingHeldOrImportedAlready) {
  WriteFile(file, "A;1;2;3\r\n");
  std::string archived = file + ".importato-20260101-000000";
  WriteFile(archived, "A;1;2;3\r\n");
  std::unique_ptr<FileLock> held = platform->Files().TryLock(file);
  ASSERT_TRUE(held);
  EXPECT_EQ(Importa(letture + "/mancante.txt"), kFileNotFound);
  EXPECT_EQ(Importa(file), kPermissionDenied);
  EXPECT_EQ(Importa(archived), kFileAlreadyExists);
  EXPECT_TRUE(StoredRows(database).empty());
  held.reset();
  EXPECT_EQ(Importa(file), 0);
  EXPECT_EQ(Importa(file), kFileNotFound);
  EXPECT_EQ(StoredRows(database).size(), 1u);
}

TEST_F(ImportaFilePennaTest, AStopRequestStoresNothingOfTheFile) {
  WriteFile(file, "A;1;2;3\r\nB;4;5;6\r\n");
  platform->stopAfterChecks = 1;
  EXPECT_EQ(Importa(file), kUserInterrupt);
  EXPECT_TRUE(StoredRows(database).empty());
  EXPECT_EQ(ReadFile(file + ".in-importazione-20261231-235959"), "A;1;2;3\r\nB;4;5;6\r\n");
}

// The way back for a read the download could not store: the download keeps
// it, the import stores it once the cause is gone.
TEST_F(ImportaFilePennaTest, AReadTheDownloadCouldNotStoreIsImportedFromTheRecoveryFile) {
  if (!DatabaseLock::Available()) GTEST_SKIP() << "no other program here to hold the lock";
  SimulatedPen pen({"CAF\xC9;1;2;3", "Z;0;0;0"});
  platform->serialDevices[1] = pen.device();
  object.Porta(1);
  object.state().dbSettings.busyTimeout = std::chrono::milliseconds(100);
  {
    DatabaseLock lock(database, temporary.path());
    object.Scarica();
  }
  object.state().dbSettings.busyTimeout = std::chrono::seconds(5);
  EXPECT_EQ(object.LastOutcome().errorNumber, kDbLocked);
  ASSERT_EQ(Importa(file), 0);
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"CAFÉ", 1, 2, 3}}));
  // The read after it stayed on the pen.
  object.Scarica();
  EXPECT_EQ(StoredRows(database).size(), 2u);
}

// A read whose commit could not be asked about waits with the key its
// commit would have left in the port's ledger entry. The key the entry
// holds marks a read that was committed after all: the next pen download
// takes that line out before its first request, and an import skips it; a
// line whose key the entry does not hold is a read to store.
TEST_F(ImportaFilePennaTest, AKeyedLineIsStoredOnlyWhenThePortsEntryDoesNotHoldItsKey) {
  SimulatedPen pen({"A;1;2;3"});
  platform->serialDevices[1] = pen.device();
  object.Porta(1);
  object.Scarica();
  const std::vector<std::string> keys =
      QueryRows(database, "SELECT Impronta FROM Viruzedi_Importazioni WHERE Origine = 'penna'");
  ASSERT_EQ(keys.size(), 1u);
  const std::string other(32, 'e');
  const std::string committed = "A;1;2;3\t" + keys[0] + "\r\n";
  WriteFile(file, committed + "B;4;5;6\t" + other + "\r\nC;7;8;9\r\n");

  // The next download on that port settles the committed line only.
  object.Scarica();
  EXPECT_EQ(ReadFile(file), "B;4;5;6\t" + other + "\r\nC;7;8;9\r\n");

  // An import run before any download skips it as well.
  WriteFile(file, committed + ReadFile(file));
  ASSERT_EQ(Importa(file), 0);
  EXPECT_EQ(StoredRows(database),
            (std::vector<PenRow>{{"A", 1, 2, 3}, {"B", 4, 5, 6}, {"C", 7, 8, 9}}));
}

}  // namespace
}  // namespace viruzedi::testing
