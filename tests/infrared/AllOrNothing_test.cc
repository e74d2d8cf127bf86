// One infrared download is stored whole or not at all: its rows are written
// once the reader has said it has no more and before it is told to erase;
// records with a bad code are kept in a file before that erase.
#include <filesystem>

#include "component/ObjectState.h"
#include "base/Errors.h"
#include "database/Database.h"
#include "viruzedi/Viruzedi.h"
#include "tests/infrared/InfraredFixture.h"
#include "tests/database/support/DatabaseLock.h"

namespace viruzedi::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kRecordA7 = "#A7$12;1.5;20261206;3;";
const std::string kRowA7 = "#A7|12|1.5|2026-12-06|3";
const std::string kRecordA1 = "#A1$5;2;20260131;7;";
const std::string kBadCode = "#SENZALOTTO;1;20261206;1;";

class AllOrNothingTest : public InfraredTest {
 protected:
  const OperationOutcome& Run() {
    component.Porta(2);
    component.DbPath(database);
    component.Scarica1();
    return component.LastOutcome();
  }
  std::string Rejected() const { return ReadFile(letture + "/Infrarossi_scartati.txt"); }

  Viruzedi component{platform};
};

TEST_F(AllOrNothingTest, RowsAppearOnlyAfterEndOfDataAndBadCodesAreKeptBeforeTheErase) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {kBadCode}, {kRecordA1}, {kBadCode}, {"EOF"}};
  Strings rowsBeforeEof;
  std::string rejectedAtErase;
  link.onWrite = [&](const std::string& text) {
    if (text == "SEGUE 4\r") rowsBeforeEof = Rows();
    if (text == "ELIMINA\r") rejectedAtErase = Rejected();
  };
  const OperationOutcome& outcome = Run();
  EXPECT_FALSE(outcome.failed);
  EXPECT_TRUE(rowsBeforeEof.empty());
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_EQ(rejectedAtErase, kBadCode + "\r\n" + kBadCode + "\r\n");
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCodeBox, kBadCodeBox}));
}

TEST_F(AllOrNothingTest, AStopRequestBetweenTwoRecordsStoresNothingAndMarksKo) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {kRecordA1}, {"EOF"}};
  platform->stopAfterChecks = 1;
  const OperationOutcome& outcome = Run();
  EXPECT_TRUE(outcome.Interrupted());
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r"}));
  EXPECT_EQ(link.Count("close"), 1);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(Marker(), "KO\r\n");
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "18");
}

TEST_F(AllOrNothingTest, EveryFailedEndIsAFailureOfTheOutcome) {
  struct Case {
    const char* name;
    int32_t openResult;
    std::deque<FakeInfraredLibrary::Read> reads;
    bool failed;
  } cases[] = {
      {"open failure", 0, {}, true},
      {"handshake timeout", 1, {}, true},
      {"no reply", 1, {{"ACK"}, {kRecordA7}}, true},
      {"bad record", 1, {{"ACK"}, {"#A$x;"}}, true},
      {"bad code only", 1, {{"ACK"}, {kBadCode}, {"EOF"}}, false},
  };
  for (const Case& c : cases) {
    StartOver();
    Viruzedi object(platform);
    FakeInfraredLibrary& link = UseFakeLibrary(c.openResult);
    link.reads = c.reads;
    object.Porta(2);
    object.DbPath(database);
    object.Scarica1();
    EXPECT_EQ(object.LastOutcome().failed, c.failed) << c.name;
    EXPECT_TRUE(Rows().empty()) << c.name;
  }
}

// Another program holds the database when the rows are to be written: the
// reader is not told to erase, and keeps everything for the relaunch.
TEST_F(AllOrNothingTest, ADatabaseLockedAtTheEndStoresNothingAndTheReaderKeepsItsRecords) {
  if (!DatabaseLock::Available()) GTEST_SKIP() << "no other program here to hold the lock";
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {"EOF"}};
  component.state().dbSettings.busyTimeout = std::chrono::milliseconds(100);
  {
    DatabaseLock lock(database, temporary.path());
    EXPECT_EQ(Run().errorNumber, kDbLocked);
  }
  EXPECT_EQ(link.Count("write ELIMINA\r"), 0);
  EXPECT_EQ(link.Count("close"), 1);
  EXPECT_TRUE(Rows().empty());
}

}  // namespace
}  // namespace viruzedi::testing
