// The GS1 label import into a real SQLite file, from a reader file the test
// wrote (the reader program in the component folder ends at once).
#include <gtest/gtest.h>

#include <filesystem>

#include "database/Database.h"
#include "operation/Messages.h"
#include "platform/ChildProcess.h"
#include "tests/readerprog/ReaderProgramFixture.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

const ShownBox kNoData{kNessunDatoRicevuto, kCritical, kTitoloLetturaDati};

const char kExample[] = "(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013";
const char kExampleRow[] = "890|2025-03-15|12|LOT42|2025-03-15|380123450000000013";

class ScaricaZidoriVoviTest : public ReaderProgramTest {
 protected:
  ScaricaZidoriVoviTest() { platform->downloadFolder = temporary / "_Letture"; }
  void Run() {
    Viruzedi component(platform);
    component.Scarica_ZidoriVovi(database, readerFile);
    outcome = component.LastOutcome();
  }
  std::vector<std::string> Labels() const {
    return Rows("SELECT Codart, Data, NColli, Lotto_Codice, Lotto_Scadenza, SSCC FROM Viruzedi");
  }
  // The bad-code warning of line `number` of the file imported as `waiting`.
  static ShownBox Warning(const std::string& waiting, int number, const std::string& line,
                          const std::string& reason) {
    return {std::string(kAvvisoCodiceErrato) + " " + waiting + ", riga " +
                std::to_string(number) + ": " + line + ". Motivo: " + reason,
            kCritical, kTitoloAttenzione};
  }
  // The heading of a file's block in Etichette_scartate.txt: its name and
  // fingerprint as the ledger keeps them.
  std::string Heading() const {
    return "# " + Rows("SELECT Nome || ' ' || Impronta FROM Viruzedi_Importazioni")[0] + "\r\n";
  }
  std::string SetAsideFile() const { return temporary / "_Letture/Etichette_scartate.txt"; }

  OperationOutcome outcome;
};

TEST_F(ScaricaZidoriVoviTest, EachLabelBecomesOneRow) {
  PutReaderFile({kExample, "  ",
                 // As a scanner sends it: the SSCC from the label's (00).
                 "]C1" "00380123450000000020" "0208012345612345" "374\x1D" "10L-7\x1D"
                 "15261200;",
                 // The field, untrimmed, wins over the label's (00).
                 "(00)380123450000000037(02)08012345699995(37)60(17)270101(10)L2027;"
                 " 380123450000000044 "});
  Run();
  EXPECT_EQ(Labels(), (std::vector<std::string>{
                          kExampleRow, "234|2026-12-31|4|L-7|2026-12-31|380123450000000020",
                          "999|2027-01-01|60|L2027|2027-01-01| 380123450000000044 "}));
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(outcome.labelsSetAside, 0u);
  EXPECT_FALSE(std::filesystem::exists(SetAsideFile()));
}

// Each refused label is named with its reason, kept as read, once, after
// the rows of the others are stored.
TEST_F(ScaricaZidoriVoviTest, ALabelThatFailsACheckIsSetAsideAndTheRestIsStored) {
  const std::vector<std::string> lines{
      "(02)08012345612342(37)4(15)261200(10)L-0007;380123450000000020", kExample,
      "(02)08012345678907(37)12(15)250315(10)Citt\xE0;3801",
      "(02)08012345678907(15)250315(10)LOT42;380123450000000099"};
  PutReaderFile(lines);
  Run();
  EXPECT_EQ(Labels(), std::vector<std::string>{kExampleRow});
  const std::string waiting = temporary / Rows("SELECT Nome FROM Viruzedi_Importazioni")[0];
  EXPECT_EQ(platform->boxes,
            (std::vector<ShownBox>{
                Warning(waiting, 1, lines[0], "(02): cifra di controllo 2 errata, attesa 5"),
                Warning(waiting, 3, "(02)08012345678907(37)12(15)250315(10)Città;3801",
                        "(10): carattere non ammesso «à» (solo i caratteri GS1 del set 82)"),
                Warning(waiting, 4, lines[3], "manca (37)")}));
  EXPECT_EQ(ReadFile(SetAsideFile()),
            Heading() + lines[0] + "\r\n" + lines[2] + "\r\n" + lines[3] + "\r\n");
  EXPECT_EQ(outcome.labelsSetAside, 3u);
  EXPECT_EQ(outcome.setAsideFile, SetAsideFile());
  EXPECT_FALSE(outcome.failed);
}

