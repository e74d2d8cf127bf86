// The four file downloads end to end: a file in the terminal's folder, rows
// in a real SQLite file, the received file under its archive name.
#include <gtest/gtest.h>

#include <filesystem>

#include "operation/Messages.h"
#include "viruzedi/Viruzedi.h"
#include "terminal/FileDownload.h"
#include "tests/terminal/TerminalFixture.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

using Operation = Variant (Viruzedi::*)();

// A database made beside the engine with the tables of `schema`.
void CreateDatabase(const std::string& path, const std::string& schema) {
  RawDatabase(path).Exec(schema);
}

const LocalDateTime kStart = At(2026, 12, 6, 9, 30, 15);
const LocalDateTime kEnd = At(2026, 12, 6, 10, 2, 7);

const ShownBox kBadCode{kAvvisoCodiceErrato, kCritical, kTitoloAttenzione};

class FileDownloadTest : public TerminalTest {
 protected:
  Variant Run(Operation operation, int16_t idUt = 0, bool setIdUt = false) {
    Viruzedi component(platform);
    component.DbPath(database);
    if (setIdUt) component.IdUt(idUt);
    return (component.*operation)();
  }

  std::vector<std::string> Movements() const {
    return Rows("SELECT Codart, IdLotto, [Id SottoOrd], Quantità, Data, Rep FROM Viruzedi");
  }
  std::vector<std::string> Remittances() const {
    return Rows("SELECT IdUt, IdSottoORd, Qtà, NDoc, DataDoc FROM Viruzedi_RimesseOF");
  }
};

