// The target database held locked by another program past the busy
// timeout: the engine's error, no row half-written, nothing archived.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>

#include "database/Database.h"
#include "operation/Messages.h"
#include "tests/database/support/DatabaseLock.h"
#include "tests/support/ErrorOf.h"
#include "tests/terminal/FaultFixture.h"

namespace viruzedi::testing {
namespace {

class LockedDatabaseTest : public FaultTest {
 protected:
  void SetUp() override {
    if (!DatabaseLock::Available()) GTEST_SKIP() << "no other program here to hold the lock";
  }
};

TEST_F(LockedDatabaseTest, ALockTakenInTheMiddleOfAnImportStoresNoRowOfTheFile) {
  const std::string sent = PutTerminalBytes(
      1, "A$1;1;20261206;1\r\nB;senza lotto\r\nC$3;3;20261206;3\r\nD$4;4;20261206;4\r\n");
  std::unique_ptr<DatabaseLock> lock;
  hooked->onWarning = [&] { lock = std::make_unique<DatabaseLock>(database, temporary.path()); };

  // The lock lies in no line: none is named, though a row was being written.
  EXPECT_EQ(Run(&Viruzedi::Scarica4).detail, "");

  ASSERT_EQ(Captions(), (std::vector<std::string>{kTitoloAttenzione, "3045"}));
  EXPECT_EQ(platform->boxes[1].style, kCritical);
  EXPECT_NE(platform->boxes[1].text.find(database), std::string::npos) << platform->boxes[1].text;
  lock->Release();
  // The rows wait for the lock together: none of them was written.
  EXPECT_TRUE(Movements().empty());
  EXPECT_TRUE(DatabaseIsSound());
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-093015.tmp"});
  EXPECT_EQ(ReadFile(letture + "/MovMag_20261206-093015.tmp"), sent);
}

TEST_F(LockedDatabaseTest, AFileKeptFromReadersTooIsFoundBeforeTheTransfer) {
  const std::string sent = PutTerminalBytes(1, "X12$5;2;20261206;3\r\n");
  DatabaseLock lock(database, temporary.path(), true);

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{"3045"});
  lock.Release();
  EXPECT_TRUE(Movements().empty());
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_EQ(ReadFile(terminale + "/1.txt"), sent);
}

struct Download {
  const char* name;
  DownloadOperation operation;
  int numeroFile;
  const char* line;
  const char* temporaryName;
};

class LockedFromTheStartTest : public LockedDatabaseTest,
                               public ::testing::WithParamInterface<Download> {};

TEST_P(LockedFromTheStartTest, TheFirstStatementFailsAndTheFileIsKeptWhole) {
  const std::vector<std::string> earlier = StoreEarlierRow();
  const std::string sent =
      PutTerminalBytes(GetParam().numeroFile, std::string(GetParam().line) + "\r\n");
  DatabaseLock lock(database, temporary.path());

  EXPECT_EQ(Run(GetParam().operation).detail, "");

  EXPECT_EQ(Captions(), std::vector<std::string>{"3045"});
  lock.Release();
  EXPECT_EQ(Movements(), earlier);
  EXPECT_TRUE(Remittances().empty());
  EXPECT_TRUE(DatabaseIsSound());
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{GetParam().temporaryName});
  EXPECT_EQ(ReadFile(letture + "/" + GetParam().temporaryName), sent);
}

INSTANTIATE_TEST_SUITE_P(
    FourDownloads, LockedFromTheStartTest,
    ::testing::Values(Download{"Scarica3", &Viruzedi::Scarica3, 1, "X12;5;340;2",
                               "Rimesse_OF_20261206-093015.tmp"},
                      Download{"Scarica4", &Viruzedi::Scarica4, 1, "X12$5;2;20261206;3",
                               "MovMag_20261206-093015.tmp"},
                      Download{"Scarica5", &Viruzedi::Scarica5, 2, "X12$5;12.5",
                               "Riconciliazione_20261206-093015.tmp"},
                      Download{"Scarica_RimesseOF", &Viruzedi::Scarica_RimesseOF, 1,
                               "$ROF;340;2;DDT15;20261206", "Rimesse_OF_20261206-093015.tmp"}),
    [](const ::testing::TestParamInfo<Download>& info) { return std::string(info.param.name); });

TEST_F(LockedDatabaseTest, AReaderFileImportReachesTheHostWithTheEngineNumber) {
  // A reader program that ends at once, leaving the reader file as written.
  platform->componentFolder = temporary / "componente/";
  PutReaderProgram(platform->componentFolder, "exit 0\n");
  const std::string readerFile = temporary / "letture.txt";
  WriteFile(readerFile, "A1;5\r\nB2;3;17\r\n");
  DatabaseLock lock(database, temporary.path());

  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] { component.Scarica2(database, readerFile); }), kDbLocked);
  EXPECT_EQ(component.LastOutcome().detail, "");

  lock.Release();
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_TRUE(Movements().empty());
  EXPECT_TRUE(DatabaseIsSound());
  // It waits, whole, under the name of its own its import gave it.
  const std::vector<std::string> names = FolderNames(temporary.path());
  auto waiting = std::find_if(names.begin(), names.end(), [](const std::string& name) {
    return name.rfind("letture.txt.in-importazione-", 0) == 0;
  });
  ASSERT_NE(waiting, names.end());
  EXPECT_EQ(ReadFile(temporary / *waiting), "A1;5\r\nB2;3;17\r\n");
}

}  // namespace
}  // namespace viruzedi::testing
