// A download folder that cannot be written and an archive name taken
// while the import runs: an error box, the terminal's file and every stored
// row intact. (A full disk needs a limit on a whole process: tests/cli.)
#include <gtest/gtest.h>

#include <filesystem>

#include "database/Database.h"
#include "operation/Messages.h"
#include "tests/terminal/FaultFixture.h"

namespace viruzedi::testing {
namespace {

const std::string kSent = "X12$5;2;20261206;3\r\nY7$1;1;20261206;1\r\n";

enum class Obstacle {
  kFileInItsPlace,   // a regular file where the folder should be
  kImmutable,        // the folder exists and refuses new names
  kImmutableParent,  // the folder is missing and cannot be made
};

struct UnwritableCase {
  const char* name;
  Obstacle obstacle;
  bool terminalElsewhere;  // the terminal's folder on another file system
  const char* caption;
};

class UnwritableFolderTest : public FaultTest,
                             public ::testing::WithParamInterface<UnwritableCase> {};

TEST_P(UnwritableFolderTest, TheTransferFailsAndTheTerminalKeepsItsFile) {
  const UnwritableCase& c = GetParam();
  OtherFileSystemFolder elsewhere;
  std::string terminalFolder = terminale;
  if (c.terminalElsewhere) {
    if (elsewhere.path().empty()) GTEST_SKIP() << "no /dev/shm";
    terminalFolder = elsewhere.path();
    platform->terminalSetting = "dir:" + terminalFolder;
  }
  WriteFile(terminalFolder + "/1.txt", kSent);
  const std::vector<std::string> earlier = StoreEarlierRow();

  std::unique_ptr<ImmutableFolder> immutable;
  switch (c.obstacle) {
    case Obstacle::kFileInItsPlace:
      WriteFile(letture, "not a folder");
      break;
    case Obstacle::kImmutable:
      std::filesystem::create_directory(letture);
      immutable = std::make_unique<ImmutableFolder>(letture);
      break;
    case Obstacle::kImmutableParent:
      std::filesystem::create_directory(temporary / "bloccata");
      letture = temporary / "bloccata/_Letture";
      platform->downloadFolder = letture;
      immutable = std::make_unique<ImmutableFolder>(temporary / "bloccata");
      break;
  }
  if (immutable && !immutable->held) GTEST_SKIP() << "chattr +i is not available here";

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{c.caption});
  EXPECT_EQ(platform->boxes[0].style, kCritical);
  // The folder is what refuses, not the terminal's file.
  EXPECT_NE(platform->boxes[0].text.find(letture), std::string::npos) << platform->boxes[0].text;
  EXPECT_EQ(platform->boxes[0].text.find("1.txt"), std::string::npos) << platform->boxes[0].text;
  EXPECT_EQ(ReadFile(terminalFolder + "/1.txt"), kSent);
  EXPECT_EQ(Movements(), earlier);
  immutable.reset();
  if (c.obstacle == Obstacle::kFileInItsPlace) {
    EXPECT_EQ(ReadFile(letture), "not a folder");
  } else {
    EXPECT_TRUE(FolderNames(letture).empty());  // not even a partial copy
  }
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, UnwritableFolderTest,
    ::testing::Values(UnwritableCase{"FileInItsPlace", Obstacle::kFileInItsPlace, false, "58"},
                      UnwritableCase{"Immutable", Obstacle::kImmutable, false, "70"},
                      UnwritableCase{"ImmutableFromAnotherFileSystem", Obstacle::kImmutable, true,
                                     "70"},
                      UnwritableCase{"ImmutableParent", Obstacle::kImmutableParent, false, "70"}),
    [](const ::testing::TestParamInfo<UnwritableCase>& info) {
      return std::string(info.param.name);
    });

// The terminal's file counts as received only once it has left the
// terminal's folder; a copy that cannot take it from there goes again.
class UnemptiableTerminalTest : public FaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnemptiableTerminalTest, NothingArrivesAndTheTerminalKeepsItsFile) {
  OtherFileSystemFolder elsewhere;
  if (GetParam()) {
    if (elsewhere.path().empty()) GTEST_SKIP() << "no /dev/shm";
    letture = elsewhere.path() + "/_Letture";
    platform->downloadFolder = letture;
  }
  WriteFile(terminale + "/1.txt", kSent);
  ImmutableFolder immutable(terminale);
  if (!immutable.held) GTEST_SKIP() << "chattr +i is not available here";

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{"70"});
  EXPECT_EQ(ReadFile(terminale + "/1.txt"), kSent);
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_TRUE(Movements().empty());
}