TEST_F(FileDownloadTest, StockMovementsAreArchivedWithTheEndOfTheImport) {
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(1, {"X12$5;2;20261206;3", "CAFF\xC8$1;0,5;20261207;-1"});

  EXPECT_TRUE(Run(&Viruzedi::Scarica4).IsEmpty());

  EXPECT_EQ(Movements(), (std::vector<std::string>{"X12|5|NULL|2.0|2026-12-06|3",
                                                   "CAFFÈ|1|NULL|0.5|2026-12-07|-1"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-100207.TMP"});
  EXPECT_TRUE(FolderNames(terminale).empty());
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(FileDownloadTest, SubOrderReadsCarryTheDayEachLineIsImported) {
  platform->localTimes = {At(2026, 12, 6, 23, 59, 58), At(2026, 12, 6, 23, 59, 59),
                          At(2026, 12, 7, 0, 0, 0)};
  PutTerminalFile(1, {"X12;5;340;2", "Y7;2.5;341;1,5;ignored"});

  Run(&Viruzedi::Scarica3);

  EXPECT_EQ(Movements(), (std::vector<std::string>{"X12|5|340|2.0|2026-12-06|NULL",
                                                   "Y7|2|341|1.5|2026-12-07|NULL"}));
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Importato_Rimesse_OF_20261206-235958.tmp"});
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(FileDownloadTest, ReconciliationFetchesTerminalFileTwo) {
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(1, {"not for this download"});
  PutTerminalFile(2, {"X12$5;12.5", "K$3.5;-2", "K$2.5;0"});

  Run(&Viruzedi::Scarica5);

  EXPECT_EQ(Movements(), (std::vector<std::string>{"X12|5|NULL|12.5|NULL|NULL",
                                                   "K|4|NULL|-2.0|NULL|NULL",
                                                   "K|2|NULL|0.0|NULL|NULL"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"Riconciliazione_20261206-100207.TMP"});
  EXPECT_EQ(FolderNames(terminale), std::vector<std::string>{"1.txt"});
}

TEST_F(FileDownloadTest, RemittancesCarryTheUserId) {
  platform->localTimes = {kStart};
  PutTerminalFile(1, {"$ROF;340;2;DDT15;20261206", "$rof;341;1,5;D'ANGELO 7;20261207"});

  Run(&Viruzedi::Scarica_RimesseOF, 4, true);

  EXPECT_EQ(Remittances(), (std::vector<std::string>{"4|340|2.0|DDT15|2026-12-06",
                                                     "4|341|1.5|D'ANGELO 7|2026-12-07"}));
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Importato_Rimesse_OF_20261206-093015.tmp"});
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(FileDownloadTest, RemittancesOfAHostThatNeverSetTheUserIdCarryZero) {
  platform->localTimes = {kStart};
  PutTerminalFile(1, {"$ROF;340;2;DDT15;20261206"});
  Run(&Viruzedi::Scarica_RimesseOF);
  EXPECT_EQ(Remittances(), std::vector<std::string>{"0|340|2.0|DDT15|2026-12-06"});
}

TEST_F(FileDownloadTest, EveryRejectedLineIsWarnedAndTheOthersAreStored) {
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(1, {"A$1;1;20261206;1", "B;1;20261206;1", "C$2;2;20261206;2", "D;x", "E",
                      "D'AMICO$3;3;20261207;3"});

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCode, kBadCode, kBadCode}));
  EXPECT_EQ(Movements(), (std::vector<std::string>{"A|1|NULL|1.0|2026-12-06|1",
                                                   "C|2|NULL|2.0|2026-12-06|2",
                                                   "D'AMICO|3|NULL|3.0|2026-12-07|3"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-100207.TMP"});
}

TEST_F(FileDownloadTest, ASubOrderFileReceivedAsRemittancesIsRejectedLineByLine) {
  platform->localTimes = {kStart};
  PutTerminalFile(1, {"X12;5;340;2", "Y7;2;341;1"});
  Run(&Viruzedi::Scarica_RimesseOF);
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCode, kBadCode}));
  EXPECT_TRUE(Remittances().empty());
  EXPECT_EQ(FolderNames(letture),
            std::vector<std::string>{"Importato_Rimesse_OF_20261206-093015.tmp"});
}

// What every one of the four downloads does the same way.
struct Download {
  const char* name;
  Operation operation;
  int numeroFile;
  const char* validLine;
  const char* temporaryName;  // started at kStart
  const char* archiveName;    // ended at kEnd
};

const Download kDownloads[] = {
    {"Scarica3", &Viruzedi::Scarica3, 1, "X12;5;340;2", "Rimesse_OF_20261206-093015.tmp",
     "Importato_Rimesse_OF_20261206-093015.tmp"},
    {"Scarica4", &Viruzedi::Scarica4, 1, "X12$5;2;20261206;3", "MovMag_20261206-093015.tmp",
     "MovMag_20261206-100207.TMP"},
    {"Scarica5", &Viruzedi::Scarica5, 2, "X12$5;12.5", "Riconciliazione_20261206-093015.tmp",
     "Riconciliazione_20261206-100207.TMP"},
    {"Scarica_RimesseOF", &Viruzedi::Scarica_RimesseOF, 1, "$ROF;340;2;DDT15;20261206",
     "Rimesse_OF_20261206-093015.tmp", "Importato_Rimesse_OF_20261206-093015.tmp"},
};

class EveryDownloadTest : public FileDownloadTest,
                          public ::testing::WithParamInterface<Download> {
 protected:
  size_t StoredRows() const {
    return Rows("SELECT * FROM Viruzedi").size() + Remittances().size();
  }
};

TEST_P(EveryDownloadTest, NoFileReceivedEndsSilentlyAndLeavesNoName) {
  platform->localTimes = {kStart};
  Run(GetParam().operation);
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_TRUE(FolderNames(letture).empty());  // the reservation went with the transfer
}

TEST_P(EveryDownloadTest, AnEmptyFileIsArchived) {
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(GetParam().numeroFile, {});
  Run(GetParam().operation);
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(StoredRows(), 0u);
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{GetParam().archiveName});
}

TEST_P(EveryDownloadTest, BlankLinesAndLinesOfSpacesAreSkipped) {
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(GetParam().numeroFile, {GetParam().validLine, "", "   ", GetParam().validLine,
                                          GetParam().validLine, ""});
  Run(GetParam().operation);
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(StoredRows(), 3u);
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{GetParam().archiveName});
}

TEST_P(EveryDownloadTest, ABadLineStoresNoRowOfTheFileWhichWaits) {
  platform->localTimes = {kStart};
  const std::string bad = std::string(GetParam().validLine) + "x";  // a number spoilt
  PutTerminalFile(GetParam().numeroFile, {GetParam().validLine, "", bad, GetParam().validLine});
  Viruzedi component(platform);
  component.DbPath(database);
  (component.*GetParam().operation)();
  EXPECT_EQ(Captions(), std::vector<std::string>{"13"});
  EXPECT_TRUE(component.LastOutcome().failed);
  EXPECT_EQ(component.LastOutcome().detail,
            letture + "/" + GetParam().temporaryName + ", riga 3: " + bad);
  EXPECT_EQ(StoredRows(), 0u);
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{GetParam().temporaryName});
}

TEST_P(EveryDownloadTest, AStopRequestBetweenLinesStoresNothingAndTheFileWaits) {
  platform->localTimes = {kStart};
  platform->stopAfterChecks = 1;
  PutTerminalFile(GetParam().numeroFile, {GetParam().validLine, GetParam().validLine});
  Viruzedi component(platform);
  component.DbPath(database);
  (component.*GetParam().operation)();
  EXPECT_TRUE(component.LastOutcome().Interrupted());
  EXPECT_EQ(Captions(), std::vector<std::string>{"18"});
  EXPECT_EQ(StoredRows(), 0u);
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{GetParam().temporaryName});
}

