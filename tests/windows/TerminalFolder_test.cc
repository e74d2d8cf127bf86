// viruzedi.exe under Wine with the terminal seen as a folder (dir: link):
// a download and the upload, then what the program does when the database
// is held by another program or is a file that is not there.
#include <filesystem>

#include "tests/cli/StockMovements.h"
#include "tests/database/support/DatabaseLock.h"
#include "tests/windows/WindowsTest.h"

namespace viruzedi::testing {
namespace {

class TerminalFolder : public WindowsTest {
 protected:
  TerminalFolder() { std::filesystem::create_directories(terminal); }

  // viruzedi.exe with the terminal link to the test's terminal folder.
  WindowsOutcome WithTerminal(const Strings& arguments) const {
    Strings all{"--terminale", "dir:" + WindowsPath(terminal)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return Viruzedi(all);
  }

  std::string terminal = folder / "terminale";
};

TEST_P(TerminalFolder, ADownloadStoresEveryLineAndTheUploadSendsTheFile) {
  const std::string sent = Movements("T", 500);
  WriteFile(terminal + "/1.txt", sent);
  WindowsOutcome download = WithTerminal({"scarica4", "--db", Db()});
  EXPECT_EQ(download.status, 0) << download;
  EXPECT_EQ(Rows("SELECT Codart, IdLotto FROM Viruzedi ORDER BY rowid"), MovementRows("T", 500));
  EXPECT_TRUE(FolderNames(terminal).empty());
  const Strings archived = FolderNames(letture);
  ASSERT_EQ(archived.size(), 1u);
  EXPECT_TRUE(EndsWith(archived[0], ".TMP")) << archived[0];
  EXPECT_EQ(ReadFile(letture + "/" + archived[0]), sent);

  WriteFile(letture + "/file_up.tmp", "U;1;ROSSI\r\nU;2;BIANCHI\r\n");
  WindowsOutcome upload = WithTerminal({"upload1"});
  EXPECT_EQ(upload.status, 0) << upload;
  EXPECT_EQ(ReadFile(terminal + "/file_up.tmp"), "U;1;ROSSI\r\nU;2;BIANCHI\r\n");
}

// The lock of another program outlasts the driver's busy timeout: the
// first statement fails with 3045, nothing is stored and the terminal's
// file waits whole in the download folder.
TEST_P(TerminalFolder, ADatabaseLockedByAnotherProgramIs3045AndStoresNothing) {
  const std::string sent = Movements("L", 20);
  WriteFile(terminal + "/1.txt", sent);
  DatabaseLock lock(database, folder.path());
  WindowsOutcome download = WithTerminal({"scarica4", "--db", Db()});
  lock.Release();
  EXPECT_EQ(download.status, 1) << download;
  EXPECT_NE(download.errors.find("[3045] "), std::string::npos) << download;
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), Strings{"0"});
  const Strings waiting = FolderNames(letture);
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(ReadFile(letture + "/" + waiting[0]), sent);
}

// A plain path is a database file of the Access driver, which cannot run
// here; that the file is missing is found before connecting, and the
// terminal keeps its file.
TEST_P(TerminalFolder, AMissingDatabaseFileIs3024AndTheTerminalKeepsItsFile) {
  const std::string sent = Movements("M", 3);
  WriteFile(terminal + "/1.txt", sent);
  WindowsOutcome download =
      WithTerminal({"scarica4", "--db", WindowsPath(folder / "nessuno.mdb")});
  EXPECT_EQ(download.status, 1) << download;
  EXPECT_NE(download.errors.find("[3024] "), std::string::npos) << download;
  EXPECT_NE(download.errors.find("nessuno.mdb"), std::string::npos) << download;
  EXPECT_EQ(ReadFile(terminal + "/1.txt"), sent);
  EXPECT_TRUE(FolderNames(letture).empty());
}

// Only ODBC reaches a server here: a PostgreSQL keyword string is refused
// with the connection string to write instead, and a connection string
// taken for a file's name keeps its password out of the 3024.
TEST_P(TerminalFolder, AServersValueIsRefusedWithTheOdbcHintAndNoPasswordIsShown) {
  const std::string sent = Movements("K", 3);
  WriteFile(terminal + "/1.txt", sent);
  struct Case {
    const char* value;
    const char* shown;
  };
  const Case cases[] = {
      {" host=dbserver dbname=magazzino password=S3GRETA", "[3151] "},
      {"Server=dbserver;Uid=anna;PWD=S3GRETA;Database=magazzino", "[3024] "},
  };
  for (const Case& c : cases) {
    WindowsOutcome download = WithTerminal({"scarica4", "--db", c.value});
    EXPECT_EQ(download.status, 1) << download;
    EXPECT_NE(download.errors.find(c.shown), std::string::npos) << download;
    EXPECT_EQ(download.errors.find("S3GRETA"), std::string::npos) << download;
    EXPECT_NE(download.errors.find("=***"), std::string::npos) << download;
  }
  WindowsOutcome keywords =
      WithTerminal({"scarica4", "--db", "host=dbserver dbname=magazzino"});
  EXPECT_NE(keywords.errors.find("Driver={PostgreSQL Unicode}"), std::string::npos) << keywords;
  EXPECT_EQ(ReadFile(terminal + "/1.txt"), sent);
  EXPECT_TRUE(FolderNames(letture).empty());
}

VIRUZEDI_FOR_BOTH_TARGETS(TerminalFolder);

}  // namespace
}  // namespace viruzedi::testing
