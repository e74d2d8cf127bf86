// A server that goes away in the middle of an import: nothing of the file
// is stored, the file waits, and once the server is back its import stores
// every row once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/ChildProcess.h"
#include "tests/database/postgresql/OwnServer.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/cli/StockMovements.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

TEST(ServerStopped, AnImportCutByTheServerStoresNothingAndItsFileImportsLater) {
  OwnServer server;
  ASSERT_TRUE(server.uri().rfind("postgresql:///postgres?", 0) == 0) << server.uri();
  const std::string database = server.NewDatabase("magazzino");
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);

  TemporaryFolder workstation;
  const std::string terminal = workstation / "terminale";
  const std::string letture = workstation / "_Letture";
  std::filesystem::create_directory(terminal);
  // Rows enough that writing them takes a while, even sent together.
  constexpr int kLines = 200000;
  const std::string sent = Movements("ART", kLines);
  WriteFile(terminal + "/1.txt", sent);
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(
      {"/bin/sh", "-c",
       "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " + ShellQuoted(letture) +
           " --terminale " + ShellQuoted("dir:" + terminal) + " scarica4 --db " +
           ShellQuoted(database) + " 2>&1"},
      true);

  // The server is stopped once the file's transaction has begun writing.
  {
    RawDatabase watcher(server.uri());
    auto deadline = std::chrono::steady_clock::now() + 60s;
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() < deadline) {
      writing = watcher.Value(
                    "SELECT count(*) FROM pg_stat_activity WHERE datname = 'magazzino' "
                    "AND xact_start IS NOT NULL AND (query ILIKE 'insert%' OR query ILIKE "
                    "'copy%')") != "0";
      if (!writing) std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(writing) << "the import never began writing";
  }
  ASSERT_TRUE(server.Crash());
  CommandOutcome cut = Finish(*child);
  EXPECT_EQ(cut.status, 1) << cut.output;
  EXPECT_NE(cut.output.find("[3146] "), std::string::npos) << cut.output;
  // The server is what went: no good line of the file is blamed.
  EXPECT_EQ(cut.output.find(", riga "), std::string::npos) << cut.output;

  // Received whole, under its temporary name: it waits.
  const std::vector<std::string> received = FolderNames(letture);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_TRUE(EndsWith(received[0], ".tmp")) << received[0];
  EXPECT_TRUE(ReadFile(letture + "/" + received[0]) == sent);

  ASSERT_TRUE(server.Start());
  EXPECT_EQ(RawDatabase(database).Value("SELECT count(*) FROM viruzedi"), "0");
  CommandOutcome imported = RunViruzedi("importa " + ShellQuoted(letture + "/" + received[0]) +
                                        " --formato scarica4 --db " + ShellQuoted(database));
  EXPECT_EQ(imported.status, 0) << imported.output;
  std::vector<std::string> expected = MovementRows("ART", kLines);
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> stored = QueryRows(database, "SELECT codart, idlotto FROM viruzedi");
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored.size(), expected.size());
  EXPECT_TRUE(stored == expected);
  const std::vector<std::string> archived = FolderNames(letture);
  ASSERT_EQ(archived.size(), 1u);
  EXPECT_TRUE(EndsWith(archived[0], ".TMP")) << archived[0];
}

}  // namespace
}  // namespace viruzedi::testing