// A database that is wrong is found before the terminal's file leaves it,
// so that the retry with the right one finds it there.
TEST_P(EveryDownloadTest, AWrongDatabaseIsFoundBeforeTheTransfer) {
  struct Case {
    std::string setup;  // SQL for the database; "" for no file
    const char* caption;
  };
  const std::string table =
      std::string(GetParam().name) == "Scarica_RimesseOF" ? "Viruzedi_RimesseOF" : "Viruzedi";
  for (const Case& c : std::vector<Case>{
           {"", "3024"},
           {"CREATE TABLE Altro (x)", "3078"},
           {"CREATE TABLE " + table + " (Codart TEXT, IdUt INTEGER)", "3127"},
       }) {
    TemporaryFolder other;
    const std::string wrong = other / "sbagliato.db";
    if (!c.setup.empty()) CreateDatabase(wrong, c.setup);
    platform->boxes.clear();
    platform->localTimes = {kStart};
    PutTerminalFile(GetParam().numeroFile, {GetParam().validLine});
    Viruzedi component(platform);
    component.DbPath(wrong);
    (component.*GetParam().operation)();
    EXPECT_EQ(Captions(), std::vector<std::string>{c.caption});
    EXPECT_TRUE(component.LastOutcome().failed);
    EXPECT_TRUE(FolderNames(letture).empty());
    EXPECT_EQ(ReadFile(terminale + "/" + std::to_string(GetParam().numeroFile) + ".txt"),
              std::string(GetParam().validLine) + "\r\n");
  }
}

TEST_P(EveryDownloadTest, WithoutATerminalOnlyTheLinkSpeaks) {
  platform->terminalSetting = "";
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(GetParam().numeroFile, {GetParam().validLine});
  Run(GetParam().operation);
  EXPECT_EQ(Captions(), std::vector<std::string>{"Collegamento"});
  EXPECT_EQ(StoredRows(), 0u);
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_EQ(FolderNames(terminale).size(), 1u);
}

