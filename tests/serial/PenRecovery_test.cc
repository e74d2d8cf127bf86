// What the pen sent and the download could not store: the pen forgets a read
// as it sends it, so the read goes to the recovery file and no further read
// is asked for. The database is checked before the first request, and a stop
// request ends the download only between two reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "component/ObjectState.h"
#include "base/Errors.h"
#include "database/Database.h"
#include "serial/Texts.h"
#include "tests/serial/PenTestSupport.h"
#include "tests/database/support/DatabaseLock.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

class PenRecoveryTest : public ::testing::Test {
 protected:
  PenRecoveryTest() {
    DBEngine::CreateTargetDatabase(database);
    platform->downloadFolder = letture;
  }

  // Runs a download from `pen` into `dbPath` and checks the port is free
  // again afterwards.
  const OperationOutcome& Scarica(SimulatedPen& pen, const std::string& dbPath) {
    platform->serialDevices[1] = pen.device();
    object.Porta(1);
    object.DbPath(dbPath);
    object.Scarica();
    EXPECT_FALSE(ViruzediInternals::Seriale(object).PortOpen());
    EXPECT_TRUE(DeviceIsFree(pen.device()));
    return object.LastOutcome();
  }
  // What the pen still holds: a download into a sound database takes it.
  std::vector<PenRow> LeftOnThePen(SimulatedPen& pen) {
    std::string other = temporary / "dopo.db";
    std::filesystem::remove(other);
    DBEngine::CreateTargetDatabase(other);
    platform->boxes.clear();
    Scarica(pen, other);
    EXPECT_TRUE(platform->boxes.empty());
    return StoredRows(other);
  }
  std::string Recovery() const { return ReadFile(recovery); }

  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  std::string letture = temporary / "_Letture";
  std::string recovery = letture + "/Penna_non_salvate.txt";
  std::shared_ptr<PenPlatform> platform = std::make_shared<PenPlatform>();
  Viruzedi object{platform};
};

void RunSql(const std::string& database, const char* sql) { RawDatabase(database).Exec(sql); }

TEST_F(PenRecoveryTest, AWrongDatabaseIsFoundBeforeTheFirstRequest) {
  struct Case {
    const char* name;
    const char* sql;  // made of the database file, or null for none
    int32_t number;
  } cases[] = {
      {"missing file", nullptr, kDbFileNotFound},
      {"no table", "CREATE TABLE Altro (Codart TEXT)", kDbTableNotFound},
      {"no quantity", "CREATE TABLE Viruzedi (Codart TEXT, IdLotto INTEGER, [Id SottoOrd] INTEGER)",
       kDbUnknownColumn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string wrong = temporary / (std::string(c.name) + ".db");
    if (c.sql) RunSql(wrong, c.sql);
    platform->boxes.clear();
    SimulatedPen pen({"A;1;2;3", "B;4;5;6"});
    const OperationOutcome& outcome = Scarica(pen, wrong);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.errorNumber, c.number);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].caption, "Errore n. " + std::to_string(c.number));
    EXPECT_FALSE(std::filesystem::exists(recovery));
    EXPECT_EQ(LeftOnThePen(pen), (std::vector<PenRow>{{"A", 1, 2, 3}, {"B", 4, 5, 6}}));
  }
}

TEST_F(PenRecoveryTest, AReadTheLockedDatabaseRefusesGoesToTheRecoveryFile) {
  if (!DatabaseLock::Available()) GTEST_SKIP() << "no other program here to hold the lock";
  object.state().dbSettings.busyTimeout = 100ms;
  SimulatedPen pen({"A;1;2;3", "B;4;5;6"});
  {
    DatabaseLock lock(database, temporary.path());
    const OperationOutcome& outcome = Scarica(pen, database);
    EXPECT_EQ(outcome.errorNumber, kDbLocked);
  }
  object.state().dbSettings.busyTimeout = 5s;
  EXPECT_TRUE(StoredRows(database).empty());
  EXPECT_EQ(Recovery(), "A;1;2;3\r\n");
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_NE(platform->boxes[0].text.find(recovery), std::string::npos) << platform->boxes[0].text;
  EXPECT_EQ(LeftOnThePen(pen), (std::vector<PenRow>{{"B", 4, 5, 6}}));
}

