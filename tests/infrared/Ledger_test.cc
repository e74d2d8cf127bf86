// The infrared download's entry in the import ledger: its rows commit with
// an entry "da cancellare", which becomes "cancellato" once the reader is
// told to erase. A crash between the two leaves the records in the reader
// and the entry "da cancellare"; the relaunch must then store only what the
// reader holds beyond them.
#include <gtest/gtest.h>

#include "viruzedi/Viruzedi.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/infrared/InfraredFixture.h"

namespace viruzedi::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kA7 = "#A7$12;1.5;20261206;3;";
const std::string kA1 = "#A1$5;2;20260131;7;";
const std::string kA2 = "#A2$6;1;20260131;7;";
const std::string kBadCode = "#SENZALOTTO;1;20261206;1;";

class InfraredLedgerTest : public InfraredTest {
 protected:
  void Download(const Strings& records) {
    FakeInfraredLibrary& link = UseFakeLibrary();
    link.reads = {{"ACK"}};
    for (const std::string& record : records) link.reads.push_back({record});
    link.reads.push_back({"EOF"});
    Viruzedi component(platform);
    component.Porta(2);
    component.DbPath(database);
    component.Scarica1();
    ASSERT_FALSE(component.LastOutcome().failed);
  }
  Strings Entries() const {
    return QueryRows(database,
                     "SELECT Origine, Nome, Righe, Stato FROM Viruzedi_Importazioni ORDER BY Id");
  }
  Strings Codes() const { return QueryRows(database, "SELECT Codart FROM Viruzedi ORDER BY rowid"); }
};

TEST_F(InfraredLedgerTest, TheEntryIsCommittedWithTheRowsAndMarkedOnceTheReaderErases) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kA7}, {kBadCode}, {kA1}, {"EOF"}};
  Strings atErase;
  link.onWrite = [&](const std::string& text) {
    if (text == "ELIMINA\r") atErase = Entries();
  };
  Viruzedi component(platform);
  component.Porta(2);
  component.DbPath(database);
  component.Scarica1();
  // Replies are counted bad codes included: the reader holds them all.
  EXPECT_EQ(atErase, Strings{"infrarossi|COM2|3|da cancellare"});
  EXPECT_EQ(Entries(), Strings{"infrarossi|COM2|3|cancellato"});
}

TEST_F(InfraredLedgerTest, ARelaunchAfterACrashBeforeTheEraseStoresOnlyWhatTheReaderHoldsBeyond) {
  struct Case {
    const char* name;
    Strings relaunch;  // what the reader sends the second time
    Strings codes;
    const char* earlierEntry;
  } cases[] = {
      {"the same records", {kA7, kBadCode, kA1}, {"#A7", "#A1"}, "cancellato"},
      {"the same and one more", {kA7, kBadCode, kA1, kA2}, {"#A7", "#A1", "#A2"}, "cancellato"},
      {"other records", {kA2, kA7}, {"#A7", "#A1", "#A2", "#A7"}, "sostituito"},
      {"fewer records", {kA7}, {"#A7", "#A1", "#A7"}, "sostituito"},
      {"the same records in another order", {kA1, kBadCode, kA7},
       {"#A7", "#A1", "#A1", "#A7"}, "sostituito"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    Download({kA7, kBadCode, kA1});
    // What a crash after the commit and before the erase leaves.
    RawDatabase(database).Exec("UPDATE Viruzedi_Importazioni SET Stato = 'da cancellare'");
    Download(c.relaunch);
    EXPECT_EQ(Codes(), c.codes);
    Strings entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], std::string("infrarossi|COM2|3|") + c.earlierEntry);
    EXPECT_EQ(entries[1], "infrarossi|COM2|" + std::to_string(c.relaunch.size()) + "|cancellato");
  }
}

TEST_F(InfraredLedgerTest, AnotherPortsEntryIsNotThisReadersRecords) {
  Download({kA7, kA1});
  RawDatabase(database).Exec(
      "UPDATE Viruzedi_Importazioni SET Stato = 'da cancellare', Nome = 'COM3'");
  Download({kA7, kA1});
  EXPECT_EQ(Codes(), (Strings{"#A7", "#A1", "#A7", "#A1"}));
}

}  // namespace
}  // namespace viruzedi::testing
