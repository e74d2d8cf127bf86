// Failures that end the download through the general error path, and the
// outcome marker.
#include <filesystem>

#include "base/Errors.h"
#include "database/Database.h"
#include "viruzedi/Viruzedi.h"
#include "tests/support/Commands.h"
#include "tests/infrared/InfraredFixture.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kRecordA7 = "#A7$12;1.5;20261206;3;";
const std::string kRowA7 = "#A7|12|1.5|2026-12-06|3";

// A database file made by another program, with the given statements.
void MakeDatabase(const std::string& path, const std::string& sql) {
  RawDatabase(path).Exec(sql);
}

TEST_F(InfraredTest, RecordThatCannotBeImportedEndsTheDownloadWithoutRows) {
  struct Case {
    std::string reply;
    std::string caption;
  } cases[] = {
      {"#A7$12;1.5;20261206;3", "5"},
      {"#A7$;1.5;20261206;3;", "13"},
      {"#A7$12;1.5;ABCDEFGH;3;", "13"},
      {"#A7$99999999999;1.5;20261206;3;", "6"},
  };
  for (const Case& c : cases) {
    StartOver();
    FakeInfraredLibrary& link = UseFakeLibrary();
    link.reads = {{"ACK"}, {kRecordA7}, {c.reply}, {"EOF"}};
    RunScarica1();
    EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r"})) << c.reply;
    ASSERT_EQ(platform->boxes.size(), 1u) << c.reply;
    EXPECT_EQ(platform->boxes[0].caption, c.caption) << c.reply;
    EXPECT_EQ(platform->boxes[0].style, 16);
    EXPECT_EQ(platform->boxes[0].text, ErrorDescription(std::stoi(c.caption)));
    EXPECT_EQ(link.Count("close"), 1);
    EXPECT_LT(link.IndexOf("close"), link.IndexOf("box " + platform->boxes[0].text));
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(MarkerExists());
  }
}

// A wrong database is found before the reader is asked for anything.
TEST_F(InfraredTest, WrongDatabaseIsFoundBeforeTheLinkIsOpened) {
  struct Case {
    const char* name;
    std::string create;  // the tables of the file; "" for no file
    std::string caption;
  } cases[] = {
      {"missing", "", "3024"},
      {"no table", "CREATE TABLE Altro (Codart TEXT);", "3078"},
      {"no Rep", "CREATE TABLE Viruzedi (Codart TEXT, IdLotto INTEGER, Quantità REAL, Data DATE);",
       "3127"},
  };
  for (const Case& c : cases) {
    StartOver();
    FakeInfraredLibrary& link = UseFakeLibrary();
    link.reads = {{"ACK"}, {kRecordA7}, {"EOF"}};
    database = temporary / (std::string(c.name) + ".db");
    if (!c.create.empty()) MakeDatabase(database, c.create);
    RunScarica1();
    EXPECT_EQ(link.Count("open 2 38400"), 0) << c.name;
    ASSERT_EQ(platform->boxes.size(), 1u) << c.name;
    EXPECT_EQ(platform->boxes[0].caption, c.caption) << c.name;
  }
}

TEST_F(InfraredTest, DownloadFolderThatCannotBeMadeFailsBeforeTheLinkIsTouched) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  platform->downloadFolder = temporary / "no/such/_Letture";
  RunScarica1();
  EXPECT_EQ(link.Count("open 2 38400"), 0);
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "76");
  EXPECT_EQ(platform->boxes[0].style, 16);
}

// The marker is emptied and holds "KO" after an open failure or a
// time-out with a plain box; nothing else writes or deletes it.
TEST_F(InfraredTest, OutcomeMarkerIsWrittenOnlyByOpenFailureAndPlainTimeouts) {
  struct Case {
    const char* name;
    int32_t openResult;
    std::deque<FakeInfraredLibrary::Read> reads;
    bool marked;
  } cases[] = {
      {"open failure", 0, {}, true},
      {"handshake timeout", 1, {}, false},
      {"no reply", 1, {{"ACK"}}, true},
      {"no record", 1, {{"ACK"}, {"XQZ"}}, true},
      {"bad record", 1, {{"ACK"}, {"#A$x;"}}, false},
      {"success", 1, {{"ACK"}, {kRecordA7}, {"EOF"}}, false},
  };
  for (const Case& c : cases) {
    StartOver();
    std::filesystem::create_directories(letture);
    WriteFile(letture + "/TEMPFOX.TMP", "an earlier outcome, longer than KO\r\n");
    FakeInfraredLibrary& link = UseFakeLibrary(c.openResult);
    link.reads = c.reads;
    RunScarica1();
    EXPECT_EQ(Marker(), c.marked ? "KO\r\n" : "an earlier outcome, longer than KO\r\n") << c.name;
  }
}

TEST_F(InfraredTest, MissingLinkLibraryIsFileNotFoundThroughTheGeneralErrorPath) {
  platform->infraredLibraryPath = temporary / "libZiRav.so";
  RunScarica1();
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "53");
  EXPECT_EQ(platform->boxes[0].style, 16);
  EXPECT_NE(platform->boxes[0].text.find(temporary / "libZiRav.so"), std::string::npos);
  EXPECT_FALSE(MarkerExists());
}

TEST_F(InfraredTest, LibraryWithoutTheFunctionsIsEntryPointMissing) {
  // The component's own library is a loadable library without them.
  platform->infraredLibraryPath = BinFolder() + "libviruzedi.so";
  RunScarica1();
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "453");
  EXPECT_NE(platform->boxes[0].text.find("vbOpenIrCom"), std::string::npos);
}

// The link library holds one link for the process: another object's
// download, started by a host event while this one waits, is refused and
// leaves this one's link alone.
TEST_F(InfraredTest, AnotherObjectsDownloadWhileOneRunsIsRefused) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {"#B$1;1;20261206;1;"}, {"EOF"}};
  std::string secondDatabase = temporary / "altro.db";
  DBEngine::CreateTargetDatabase(secondDatabase);
  Viruzedi other(platform);
  other.Porta(3);
  other.DbPath(secondDatabase);
  link.onWrite = [&](const std::string& text) {
    if (text == "SEGUE 1\r") other.Scarica1();
  };
  RunScarica1();

  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "SEGUE 2\r",
                                      "ELIMINA\r"}));
  EXPECT_EQ(link.Count("open 2 38400"), 1);
  EXPECT_EQ(link.Count("close"), 1);
  EXPECT_EQ(Rows(), (Strings{kRowA7, "#B|1|1.0|2026-12-06|1"}));
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "17");
  EXPECT_EQ(platform->boxes[0].text.rfind(ErrorDescription(kOperationRefused), 0), 0u);
  EXPECT_TRUE(QueryRows(secondDatabase, "SELECT * FROM Viruzedi").empty());
}

}  // namespace
}  // namespace viruzedi::testing
