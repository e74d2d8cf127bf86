// The reader file import into a real SQLite file. The reader program is
// absent (the component folder is empty) unless a test puts one there, so
// the reader file is the one the test wrote.
#include <gtest/gtest.h>

#include <filesystem>

#include "component/Database.h"
#include "component/Messages.h"
#include "tests/readerprog/ReaderProgramFixture.h"

namespace viruzedi::testing {
namespace {

const ShownBox kNoData{kNessunDatoRicevuto, kCritical, kTitoloLetturaDati};

class Scarica2Test : public ReaderProgramTest {
 protected:
  void Run() {
    Viruzedi component(platform);
    component.Scarica2(database, readerFile);
  }
  std::vector<std::string> Reads() const {
    return Rows("SELECT Codart, IdLotto, Quantità, Data FROM Viruzedi");
  }
};

TEST_F(Scarica2Test, WithoutReaderProgramOrFileTheMessageIsShownAndNoDatabaseIsOpened) {
  std::string missingDatabase = temporary / "mai-creato.db";
  Viruzedi component(platform);
  component.Scarica2(missingDatabase, readerFile);
  EXPECT_EQ(platform->boxes, std::vector<ShownBox>{kNoData});
  EXPECT_FALSE(std::filesystem::exists(missingDatabase));
}

TEST_F(Scarica2Test, EachNonBlankLineBecomesOneRowOfToday) {
  PutReaderFile({"A1;5", "A1;5;17;x", "   ", "", " A1 ; 2,5 ", "B2;3,5", "C'3;1.5;18"});
  Run();
  EXPECT_EQ(Reads(), (std::vector<std::string>{
                         "A1|0|5.0|2026-12-06", "A1|17|5.0|2026-12-06",
                         " A1 |0|2.5|2026-12-06",  // fields are not trimmed
                         "B2|0|3.5|2026-12-06",
                         "C'3|18|1.5|2026-12-06"}));
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_TRUE(std::filesystem::exists(readerFile));  // left where it was
}

TEST_F(Scarica2Test, AnEmptyOrBlankFileAddsNothing) {
  for (const std::vector<std::string>& lines :
       {std::vector<std::string>{}, std::vector<std::string>{"", "  ", "    "}}) {
    PutReaderFile(lines);
    Run();
  }
  EXPECT_TRUE(Reads().empty());
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(Scarica2Test, ALineWithoutSemicolonEndsTheImportAfterTheRowsBeforeIt) {
  struct Case {
    const char* badLine;
  } cases[] = {{"A1"}, {"\t"}};  // a tab is not blank
  for (const Case& c : cases) {
    std::filesystem::remove(database);
    DBEngine::CreateTargetDatabase(database);
    PutReaderFile({"X1;1", "X2;2", c.badLine, "X3;3"});
    EXPECT_EQ(ErrorOf([&] { Run(); }), kSubscriptOutOfRange) << c.badLine;
    EXPECT_EQ(Reads(), (std::vector<std::string>{"X1|0|1.0|2026-12-06", "X2|0|2.0|2026-12-06"}));
  }
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(Scarica2Test, AValueTheDatabaseRefusesEndsTheImport) {
  for (const char* badLine : {"X2;molti", "X2;1;", "X2;1;L7"}) {
    std::filesystem::remove(database);
    DBEngine::CreateTargetDatabase(database);
    PutReaderFile({"X1;1", badLine, "X3;3"});
    EXPECT_EQ(ErrorOf([&] { Run(); }), kDbFieldValue) << badLine;
    EXPECT_EQ(Reads(), std::vector<std::string>{"X1|0|1.0|2026-12-06"}) << badLine;
  }
}

TEST_F(Scarica2Test, TheDateIsTakenForEachRow) {
  platform->localTimes = {{2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}};
  PutReaderFile({"X1;1", "X2;2"});
  Run();
  EXPECT_EQ(Reads(), (std::vector<std::string>{"X1|0|1.0|2026-12-31", "X2|0|2.0|2027-01-01"}));
}

TEST_F(Scarica2Test, ASecondCallImportsTheSameFileAgain) {
  PutReaderFile({"X1;1"});
  Run();
  Run();
  EXPECT_EQ(Reads().size(), 2u);
}

TEST_F(Scarica2Test, AMissingDatabaseOrTableIsAnError) {
  PutReaderFile({"X1;1"});
  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] { component.Scarica2(temporary / "nessuno.db", readerFile); }),
            kDbFileNotFound);
  std::string other = temporary / "altro.db";
  WriteFile(other, "");
  EXPECT_NE(ErrorOf([&] { component.Scarica2(other, readerFile); }), 0);
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(Scarica2Test, AnsiTextOfTheReaderFileIsStoredAsTheSameCharacters) {
  PutReaderFile({"CAFF\xC8;1", "PI\xD9;2"});
  Run();
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), (std::vector<std::string>{"CAFFÈ", "PIÙ"}));
}

}  // namespace
}  // namespace viruzedi::testing