// A crash between the commit and the archive leaves the file waiting and
// its block perhaps not written: settling it (the next run, or importa)
// writes the block when it is missing, and never twice.
TEST_F(ScaricaZidoriVoviTest, AFileSettledAfterACrashKeepsItsSetAsideLinesOnce) {
  const std::string bad = "(02)08012345678907(37)12(15)251315(10)L;3801";
  PutReaderFile({bad, kExample});
  Run();
  const std::string name = Rows("SELECT Nome FROM Viruzedi_Importazioni")[0];
  const std::string archived = readerFile + ".importato-20261206-093015";
  const std::string block = Heading() + bad + "\r\n";
  ASSERT_EQ(ReadFile(SetAsideFile()), block);
  auto crashAfterCommit = [&](bool blockWritten) {
    std::filesystem::rename(archived, temporary / name);
    if (!blockWritten) std::filesystem::remove(SetAsideFile());
  };

  crashAfterCommit(false);
  Run();  // no reader file this time: the file of the crashed run is settled first
  EXPECT_EQ(ReadFile(SetAsideFile()), block);
  EXPECT_TRUE(std::filesystem::exists(archived));

  for (bool blockWritten : {false, true}) {
    crashAfterCommit(blockWritten);
    Viruzedi component(platform);
    component.DbPath(database);
    component.ImportaFile(temporary / name, ImportFormat::kScaricaZidoriVovi);
    EXPECT_EQ(ReadFile(SetAsideFile()), block) << blockWritten;
    EXPECT_EQ(component.LastOutcome().labelsSetAside, 1u);
    EXPECT_NE(platform->boxes.back().text.find("già importato"), std::string::npos);
  }
  EXPECT_EQ(Labels(), std::vector<std::string>{kExampleRow});
}

// The old decoding failed the whole file for these lines: a valid label
// whose last element is (15), a date that is no number, a line without
// ";". Now every label is stored or set aside.
TEST_F(ScaricaZidoriVoviTest, LinesThatOnceFailedTheWholeFileAreStoredOrSetAside) {
  PutReaderFile({kExample, "(02)08012345678907(37)12(10)LOT42(15)250315;3801",
                 "(02)08012345678907(37)12(15)25X315(10)LOT42;3801",
                 "(02)08012345678907(37)12(15)250315(10)LOT42"});
  Run();
  EXPECT_EQ(Labels(), (std::vector<std::string>{
                          kExampleRow, "890|2025-03-15|12|LOT42|2025-03-15|3801",
                          "890|2025-03-15|12|LOT42|2025-03-15|"}));
  EXPECT_EQ(outcome.labelsSetAside, 1u);
  EXPECT_FALSE(outcome.failed);
}

TEST_F(ScaricaZidoriVoviTest, WithoutReaderFileTheMessageIsShown) {
  Run();
  EXPECT_EQ(platform->boxes, std::vector<ShownBox>{kNoData});
}

// SSCC is a column only the labels write: a table without it fails before
// the reader program runs.
TEST_F(ScaricaZidoriVoviTest, ATableWithoutTheLabelColumnsFailsBeforeTheProgramRuns) {
  PutReaderProgram(componentFolder, "touch \"$(dirname \"$0\")/partito\"\n");
  std::string plain = temporary / "solo-letture.db";
  ASSERT_TRUE(RawDatabase(plain).Exec(
      "CREATE TABLE Viruzedi (Codart TEXT, IdLotto INTEGER, Quantità REAL, "
      "Data DATE, NColli TEXT, Lotto_Codice TEXT, Lotto_Scadenza DATE)"));
  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] { component.Scarica_ZidoriVovi(plain, readerFile); }), kDbUnknownColumn);
  EXPECT_FALSE(std::filesystem::exists(componentFolder + "partito"));
}

}  // namespace
}  // namespace viruzedi::testing
