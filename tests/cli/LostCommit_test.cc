// A COMMIT whose outcome the client cannot know, on a real server behind a
// proxy: the answer lost after the server committed, the backend ended as
// the COMMIT reaches it, the server stopped right after answering. For a
// received file, the pen and the infrared reader, each read must end up
// stored exactly once, through the download itself or the README's
// recovery (in-attesa, importa, the same download again).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/ChildProcess.h"
#include "tests/cli/StockMovements.h"
#include "tests/database/postgresql/CommitProxy.h"
#include "tests/database/postgresql/OwnServer.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kLines = 50;

// A simulator of the build on a pseudo-terminal of its own, the device it
// prints first; ended with the object.
class Device {
 public:
  explicit Device(std::vector<std::string> argv) {
    argv[0] = BinFolder() + argv[0];
    process_ = ChildProcess::Start(argv, true);
    path_ = process_->ReadLine(10s);
  }
  const std::string& path() const { return path_; }

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string path_;
};

class LostCommit : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(terminal);
    std::filesystem::create_directory(letture);
  }

  // The database made by init-db, through nothing.
  std::string Initialised(const std::string& database) const {
    const CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(database));
    EXPECT_EQ(made.status, 0) << made.output;
    return database;
  }

  CommandOutcome Viruzedi(const std::string& arguments) const {
    return RunViruzedi("--letture " + ShellQuoted(letture) + " " + arguments);
  }
  CommandOutcome Scarica4(const std::string& database) const {
    return Viruzedi("--terminale " + ShellQuoted("dir:" + terminal) + " scarica4 --db " +
                    ShellQuoted(database));
  }
  CommandOutcome Scarica(const Device& pen, const std::string& database) const {
    return Viruzedi("--com " + ShellQuoted("1=" + pen.path()) + " scarica --db " +
                    ShellQuoted(database) + " --porta 1");
  }
  CommandOutcome Scarica1(const Device& reader, const std::string& database) const {
    return Viruzedi("--com " + ShellQuoted("5=" + reader.path()) + " scarica1 --db " +
                    ShellQuoted(database) + " --porta 5");
  }
  // What an operator does after a failure: imports each file in-attesa lists.
  void ImportEachWaitingFile(const std::string& database) const {
    const CommandOutcome listed = Viruzedi("in-attesa --db " + ShellQuoted(database));
    for (const WaitingFileLine& file : ParseWaitingFiles(listed.output)) {
      const CommandOutcome imported =
          Viruzedi("importa " + ShellQuoted(file.path) + " --formato " + file.format + " --db " +
                   ShellQuoted(database));
      EXPECT_EQ(imported.status, 0) << imported.output;
    }
  }

  // What in-attesa lists, without its blank lines.
  std::string Waiting() const {
    std::string listed = Viruzedi("in-attesa").output;
    listed.erase(std::remove(listed.begin(), listed.end(), '\n'), listed.end());
    return listed;
  }
  // Each code stored, with how many times, sorted.
  static std::vector<std::string> Stored(const std::string& database) {
    std::vector<std::string> rows =
        QueryRows(database, "SELECT codart || ' x' || count(*) FROM viruzedi GROUP BY codart");
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  static std::vector<std::string> EachOnce(const std::string& prefix, int count) {
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i) rows.push_back(prefix + std::to_string(i) + " x1");
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  std::vector<std::string> PenReads(int count) const {
    std::vector<std::string> argv{"pen-simulator"};
    for (int i = 0; i < count; ++i) argv.push_back("P" + std::to_string(i) + ";1;2;3");
    return argv;
  }
  std::vector<std::string> InfraredRecords(int count) const {
    std::vector<std::string> argv{"infrared-simulator"};
    for (int i = 0; i < count; ++i) {
      argv.insert(argv.end(), {"--record", "#R" + std::to_string(i) + "$1;1;20261206;1;"});
    }
    return argv;
  }

  TemporaryFolder workstation;
  const std::string terminal = workstation / "terminale";
  const std::string letture = workstation / "_Letture";
};

std::string ConnectionLost(const CommandOutcome& outcome) {
  // "[3146] ..." on the command line, "[Errore n. 3146]" in the pen's box.
  return outcome.output.find(" 3146]") != std::string::npos ||
                 outcome.output.find("[3146]") != std::string::npos
             ? "3146"
             : outcome.output;
}