TEST_F(PenRecoveryTest, ReadsAreAppendedAsReceivedAndTheFolderIsMadeWhenMissing) {
  // Bytes as the pen sent them (Windows-1252 "É"), one line per failure.
  for (const char* read : {"CAF\xC9;1;2", "B;1;x;3"}) {
    SimulatedPen pen({read});
    Scarica(pen, database);
  }
  EXPECT_EQ(Recovery(), "CAF\xC9;1;2\r\nB;1;x;3\r\n");
  // The error's standard text, one full stop, then where the read went.
  const std::string kept = std::string(kSalvataNelFile) + recovery + ".";
  EXPECT_EQ(platform->boxes,
            (std::vector<ShownBox>{
                {"Argomento o chiamata di procedura non valida. " + kept, 16, "Errore n. 5"},
                {"Tipo non corrispondente. " + kept, 16, "Errore n. 13"}}));
}

TEST_F(PenRecoveryTest, WithoutARecoveryFileTheMessageQuotesTheRead) {
  platform->downloadFolder = database + "/_Letture";  // under a file: never a folder
  SimulatedPen pen({"CAF\xC9;1;2", "B;4;5;6"});
  Scarica(pen, database);
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_NE(platform->boxes[0].text.find("\"CAFÉ;1;2\""), std::string::npos)
      << platform->boxes[0].text;
  EXPECT_EQ(LeftOnThePen(pen), (std::vector<PenRow>{{"B", 4, 5, 6}}));
}

TEST_F(PenRecoveryTest, AnAnswerCutShortByTheTimeOutIsKept) {
  // CR LF never ends a pen line, so the first answer stays unfinished until
  // the allowance (on the real clock, so the answer surely arrives) runs out.
  SimulatedPen pen({"--cr-lf", "A;1;2;3"});
  const OperationOutcome& outcome = Scarica(pen, database);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(Recovery(), "A;1;2;3\r\n\r\n");
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, kTitoloTimeOut);
  EXPECT_EQ(platform->boxes[0].text,
            std::string(kTestoTimeOut) + " " + kSalvataNelFile + recovery + ".");
}

TEST_F(PenRecoveryTest, ASilentReaderLeavesNoRecoveryFile) {
  platform->UseFakeClock();
  SimulatedPen pen({"--answers", "1", "A;1;2;3", "B;1;2;3"});
  EXPECT_TRUE(Scarica(pen, database).failed);
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{{kTestoTimeOut, 16, "TimeOut Error"}}));
  EXPECT_FALSE(std::filesystem::exists(letture));
}

TEST_F(PenRecoveryTest, AStopRequestEndsTheDownloadBetweenTwoReads) {
  // The first look lets the first request go; the second stops.
  platform->stopAfterChecks = 1;
  SimulatedPen pen({"A;1;2;3", "B;4;5;6"});
  const OperationOutcome& outcome = Scarica(pen, database);
  EXPECT_TRUE(outcome.Interrupted());
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}}));
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "Errore n. 18");
  EXPECT_FALSE(std::filesystem::exists(recovery));
  platform->stopAfterChecks = -1;
  EXPECT_EQ(LeftOnThePen(pen), (std::vector<PenRow>{{"B", 4, 5, 6}}));
}

TEST_F(PenRecoveryTest, RowsRefusedByTheTableAreCounted) {
  RunSql(database, "CREATE UNIQUE INDEX UnCodice ON Viruzedi (Codart)");
  SimulatedPen pen({"A;1;2;3", "A;4;5;6", "B;1;1;1"});
  const OperationOutcome& outcome = Scarica(pen, database);
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.rowsRefused, 1u);
  EXPECT_EQ(StoredRows(database).size(), 2u);
}

}  // namespace
}  // namespace viruzedi::testing
