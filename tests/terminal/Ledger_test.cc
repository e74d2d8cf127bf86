// A received file's entry in the import ledger commits with its rows. A
// crash after the commit and before the archive rename leaves the file
// waiting with its rows stored: the next download of its kind, or
// ImportaFile, archives it without storing a row again.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Fingerprint.h"
#include "viruzedi/Viruzedi.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/terminal/TerminalFixture.h"

namespace viruzedi::testing {
namespace {

using Strings = std::vector<std::string>;

class ReceivedFileLedgerTest : public TerminalTest {
 protected:
  const OperationOutcome& Download() {
    component_ = std::make_unique<Viruzedi>(platform);
    component_->DbPath(database);
    component_->Scarica4();
    return component_->LastOutcome();
  }
  const OperationOutcome& Importa(const std::string& path) {
    component_ = std::make_unique<Viruzedi>(platform);
    component_->DbPath(database);
    component_->ImportaFile(path, ImportFormat::kScarica4);
    return component_->LastOutcome();
  }
  Strings Codes() const { return Rows("SELECT Codart FROM Viruzedi ORDER BY rowid"); }
  // The received file as a crash right after its commit leaves it: its
  // archive put back under the name it was received under.
  std::string CrashBeforeTheArchive() {
    const std::string name = Rows("SELECT Nome FROM Viruzedi_Importazioni ORDER BY Id").back();
    const Strings archived = FolderNames(letture);
    std::filesystem::rename(letture + "/" + archived.back(), letture + "/" + name);
    return letture + "/" + name;
  }

 private:
  std::unique_ptr<Viruzedi> component_;
};

TEST_F(ReceivedFileLedgerTest, TheEntryNamesTheFileAndItsBytesAsTheyLieOnDisk) {
  // A byte-order mark and line ends are part of the file, though of no row.
  const std::string bytes = "\xEF\xBB\xBFX12$5;2;20261206;3\r\nY7$1;1;20261206;3\r\n\r\n";
  std::filesystem::create_directories(terminale);
  WriteFile(terminale + "/1.txt", bytes);
  platform->localTimes = {At(2026, 12, 6, 9, 30, 15), At(2026, 12, 6, 9, 30, 16)};
  ASSERT_FALSE(Download().failed);
  const std::string postazione = platform->WorkstationName() + ":" +
                                 std::filesystem::canonical(letture).string();
  EXPECT_EQ(Rows("SELECT Postazione, Origine, Nome, Impronta, Righe, Stato, Data "
                 "FROM Viruzedi_Importazioni"),
            Strings{postazione + "|file|MovMag_20261206-093015.tmp|" + FingerprintOf(bytes) +
                    "|2|importato|2026-12-06 09:30:16"});
}

TEST_F(ReceivedFileLedgerTest, AFileWhoseRowsAreStoredIsArchivedWithoutStoringThemAgain) {
  PutTerminalFile(1, {"X12$5;2;20261206;3", "Y7$1;1;20261206;3"});
  ASSERT_FALSE(Download().failed);
  const std::string waiting = CrashBeforeTheArchive();

  // ImportaFile, as the operator's recovery does: a success that says so.
  const OperationOutcome& imported = Importa(waiting);
  EXPECT_FALSE(imported.failed);
  EXPECT_EQ(Codes(), (Strings{"X12", "Y7"}));
  EXPECT_FALSE(std::filesystem::exists(waiting));
  ASSERT_FALSE(platform->boxes.empty());
  EXPECT_NE(platform->boxes.back().text.find("già importato il"), std::string::npos)
      << platform->boxes.back().text;

  // The next download finds it first and names it in its box.
  platform->boxes.clear();
  CrashBeforeTheArchive();
  PutTerminalFile(1, {"Z9$1;1;20261206;3"});
  EXPECT_FALSE(Download().failed);
  EXPECT_EQ(Codes(), (Strings{"X12", "Y7", "Z9"}));
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_NE(platform->boxes[0].text.find(waiting + " (già importato il"), std::string::npos)
      << platform->boxes[0].text;
  EXPECT_EQ(platform->boxes[0].text.find("non importati"), std::string::npos)
      << "a file whose rows are stored is named as one none of whose rows were saved";
  EXPECT_FALSE(std::filesystem::exists(waiting));
}

TEST_F(ReceivedFileLedgerTest, TheSameNameWithOtherBytesIsAnotherFile) {
  PutTerminalFile(1, {"X12$5;2;20261206;3"});
  ASSERT_FALSE(Download().failed);
  const std::string waiting = CrashBeforeTheArchive();
  WriteFile(waiting, "W1$1;1;20261206;3\r\n");
  EXPECT_FALSE(Importa(waiting).failed);
  EXPECT_EQ(Codes(), (Strings{"X12", "W1"}));
}

TEST_F(ReceivedFileLedgerTest, AnOlderDatabaseGetsTheLedgerFromItsFirstImport) {
  RawDatabase(database).Exec("DROP TABLE Viruzedi_Importazioni");
  PutTerminalFile(1, {"X12$5;2;20261206;3"});
  const OperationOutcome& outcome = Download();
  EXPECT_FALSE(outcome.failed);
  EXPECT_FALSE(outcome.ledgerMissing);
  EXPECT_EQ(Rows("SELECT Nome, Righe FROM Viruzedi_Importazioni").size(), 1u);
}

// A crash between a file's arrival and the terminal hearing of it leaves
// the file beside its marker; the terminal, never told, sends it again.
// Imported by hand first, or still waiting, its reads are stored once; a
// terminal that did hear (it sends nothing, or another file) leaves the
// file as any waiting one.
TEST_F(ReceivedFileLedgerTest, AFileTheTerminalSendsAgainAfterAnUnheardArrivalIsStoredOnce) {
  const Strings lines = {"X12$5;2;20261206;3", "Y7$1;1;20261206;3"};
  auto crashBeforeTheTerminalHeard = [&] {
    const std::string name = "MovMag_20261206-080000.tmp";
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    WriteFile(letture + "/" + name, bytes);
    WriteFile(letture + "/" + name + ".da-confermare", "");
    PutTerminalFile(1, lines);
    return letture + "/" + name;
  };
  std::filesystem::create_directories(letture);

  // Imported by hand, then sent again: the copy is dropped.
  ASSERT_FALSE(Importa(crashBeforeTheTerminalHeard()).failed);
  EXPECT_FALSE(Download().failed);
  EXPECT_EQ(Codes(), (Strings{"X12", "Y7"}));
  EXPECT_TRUE(FolderNames(terminale).empty());

  // Still waiting when it is sent again: the copy is imported in its place.
  RawDatabase(database).Exec("DELETE FROM Viruzedi; DELETE FROM Viruzedi_Importazioni");
  const std::string waiting = crashBeforeTheTerminalHeard();
  EXPECT_FALSE(Download().failed);
  EXPECT_EQ(Codes(), (Strings{"X12", "Y7"}));
  EXPECT_FALSE(std::filesystem::exists(waiting));

  // The terminal had heard: the file waits, its marker gone.
  RawDatabase(database).Exec("DELETE FROM Viruzedi; DELETE FROM Viruzedi_Importazioni");
  const std::string heard = crashBeforeTheTerminalHeard();
  std::filesystem::remove(terminale + "/1.txt");
  EXPECT_FALSE(Download().failed);
  EXPECT_TRUE(std::filesystem::exists(heard));
  EXPECT_FALSE(std::filesystem::exists(heard + ".da-confermare"));
  EXPECT_TRUE(Codes().empty());
}

}  // namespace
}  // namespace viruzedi::testing
