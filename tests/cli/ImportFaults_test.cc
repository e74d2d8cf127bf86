// A terminal download as a whole process that meets a fault it cannot
// handle from inside: killed in the middle of an import, or limited in the
// size of the files it may write (a full disk). The database stays sound,
// the received file stays whole, the rows stored stay.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "component/Database.h"
#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

class ImportFaultTest : public ::testing::Test {
 protected:
  ImportFaultTest() {
    std::filesystem::create_directory(terminale);
    DBEngine::CreateTargetDatabase(database);
  }

  // `viruzedi scarica4` on the test's folders, started through the shell
  // after `shellSetup` (shell commands that end in ";").
  std::unique_ptr<ChildProcess> StartScarica4(const std::string& shellSetup = "") const {
    return ChildProcess::Start(
        {"/bin/sh", "-c",
         shellSetup + "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " +
             ShellQuoted(letture) + " --terminale " + ShellQuoted("dir:" + terminalFolder) +
             " scarica4 --db " + ShellQuoted(database) + " 2>&1"},
        true);
  }

  // Terminal file 1 of `count` stock movements ART0 ... ART<count-1>.
  std::string PutMovements(int count) const {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      bytes += "ART" + std::to_string(i) + "$" + std::to_string(i) + ";1;20261206;1\r\n";
    }
    WriteFile(terminalFolder + "/1.txt", bytes);
    return bytes;
  }

  std::vector<std::string> Codes() const {
    return QueryRows(database, "SELECT Codart FROM Viruzedi ORDER BY rowid");
  }
  static bool IsPrefixOfMovements(const std::vector<std::string>& codes, size_t from = 0) {
    for (size_t i = from; i < codes.size(); ++i) {
      if (codes[i] != "ART" + std::to_string(i - from)) return false;
    }
    return true;
  }
  bool DatabaseIsSound() const {
    return QueryRows(database, "PRAGMA integrity_check") == std::vector<std::string>{"ok"};
  }
  // The names in the download folder, sorted.
  std::vector<std::string> Received() const { return FolderNames(letture); }

  TemporaryFolder temporary;
  std::string letture = temporary / "_Letture";
  std::string terminale = temporary / "terminale";
  std::string terminalFolder = terminale;
  std::string database = temporary / "magazzino.db";
};

// Rows the child has committed so far, read beside it as another program would.
int64_t CountRows(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  int64_t count = -1;
  if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Viruzedi", -1, &statement, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    count = sqlite3_column_int64(statement, 0);
  }
  sqlite3_finalize(statement);
  return count;
}

TEST_F(ImportFaultTest, KilledInTheMiddleOfAnImportLeavesASoundDatabaseAndTheFileReceived) {
  constexpr int kLines = 10000;
  const std::string sent = PutMovements(kLines);
  std::unique_ptr<ChildProcess> child = StartScarica4();

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  sqlite3_busy_timeout(db, 1000);
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (CountRows(db) < 1 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  sqlite3_close(db);
  // Stopped at once, wherever it is (between two rows or in the middle of
  // writing one), so that the kill comes before the import can end however
  // fast it runs; a power cut or a crash picks its moment no better.
  const std::string pid = std::to_string(child->pid());
  EXPECT_EQ(RunProcess({"/bin/sh", "-c", "kill -STOP " + pid + " && kill -KILL " + pid}), 0);
  ASSERT_EQ(child->Wait(), 128 + 9) << "the import ended before it was killed";

  EXPECT_TRUE(DatabaseIsSound());
  const std::vector<std::string> stored = Codes();
  EXPECT_GE(stored.size(), 1u);
  EXPECT_LT(stored.size(), static_cast<size_t>(kLines));
  EXPECT_TRUE(IsPrefixOfMovements(stored));
  // Received under its temporary name, whole, never to be taken again by a
  // download on its own: the terminal has nothing more to send.
  const std::vector<std::string> received = Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].substr(0, 7), "MovMag_");
  EXPECT_EQ(received[0].substr(received[0].size() - 4), ".tmp");
  EXPECT_TRUE(ReadFile(letture + "/" + received[0]) == sent);
  EXPECT_TRUE(std::filesystem::is_empty(terminale));

  CommandOutcome nothing = Finish(*StartScarica4());
  EXPECT_EQ(nothing.status, 0) << nothing.output;
  EXPECT_EQ(Received(), received);
  EXPECT_EQ(Codes().size(), stored.size());

  // Given to the terminal's folder again, the file is imported whole: the
  // rows of the killed run are then in the table twice.
  std::filesystem::rename(letture + "/" + received[0], terminale + "/1.txt");
  CommandOutcome again = Finish(*StartScarica4());
  EXPECT_EQ(again.status, 0) << again.output;
  const std::vector<std::string> all = Codes();
  EXPECT_EQ(all.size(), stored.size() + kLines);
  EXPECT_TRUE(IsPrefixOfMovements(all, stored.size()));
  EXPECT_EQ(Received().size(), 1u);
  EXPECT_TRUE(DatabaseIsSound());
}

// A limit on the size of every file the process writes, in blocks of 512
// bytes, with the signal of a write past it ignored so that the write fails.
std::string FileSizeLimit(int blocks) {
  return "ulimit -f " + std::to_string(blocks) + "; trap '' XFSZ; ";
}

TEST_F(ImportFaultTest, ADatabaseThatCannotGrowEndsTheImportWithTheRowsWrittenSoFar) {
  {
    std::unique_ptr<Database> earlier = DBEngine::Instance().OpenDatabase(database);
    earlier->Execute(
        "Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select 'PRIMA',1,  1, "
        "#12/05/2026#, 1");
  }
  constexpr int kLines = 500;
  const std::string sent = PutMovements(kLines);

  // 64 KiB: the database and its shared-memory index fit; a few pages of
  // write-ahead log do not.
  CommandOutcome outcome = Finish(*StartScarica4(FileSizeLimit(128)));

  EXPECT_EQ(outcome.status, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("[3043] "), std::string::npos) << outcome.output;
  EXPECT_TRUE(DatabaseIsSound());
  const std::vector<std::string> codes = Codes();
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes[0], "PRIMA");
  EXPECT_LT(codes.size(), static_cast<size_t>(kLines + 1));
  EXPECT_TRUE(IsPrefixOfMovements(codes, 1));
  const std::vector<std::string> received = Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].substr(received[0].size() - 4), ".tmp");
  EXPECT_TRUE(ReadFile(letture + "/" + received[0]) == sent);
}

TEST_F(ImportFaultTest, AFileThatCannotBeCopiedInStaysWithTheTerminal) {
  // A terminal folder on another file system is copied in, not renamed.
  std::error_code error;
  if (!std::filesystem::is_directory("/dev/shm", error)) GTEST_SKIP() << "no /dev/shm";
  TemporaryFolder placeholder;  // a unique name for the folder on /dev/shm
  terminalFolder = "/dev/shm/" + std::filesystem::path(placeholder.path()).filename().string();
  std::filesystem::create_directory(terminalFolder);
  struct Remove {
    std::string path;
    ~Remove() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } removeLater{terminalFolder};
  const std::string sent = PutMovements(2000);  // about 60 KB

  CommandOutcome outcome = Finish(*StartScarica4(FileSizeLimit(64)));

  EXPECT_EQ(outcome.status, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("[61] "), std::string::npos) << outcome.output;
  EXPECT_TRUE(ReadFile(terminalFolder + "/1.txt") == sent);
  EXPECT_TRUE(Received().empty());  // not even a partial copy
  EXPECT_TRUE(Codes().empty());
}

}  // namespace
}  // namespace viruzedi::testing
