// The reader file import into a real SQLite file. The reader program ends
// at once unless a test puts another there, so the reader file is the one
// the test wrote.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/Database.h"
#include "operation/Messages.h"
#include "tests/readerprog/ReaderProgramFixture.h"
#include "tests/support/Commands.h"
#include "tests/database/support/RawDatabase.h"

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

TEST_F(Scarica2Test, AProgramThatFinishesWithoutAFileGivesTheNoDataMessage) {
  Viruzedi component(platform);
  component.Scarica2(database, readerFile);
  EXPECT_EQ(platform->boxes, std::vector<ShownBox>{kNoData});
  EXPECT_FALSE(component.LastOutcome().failed);
}

// The reads are still in the reader after a database that cannot take them:
// the program must not have run.
TEST_F(Scarica2Test, AWrongDatabaseFailsBeforeTheReaderProgramRuns) {
  PutReaderProgram(componentFolder, "touch \"$(dirname \"$0\")/partito\"\n");
  std::string empty = temporary / "vuoto.db";
  WriteFile(empty, "");
  std::string otherTable = temporary / "altra-tabella.db";
  std::string missingColumn = temporary / "senza-colonna.db";
  ASSERT_TRUE(RawDatabase(otherTable).Exec("CREATE TABLE Altro (x)"));
  ASSERT_TRUE(RawDatabase(missingColumn)
                  .Exec("CREATE TABLE Viruzedi (Codart TEXT, Quantità REAL, Data DATE)"));
  struct Case {
    std::string database;
    int32_t number;
  } cases[] = {{temporary / "nessuno.db", kDbFileNotFound},
               {empty, kDbNotADatabase},
               {otherTable, kDbTableNotFound},
               {missingColumn, kDbUnknownColumn}};
  for (const Case& c : cases) {
    Viruzedi component(platform);
    EXPECT_EQ(ErrorOf([&] { component.Scarica2(c.database, readerFile); }), c.number)
        << c.database;
    EXPECT_TRUE(component.LastOutcome().failed);
    EXPECT_EQ(component.LastOutcome().errorNumber, c.number);
  }
  EXPECT_FALSE(std::filesystem::exists(componentFolder + "partito"));
  EXPECT_TRUE(platform->boxes.empty());
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
  EXPECT_FALSE(std::filesystem::exists(readerFile));  // archived
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

// A bad line anywhere stores nothing of the file, and the failure says
// which line it was and which file waits to be imported.
TEST_F(Scarica2Test, ABadLineStoresNothingAndNamesItsFileAndLine) {
  struct Case {
    const char* badLine;
    int32_t number;
  } cases[] = {{"A1", kSubscriptOutOfRange},
               {"\t", kSubscriptOutOfRange},  // a tab is not blank
               {"X2;molti", kDbFieldValue},
               {"X2;1;", kDbFieldValue},
               {"X2;1;L7", kDbFieldValue}};
  for (const Case& c : cases) {
    PutReaderFile({"X1;1", "", c.badLine, "X3;3"});
    Viruzedi component(platform);
    try {
      component.Scarica2(database, readerFile);
      ADD_FAILURE() << c.badLine;
    } catch (const AutomationError& failure) {
      EXPECT_EQ(failure.number, c.number) << c.badLine;
      // One full stop between the error's own text and the file's sentence,
      // whether or not that text ends with one.
      EXPECT_NE(failure.description.find(". File delle letture non importato: " +
                                         WaitingReaderFile()),
                std::string::npos)
          << failure.description;
      EXPECT_EQ(failure.description.find(".."), std::string::npos) << failure.description;
      EXPECT_EQ(failure.detail, WaitingReaderFile() + ", riga 3: " + c.badLine);
    }
    EXPECT_EQ(component.LastOutcome().detail, WaitingReaderFile() + ", riga 3: " + c.badLine);
    EXPECT_TRUE(Reads().empty()) << c.badLine;
    EXPECT_EQ(ReadFile(WaitingReaderFile()),
              "X1;1\r\n\r\n" + std::string(c.badLine) + "\r\nX3;3\r\n");
  }
  EXPECT_TRUE(platform->boxes.empty());
}

// The reader program's end tells a failure from a reader that sent nothing;
// after a failure a reader file that is there is not imported. The error
// tells a file this run wrote (its reads wait to be imported) from one it
// left as it was (an earlier run's reads, which may be stored already).
TEST_F(Scarica2Test, TheReaderProgramsFailuresAreErrorsNamingTheReaderFile) {
  const std::string writesThenFails = "f=\"${1%%,*}\"; printf 'X9;9\\r\\n' > \"$f\"; exit 1\n";
  struct Case {
    std::string script;
    int32_t number;
    bool written;
  } cases[] = {{"exit 2\n", kInvalidArgument, false},
               {"exit 3\n", kInvalidPortNumber, false},
               {"exit 4\n", kPortAlreadyOpen, false},
               {"exit 1\n", kDeviceIoError, false},
               {"exit 7\n", kDeviceIoError, false},
               {"kill -9 $$\n", kDeviceIoError, false},
               {writesThenFails, kDeviceIoError, true}};
  for (const Case& c : cases) {
    PutReaderProgram(componentFolder, c.script);
    PutReaderFile({"X1;1"});
    Viruzedi component(platform);
    try {
      component.Scarica2(database, readerFile);
      ADD_FAILURE() << c.script;
    } catch (const AutomationError& failure) {
      EXPECT_EQ(failure.number, c.number) << c.script;
      EXPECT_NE(failure.description.find(readerFile), std::string::npos) << failure.description;
      EXPECT_EQ(failure.description.find("non importato") != std::string::npos, c.written)
          << failure.description;
    }
    EXPECT_EQ(component.LastOutcome().errorNumber, c.number);
  }
  EXPECT_TRUE(Reads().empty());
  EXPECT_TRUE(platform->boxes.empty());
}

// Ctrl-C or a service stop reaches the whole process group, the reader
// program with it, which may die of the signal before the wait looks at the
// stop request. The request is there by the time the component looks at
// the program's end: a death by the stop's signal is then the stop, and
// any other death is still the reader's failure.
class StopWithTheProgramsDeath : public TestPlatform {
 public:
  bool StopRequested() override { return stopAsked; }
  ProcessRunner& Processes() override { return runner_; }

  bool stopAsked = false;

 private:
  // The real runner, whose wait never hears the stop: it arrives as the
  // program ends.
  struct Runner : ProcessRunner {
    Runner(ProcessRunner& real, bool& stopAsked) : real(real), stopAsked(stopAsked) {}
    ProcessExit Run(const std::string& commandLine, const std::function<bool()>&) override {
      ProcessExit exit = real.Run(commandLine, [] { return false; });
      stopAsked = true;
      return exit;
    }
    ProcessRunner& real;
    bool& stopAsked;
  };
  Runner runner_{TestPlatform::Processes(), stopAsked};
};

TEST_F(Scarica2Test, AReaderProgramThatDiesOfTheStopSignalIsAnInterruption) {
  struct Case {
    const char* script;
    int32_t number;
  } cases[] = {{"kill -INT $$\n", kUserInterrupt},
               {"kill -TERM $$\n", kUserInterrupt},
               {"kill -KILL $$\n", kDeviceIoError}};
  for (const Case& c : cases) {
    auto stopping = std::make_shared<StopWithTheProgramsDeath>();
    stopping->componentFolder = componentFolder;
    PutReaderProgram(componentFolder, c.script);
    PutReaderFile({"X1;1"});
    Viruzedi component(stopping);
    EXPECT_EQ(ErrorOf([&] { component.Scarica2(database, readerFile); }), c.number) << c.script;
    EXPECT_EQ(component.LastOutcome().Interrupted(), c.number == kUserInterrupt) << c.script;
  }
  EXPECT_TRUE(Reads().empty());
}

TEST_F(Scarica2Test, AMissingReaderProgramIsAnErrorNamingIt) {
  std::filesystem::remove(componentFolder + "DO_Duri.exe");
  PutReaderFile({"X1;1"});
  Viruzedi component(platform);
  try {
    component.Scarica2(database, readerFile);
    ADD_FAILURE();
  } catch (const AutomationError& failure) {
    EXPECT_EQ(failure.number, kFileNotFound);
    EXPECT_NE(failure.description.find(componentFolder + "DO_Duri.exe"), std::string::npos)
        << failure.description;
  }
  EXPECT_TRUE(Reads().empty());
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(Scarica2Test, TheDateIsTakenForEachRow) {
  // The first time names the reader file while it is imported.
  platform->localTimes = {
      {2026, 12, 31, 23, 59, 58}, {2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}};
  PutReaderFile({"X1;1", "X2;2"});
  Run();
  EXPECT_EQ(Reads(), (std::vector<std::string>{"X1|0|1.0|2026-12-31", "X2|0|2.0|2027-01-01"}));
}

// The reader file is archived once its rows are stored: the next run, whose
// program leaves no new file, stores nothing again (before, it found the
// same file and stored every read a second time).
TEST_F(Scarica2Test, AnImportedReaderFileIsArchivedSoTheNextRunFindsNoneOfItsReads) {
  platform->localTimes = {kToday};
  PutReaderFile({"X1;1"});
  Run();
  EXPECT_FALSE(std::filesystem::exists(readerFile));
  EXPECT_TRUE(std::filesystem::exists(readerFile + ".importato-20261206-093015"));
  Run();
  EXPECT_EQ(Reads().size(), 1u);
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].text, kNessunDatoRicevuto);
}

// A reader file whose rows committed, left waiting by a crash before its
// archive, is archived by the next run before its program runs: its reads
// are never stored again, and nothing is left for an operator to import.
TEST_F(Scarica2Test, AWaitingReaderFileWhoseRowsAreStoredIsArchivedBeforeTheNextRun) {
  platform->localTimes = {kToday};
  PutReaderFile({"X1;1", "X2;2"});
  Run();
  const std::vector<std::string> names = Rows("SELECT Nome FROM Viruzedi_Importazioni");
  ASSERT_EQ(names.size(), 1u);
  const std::string waiting = temporary / names[0];
  std::filesystem::rename(readerFile + ".importato-20261206-093015", waiting);

  Run();
  EXPECT_EQ(Reads().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(waiting));
  EXPECT_EQ(WaitingReaderFile(), "");
}

TEST_F(Scarica2Test, AnsiTextOfTheReaderFileIsStoredAsTheSameCharacters) {
  PutReaderFile({"CAFF\xC8;1", "PI\xD9;2"});
  Run();
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), (std::vector<std::string>{"CAFFÈ", "PIÙ"}));
}

}  // namespace
}  // namespace viruzedi::testing
