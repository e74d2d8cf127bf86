// A download as a whole process that meets a fault it cannot handle from
// inside: killed in the middle of an import, or limited in the size of the
// files it may write (a full disk, a file-size limit). The database stays
// sound, a received file stays whole and waits with no row of it stored,
// and a pen read the pen gave up is in the table or in the recovery file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "database/Database.h"
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

  // `viruzedi scarica4` on the test's folders (or `serialLink`), started
  // through the shell after `shellSetup` (shell commands that end in ";").
  std::unique_ptr<ChildProcess> StartScarica4(const std::string& shellSetup = "") const {
    const std::string link = serialLink.empty() ? "dir:" + terminalFolder : serialLink;
    return ChildProcess::Start(
        {"/bin/sh", "-c",
         shellSetup + "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " +
             ShellQuoted(letture) + " --terminale " + ShellQuoted(link) + " scarica4 --db " +
             ShellQuoted(database) + " 2>&1"},
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
  std::string serialLink;  // "serial:DEVICE" in place of the folder
  std::string database = temporary / "magazzino.db";
};

// The size of the file at `path`, 0 when there is none.
uintmax_t SizeOf(const std::string& path) {
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

TEST_F(ImportFaultTest, KilledInTheMiddleOfAnImportStoresNothingAndTheFileWaits) {
  constexpr int kLines = 100000;
  const std::string sent = PutMovements(kLines);
  std::unique_ptr<ChildProcess> child = StartScarica4();

  // The file has arrived (it replaced the empty reservation) and is being
  // read: the import has begun.
  auto deadline = std::chrono::steady_clock::now() + 30s;
  std::string arrived;
  while (arrived.empty() && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : FolderNames(letture)) {
      if (name.size() > 4 && name.substr(name.size() - 4) == ".tmp" &&
          SizeOf(letture + "/" + name) > 0) {
        arrived = name;
      }
    }
    if (arrived.empty()) std::this_thread::sleep_for(1ms);
  }
  ASSERT_FALSE(arrived.empty());
  // Stopped at once, wherever it is, as a power cut or a crash would.
  const std::string pid = std::to_string(child->pid());
  EXPECT_EQ(RunProcess({"/bin/sh", "-c", "kill -STOP " + pid + " && kill -KILL " + pid}), 0);
  ASSERT_EQ(child->Wait(), 128 + 9) << "the import ended before it was killed";

  EXPECT_TRUE(DatabaseIsSound());
  EXPECT_TRUE(Codes().empty());
  // Received under its temporary name, whole: it waits, and the next
  // download names it without taking it for its own.
  EXPECT_EQ(Received(), std::vector<std::string>{arrived});
  EXPECT_TRUE(ReadFile(letture + "/" + arrived) == sent);
  EXPECT_TRUE(std::filesystem::is_empty(terminale));

  CommandOutcome named = Finish(*StartScarica4());
  EXPECT_EQ(named.status, 0) << named.output;
  EXPECT_NE(named.output.find("[Attenzione!] "), std::string::npos) << named.output;
  EXPECT_NE(named.output.find(arrived), std::string::npos) << named.output;
  EXPECT_EQ(Received(), std::vector<std::string>{arrived});
  EXPECT_TRUE(Codes().empty());

  // Given to the terminal's folder again, the file is imported whole, once.
  std::filesystem::rename(letture + "/" + arrived, terminale + "/1.txt");
  CommandOutcome again = Finish(*StartScarica4());
  EXPECT_EQ(again.status, 0) << again.output;
  const std::vector<std::string> all = Codes();
  EXPECT_EQ(all.size(), static_cast<size_t>(kLines));
  EXPECT_TRUE(IsPrefixOfMovements(all));
  EXPECT_EQ(Received().size(), 1u);
  EXPECT_TRUE(DatabaseIsSound());
}

// Killed in the middle of a YMODEM receive: the reads are still in the
// terminal, so what the download left (its empty reservation, the partial
// file the link was writing aside) holds none and must not pass for a
// waiting file; the next download removes it and takes the file whole.
TEST_F(ImportFaultTest, KilledDuringASerialTransferLeavesNothingThatWaits) {
  constexpr int kLines = 2500;  // about 70 kB: many blocks
  const std::string sent = PutMovements(kLines);
  // Slow enough that the transfer is caught halfway: 1 KiB every 20 ms.
  auto plug = [this] {
    return ChildProcess::Start({BinFolder() + "terminal-simulator", "--folder", terminalFolder,
                                "--piece", "1024", "--delay", "20"},
                               true);
  };
  std::unique_ptr<ChildProcess> terminal = plug();
  serialLink = "serial:" + terminal->ReadLine(10s);
  ASSERT_NE(serialLink, "serial:") << "the terminal simulator printed no device";
  std::unique_ptr<ChildProcess> child = StartScarica4();

  auto partial = [this] {
    for (const std::string& name : FolderNames(letture)) {
      if (name.front() == '.' && SizeOf(letture + "/" + name) > 0) return true;
    }
    return false;
  };
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!partial() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  const std::string pid = std::to_string(child->pid());
  EXPECT_EQ(RunProcess({"/bin/sh", "-c", "kill -STOP " + pid + " && kill -KILL " + pid}), 0);
  ASSERT_EQ(child->Wait(), 128 + 9) << "the transfer ended before it was killed";
  const std::vector<std::string> left = Received();
  ASSERT_EQ(left.size(), 2u);  // the reservation and the partial file
  ASSERT_TRUE(partial());

  CommandOutcome listed = Finish(*ChildProcess::Start(
      {BinFolder() + "viruzedi", "--letture", letture, "in-attesa"}, true));
  EXPECT_EQ(listed.status, 0) << listed.output;
  EXPECT_EQ(listed.output.find(letture), std::string::npos) << listed.output;

  // The terminal, taken out of its cradle and put back, still holds its file.
  terminal = plug();
  serialLink = "serial:" + terminal->ReadLine(10s);
  CommandOutcome again = Finish(*StartScarica4());
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(again.output.find("[Attenzione!]"), std::string::npos) << again.output;
  const std::vector<std::string> after = Received();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].substr(after[0].size() - 4), ".TMP");
  EXPECT_TRUE(ReadFile(letture + "/" + after[0]) == sent);
  EXPECT_EQ(Codes().size(), static_cast<size_t>(kLines));
}