// The server committed; the download asks on a new connection, finds the
// file's entry, and ends as if the answer had come.
TEST_F(LostCommit, AReceivedFileWhoseCommitAnswerIsLostIsArchivedOnceAsked) {
  const std::string database = Initialised(kPostgresqlEngine.NewDatabase(workstation));
  CommitProxy proxy(database);
  WriteFile(terminal + "/1.txt", Movements("F", kLines));
  proxy.LoseAnswerToCommit(1);
  const CommandOutcome download = Scarica4(proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(download.status, 0) << download.output;
  EXPECT_EQ(Waiting(), "");
  ImportEachWaitingFile(database);
  EXPECT_EQ(Stored(database), EachOnce("F", kLines));
}

// Ended before it committed: nothing is stored, the file waits, and its
// import stores it once.
TEST_F(LostCommit, AReceivedFileWhoseBackendEndsAtCommitWaitsAndImportsOnce) {
  const std::string database = Initialised(kPostgresqlEngine.NewDatabase(workstation));
  CommitProxy proxy(database);
  WriteFile(terminal + "/1.txt", Movements("F", kLines));
  proxy.BeforeCommit(1, [&](int backend) {
    RawDatabase(TestServerUri())
        .Exec("SELECT pg_terminate_backend(" + std::to_string(backend) + ", 10000)");
  });
  const CommandOutcome download = Scarica4(proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(download.status, 1);
  EXPECT_EQ(ConnectionLost(download), "3146");
  EXPECT_TRUE(Stored(database).empty());
  ImportEachWaitingFile(database);
  EXPECT_EQ(Stored(database), EachOnce("F", kLines));
}

// Committed, and nobody left to ask: the file waits; once the server is
// back, in-attesa says its rows are stored and importa only archives it.
TEST_F(LostCommit, AReceivedFileWhoseServerStopsAfterCommitIsOnlyArchivedLater) {
  OwnServer server;
  const std::string database = Initialised(server.NewDatabase("magazzino"));
  CommitProxy proxy(database);
  WriteFile(terminal + "/1.txt", Movements("F", kLines));
  proxy.LoseAnswerToCommit(1, [&] { server.Crash(); });
  const CommandOutcome download = Scarica4(proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(download.status, 1);
  EXPECT_EQ(ConnectionLost(download), "3146");
  ASSERT_TRUE(server.Start());
  EXPECT_NE(Viruzedi("in-attesa --db " + ShellQuoted(database)).output.find("già importato il"),
            std::string::npos);
  ImportEachWaitingFile(database);
  EXPECT_EQ(Waiting(), "");
  EXPECT_EQ(Stored(database), EachOnce("F", kLines));
}

// A pen read whose commit answer is lost is stored, so it is not kept in the
// recovery file too; the rest come with the next download.
TEST_F(LostCommit, APenReadWhoseCommitAnswerIsLostIsNotKeptTwice) {
  const std::string database = Initialised(kPostgresqlEngine.NewDatabase(workstation));
  CommitProxy proxy(database);
  Device pen(PenReads(5));
  proxy.LoseAnswerToCommit(2);
  const CommandOutcome cut = Scarica(pen, proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(ConnectionLost(cut), "3146");
  ImportEachWaitingFile(database);
  EXPECT_EQ(Scarica(pen, database).status, 0);
  EXPECT_EQ(Stored(database), EachOnce("P", 5));
}

// Nobody left to ask: the read goes to the recovery file with its key, and
// the next download on the port, finding the key in the ledger, drops it.
TEST_F(LostCommit, APenReadWhoseServerStopsAfterCommitIsSettledByTheNextDownload) {
  OwnServer server;
  const std::string database = Initialised(server.NewDatabase("magazzino"));
  CommitProxy proxy(database);
  Device pen(PenReads(5));
  proxy.LoseAnswerToCommit(2, [&] { server.Crash(); });
  const CommandOutcome cut = Scarica(pen, proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(ConnectionLost(cut), "3146");
  ASSERT_TRUE(server.Start());
  const CommandOutcome again = Scarica(pen, database);
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(Waiting(), "");
  EXPECT_EQ(Stored(database), EachOnce("P", 5));
}

// The records are stored: asked, the ledger says so and the reader is told
// to erase them.
TEST_F(LostCommit, InfraredRecordsWhoseCommitAnswerIsLostAreErased) {
  const std::string database = Initialised(kPostgresqlEngine.NewDatabase(workstation));
  CommitProxy proxy(database);
  Device reader(InfraredRecords(5));
  proxy.LoseAnswerToCommit(1);
  const CommandOutcome download = Scarica1(reader, proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(download.status, 0) << download.output;
  EXPECT_EQ(Scarica1(reader, database).status, 0);
  EXPECT_EQ(Stored(database), EachOnce("#R", 5));
}

// Nobody left to ask: the reader keeps its records; relaunched, the
// download finds its entry waiting for the erase and stores nothing again.
TEST_F(LostCommit, InfraredRecordsWhoseServerStopsAfterCommitAreNotStoredAgain) {
  OwnServer server;
  const std::string database = Initialised(server.NewDatabase("magazzino"));
  CommitProxy proxy(database);
  Device reader(InfraredRecords(5));
  proxy.LoseAnswerToCommit(1, [&] { server.Crash(); });
  const CommandOutcome cut = Scarica1(reader, proxy.uri());
  EXPECT_TRUE(proxy.Struck());
  EXPECT_EQ(ConnectionLost(cut), "3146");
  ASSERT_TRUE(server.Start());
  const CommandOutcome again = Scarica1(reader, database);
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(Scarica1(reader, database).status, 0);
  EXPECT_EQ(Stored(database), EachOnce("#R", 5));
}

}  // namespace
}  // namespace viruzedi::testing