TEST_P(EveryDownloadTest, AnEarlierUnimportedFileIsNamedAndNeverDeleted) {
  // A download that failed in this very second left its file behind.
  std::filesystem::create_directory(letture);
  WriteFile(letture + "/" + GetParam().temporaryName, "unimported\r\n");
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(GetParam().numeroFile, {GetParam().validLine});

  Run(GetParam().operation);

  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, kTitoloAttenzione);
  EXPECT_EQ(platform->boxes[0].style, kOkOnly);
  EXPECT_NE(platform->boxes[0].text.find(letture + "/" + GetParam().temporaryName),
            std::string::npos);
  EXPECT_EQ(StoredRows(), 1u);
  EXPECT_EQ(ReadFile(letture + "/" + GetParam().temporaryName), "unimported\r\n");
  EXPECT_EQ(FolderNames(letture).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(FourDownloads, EveryDownloadTest, ::testing::ValuesIn(kDownloads),
                         [](const ::testing::TestParamInfo<Download>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(FileDownloadTest, ATemporaryNameWhoseArchiveExistsIsPassedOver) {
  std::filesystem::create_directory(letture);
  WriteFile(letture + "/Rimesse_OF_20261206-093015.tmp", "failed earlier");
  WriteFile(letture + "/Importato_Rimesse_OF_20261206-093016.tmp", "archived earlier");
  platform->localTimes = {kStart};
  PutTerminalFile(1, {"$ROF;340;2;DDT15;20261206"});

  Run(&Viruzedi::Scarica_RimesseOF);

  // The two downloads of this prefix read each other's files: either may apply.
  ASSERT_EQ(Captions(), std::vector<std::string>{kTitoloAttenzione});
  EXPECT_NE(platform->boxes[0].text.find("Rimesse_OF_20261206-093015.tmp (formato scarica3 o "
                                         "scarica-rimesseof)"),
            std::string::npos)
      << platform->boxes[0].text;
  EXPECT_EQ(FolderNames(letture), (std::vector<std::string>{
                                "Importato_Rimesse_OF_20261206-093016.tmp",
                                "Importato_Rimesse_OF_20261206-093017.tmp",
                                "Rimesse_OF_20261206-093015.tmp"}));
  EXPECT_EQ(ReadFile(letture + "/Importato_Rimesse_OF_20261206-093016.tmp"), "archived earlier");
}

// Two terminals emptied within one second end their imports in one second.
TEST_F(FileDownloadTest, AnArchiveNameThatExistsTakesTheNextFreeSecond) {
  std::filesystem::create_directory(letture);
  WriteFile(letture + "/MovMag_20261206-100207.TMP", "older archive");
  std::filesystem::create_directories(letture + "/MovMag_20261206-100208.TMP/dentro");
  platform->localTimes = {kStart, kEnd};
  PutTerminalFile(1, {"X12$5;2;20261206;3"});

  Run(&Viruzedi::Scarica4);

  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(Movements(), std::vector<std::string>{"X12|5|NULL|2.0|2026-12-06|3"});
  EXPECT_EQ(FolderNames(letture), (std::vector<std::string>{"MovMag_20261206-100207.TMP",
                                                            "MovMag_20261206-100208.TMP",
                                                            "MovMag_20261206-100209.TMP"}));
  EXPECT_EQ(ReadFile(letture + "/MovMag_20261206-100207.TMP"), "older archive");
}

TEST(NextSecond, CrossesEveryUnit) {
  struct Case {
    LocalDateTime from, to;
  };
  for (const Case& c : std::vector<Case>{
           {At(2026, 12, 6, 9, 30, 15), At(2026, 12, 6, 9, 30, 16)},
           {At(2026, 12, 6, 9, 30, 59), At(2026, 12, 6, 9, 31, 0)},
           {At(2026, 12, 6, 23, 59, 59), At(2026, 12, 7, 0, 0, 0)},
           {At(2026, 12, 31, 23, 59, 59), At(2027, 1, 1, 0, 0, 0)},
           {At(2028, 2, 28, 23, 59, 59), At(2028, 2, 29, 0, 0, 0)},
           {At(2026, 2, 28, 23, 59, 59), At(2026, 3, 1, 0, 0, 0)},
       }) {
    LocalDateTime next = NextSecond(c.from);
    EXPECT_EQ(std::tie(next.year, next.month, next.day, next.hour, next.minute, next.second),
              std::tie(c.to.year, c.to.month, c.to.day, c.to.hour, c.to.minute, c.to.second));
  }
}

}  // namespace
}  // namespace viruzedi::testing