INSTANTIATE_TEST_SUITE_P(OneOrTwoFileSystems, UnemptiableTerminalTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "AcrossFileSystems" : "SameFileSystem";
                         });

TEST_F(FaultTest, AFolderThatStopsTakingNamesDuringTheImportKeepsTheFileUnarchived) {
  const std::string sent =
      PutTerminalBytes(1, "A$1;1;20261206;1\r\nB;senza lotto\r\nC$3;3;20261206;3\r\n");
  std::unique_ptr<ImmutableFolder> immutable;
  hooked->onWarning = [&] { immutable = std::make_unique<ImmutableFolder>(letture); };

  Run(&Viruzedi::Scarica4);

  if (!immutable->held) GTEST_SKIP() << "chattr +i is not available here";
  EXPECT_EQ(Captions(), (std::vector<std::string>{kTitoloAttenzione, "70"}));
  EXPECT_EQ(Movements(),
            (std::vector<std::string>{"A|1|NULL|1.0|2026-12-06|1", "C|3|NULL|3.0|2026-12-06|3"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-093015.tmp"});
  EXPECT_EQ(ReadFile(letture + "/MovMag_20261206-093015.tmp"), sent);
}

// The database file, or the folder where its log must be made, refuses
// writing: the engine cannot open it for the import.
class UnwritableDatabaseTest : public FaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnwritableDatabaseTest, IsShownBeforeTheTerminalFileLeaves) {
  std::filesystem::create_directory(temporary / "archivio");
  database = temporary / "archivio/magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  const std::vector<std::string> earlier = StoreEarlierRow();
  const std::string sent = PutTerminalBytes(1, kSent);
  // Reading the rows back left the engine's log beside the file; the last
  // connection that writes takes it away, so that the log must be made anew.
  DBEngine::Instance().OpenDatabase(database)->Close();
  ASSERT_EQ(FolderNames(temporary / "archivio"), std::vector<std::string>{"magazzino.db"});
  auto immutable =
      std::make_unique<ImmutableFolder>(GetParam() ? temporary / "archivio" : database);
  if (!immutable->held) GTEST_SKIP() << "chattr +i is not available here";

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{"3051"});
  immutable.reset();  // so that the rows can be read back
  EXPECT_EQ(Movements(), earlier);
  // Found before the transfer: the terminal still holds its file.
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_EQ(ReadFile(terminale + "/1.txt"), sent);
}

INSTANTIATE_TEST_SUITE_P(FileOrFolder, UnwritableDatabaseTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "ItsFolder" : "TheFile";
                         });

// An archive name free when the download named its file (the name is chosen
// so) can still be taken by another program while the import runs: found
// before the rows are written, so the file waits with none of them stored.
TEST_F(FaultTest, AnArchiveNameTakenDuringTheImportIsNeverReplaced) {
  const std::string sent =
      PutTerminalBytes(1, "$ROF;340;2;DDT15;20261206\r\nNO;1\r\n$ROF;341;3;DDT16;20261207\r\n");
  const std::string archive = letture + "/Importato_Rimesse_OF_20261206-093015.tmp";
  hooked->onWarning = [&] { WriteFile(archive, "another program's file"); };

  Run(&Viruzedi::Scarica_RimesseOF);

  EXPECT_EQ(Captions(), (std::vector<std::string>{kTitoloAttenzione, "58"}));
  EXPECT_TRUE(Remittances().empty());
  EXPECT_EQ(ReadFile(archive), "another program's file");
  EXPECT_EQ(ReadFile(letture + "/Rimesse_OF_20261206-093015.tmp"), sent);
  EXPECT_EQ(FolderNames(letture).size(), 2u);
}

TEST_F(FaultTest, AFolderStandingOnTheArchiveNameIsLeftAlone) {
  const std::string sent = PutTerminalBytes(2, "X12$5;12.5\r\n");
  std::filesystem::create_directories(letture + "/Riconciliazione_20261206-100207.TMP/dentro");

  Run(&Viruzedi::Scarica5);

  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(Movements(), std::vector<std::string>{"X12|5|NULL|12.5|NULL|NULL"});
  EXPECT_EQ(ReadFile(letture + "/Riconciliazione_20261206-100208.TMP"), sent);
  EXPECT_TRUE(
      std::filesystem::is_directory(letture + "/Riconciliazione_20261206-100207.TMP/dentro"));
}

}  // namespace
}  // namespace viruzedi::testing
