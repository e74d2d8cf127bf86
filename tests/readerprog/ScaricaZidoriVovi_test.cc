// The GS1 label import into a real SQLite file, from a reader file the test
// wrote (the reader program in the component folder ends at once).
#include <gtest/gtest.h>

#include <filesystem>

#include "database/Database.h"
#include "component/Messages.h"
#include "platform/ChildProcess.h"
#include "tests/readerprog/ReaderProgramFixture.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

const ShownBox kNoData{kNessunDatoRicevuto, kCritical, kTitoloLetturaDati};
const ShownBox kBadCode{kAvvisoCodiceErrato, kCritical, kTitoloAttenzione};

const char kExample[] = "(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013";
const char kExampleRow[] = "890|2025-03-15|12|LOT42|2025-03-15|380123450000000013";

class ScaricaZidoriVoviTest : public ReaderProgramTest {
 protected:
  void Run() {
    Viruzedi component(platform);
    component.Scarica_ZidoriVovi(database, readerFile);
  }
  std::vector<std::string> Labels() const {
    return Rows("SELECT Codart, Data, NColli, Lotto_Codice, Lotto_Scadenza, SSCC FROM Viruzedi");
  }
};

TEST_F(ScaricaZidoriVoviTest, EachLabelBecomesOneRow) {
  PutReaderFile({kExample, "  ",
                 "(15)251315(02)08012345612342(37)(10)L-7(21)9; 380123450000000020 ;x",
                 "(02)0801234561(37)4(15)240200(10);3"});
  Run();
  EXPECT_EQ(Labels(), (std::vector<std::string>{
                          kExampleRow,
                          "234|2026-01-15||L-7(21)9|2026-01-15| 380123450000000020 ",
                          "|2024-02-29|4||2024-02-29|3"}));
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(ScaricaZidoriVoviTest, ALabelLackingAnIdentifierIsWarnedAboutAndTheImportGoesOn) {
  PutReaderFile({"(02)08012345678907(15)250315(10)LOT42;380123450000000099",
                 "senza identificatori", kExample});
  Run();
  EXPECT_EQ(Labels(), std::vector<std::string>{kExampleRow});
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCode, kBadCode}));
}

TEST_F(ScaricaZidoriVoviTest, ALineThatCannotBeDecodedStoresNothingOfTheFile) {
  struct Case {
    const char* badLine;
    int32_t number;
  } cases[] = {
      {"(02)08012345678907(37)12(10)LOT42(15)250315;3801", kInvalidArgument},
      {"(02)08012345678907(37)12(15)25X315(10)LOT42;3801", kTypeMismatch},
      {"(02)08012345678907(37)12(15)250315(10)LOT42", kSubscriptOutOfRange},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(database);
    DBEngine::CreateTargetDatabase(database);
    PutReaderFile({kExample, c.badLine, kExample});
    EXPECT_EQ(ErrorOf([&] { Run(); }), c.number) << c.badLine;
    EXPECT_TRUE(Labels().empty()) << c.badLine;
  }
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