// A limit on the size of every file the process writes, in blocks of 512
// bytes, as a user's shell or limits.conf sets it: the signal of a write
// past it keeps its default action, which would end the command at once.
std::string FileSizeLimit(int blocks) { return "ulimit -f " + std::to_string(blocks) + "; "; }

TEST_F(ImportFaultTest, ADatabaseThatCannotGrowEndsTheImportWithNoRowOfTheFile) {
  {
    std::unique_ptr<Database> earlier = DBEngine::Instance().OpenDatabase(database);
    earlier->Execute(
        "Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select 'PRIMA',1,  1, "
        "#12/05/2026#, 1");
  }
  // One transaction logs each page once: enough rows that their pages do
  // not fit.
  constexpr int kLines = 5000;
  const std::string sent = PutMovements(kLines);

  // 64 KiB: the database and its shared-memory index fit; the pages of the
  // file's rows in the write-ahead log do not.
  CommandOutcome outcome = Finish(*StartScarica4(FileSizeLimit(128)));

  EXPECT_EQ(outcome.status, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("[3043] "), std::string::npos) << outcome.output;
  EXPECT_TRUE(DatabaseIsSound());
  EXPECT_EQ(Codes(), std::vector<std::string>{"PRIMA"});
  const std::vector<std::string> received = Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].substr(received[0].size() - 4), ".tmp");
  EXPECT_TRUE(ReadFile(letture + "/" + received[0]) == sent);
}

// The pen forgets a read as it sends it: the one whose row the limit
// refuses must reach the recovery file, and every read before it the table.
TEST_F(ImportFaultTest, APenReadThatCannotBeWrittenGoesToTheRecoveryFile) {
  constexpr int kReads = 60;
  std::vector<std::string> simulator{BinFolder() + "pen-simulator"};
  for (int i = 0; i < kReads; ++i) simulator.push_back("P" + std::to_string(i) + ";1;2;3");
  std::unique_ptr<ChildProcess> pen = ChildProcess::Start(simulator, true);
  const std::string device = pen->ReadLine(5s);
  ASSERT_FALSE(device.empty());
  std::filesystem::create_directory(letture);

  // 64 KiB: each read's commit adds its pages to the write-ahead log, which
  // reaches the limit after a few reads; the recovery file stays far below.
  CommandOutcome outcome = Finish(*ChildProcess::Start(
      {"/bin/sh", "-c",
       FileSizeLimit(128) + "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " +
           ShellQuoted(letture) + " --com " + ShellQuoted("1=" + device) + " scarica --db " +
           ShellQuoted(database) + " --porta 1 2>&1"},
      true));
  pen->Terminate();

  EXPECT_EQ(outcome.status, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("[Errore n. 3043] "), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("Penna_non_salvate.txt"), std::string::npos) << outcome.output;
  EXPECT_TRUE(DatabaseIsSound());
  std::vector<std::string> codes = QueryRows(database, "SELECT Codart FROM Viruzedi ORDER BY rowid");
  ASSERT_LT(codes.size(), static_cast<size_t>(kReads));
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], "P" + std::to_string(i));
  EXPECT_EQ(ReadFile(letture + "/Penna_non_salvate.txt"),
            "P" + std::to_string(codes.size()) + ";1;2;3\r\n");
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
