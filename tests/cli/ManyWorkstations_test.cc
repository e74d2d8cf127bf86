// Whole viruzedi processes on a PostgreSQL database, as the workstations
// that share one server run them: the commands against a URI, the failures
// to connect (with the password never shown), and several processes
// writing at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/ChildProcess.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/cli/StockMovements.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

class ServerDatabaseTest : public ::testing::Test {
 protected:
  // `viruzedi scarica4` from the terminal folder `terminal` into `letture`.
  std::unique_ptr<ChildProcess> StartScarica4(const std::string& letture,
                                              const std::string& terminal,
                                              const std::string& uri) const {
    return ChildProcess::Start(
        {"/bin/sh", "-c",
         "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " + ShellQuoted(letture) +
             " --terminale " + ShellQuoted("dir:" + terminal) + " scarica4 --db " +
             ShellQuoted(uri) + " 2>&1"},
        true);
  }

  // Every movement row of the database, sorted here rather than by the
  // server's collation.
  static std::vector<std::string> MovementsStored(const std::string& uri) {
    std::vector<std::string> rows = QueryRows(uri, "SELECT codart, idlotto FROM viruzedi");
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  TemporaryFolder temporary;
  std::string database = kPostgresqlEngine.NewDatabase(temporary);
};

// Two workstations set up at the same moment: one makes the tables, the
// other finds them (58), rounds after rounds.
TEST_F(ServerDatabaseTest, TwoInitDbAtOnceMakeTheTablesOnceAndTheOtherIs58) {
  for (int round = 0; round < 5; ++round) {
    const std::string uri = kPostgresqlEngine.NewDatabase(temporary);
    auto start = [&] {
      return ChildProcess::Start({"/bin/sh", "-c",
                                  "exec " + ShellQuoted(BinFolder() + "viruzedi") + " init-db " +
                                      ShellQuoted(uri) + " 2>&1"},
                                 true);
    };
    auto first = start();
    auto second = start();
    CommandOutcome a = Finish(*first);
    CommandOutcome b = Finish(*second);
    EXPECT_EQ(a.status + b.status, 1) << a.output << b.output;
    EXPECT_NE((a.status ? a.output : b.output).find("errore 58"), std::string::npos)
        << a.output << b.output;
    EXPECT_EQ(QueryRows(uri, kPostgresqlEngine.tableNames),
              (std::vector<std::string>{"viruzedi", "viruzedi_importazioni", "viruzedi_rimesseof"}));
  }
}

TEST_F(ServerDatabaseTest, InitDbMostraAndADownloadWorkOnAUri) {
  ASSERT_FALSE(database.empty());
  CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(database));
  EXPECT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(QueryRows(database, kPostgresqlEngine.tableNames),
            (std::vector<std::string>{"viruzedi", "viruzedi_importazioni", "viruzedi_rimesseof"}));
  CommandOutcome again = RunViruzedi("init-db " + ShellQuoted(database));
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("errore 58"), std::string::npos) << again.output;

  const std::string terminal = temporary / "terminale";
  const std::string letture = temporary / "_Letture";
  std::filesystem::create_directory(terminal);
  WriteFile(terminal + "/1.txt", "A1$1;2;20261206;3\r\nB2$4;5,5;20261207;6\r\n");
  CommandOutcome download = Finish(*StartScarica4(letture, terminal, database));
  EXPECT_EQ(download.status, 0) << download.output;
  std::vector<std::string> stored = QueryRows(
      database, "SELECT codart, idlotto, \"quantità\", data, rep FROM viruzedi ORDER BY idlotto");
  EXPECT_EQ(stored, (std::vector<std::string>{"A1|1|2|2026-12-06|3", "B2|4|5.5|2026-12-07|6"}));
  EXPECT_TRUE(FolderNames(terminal).empty());
  const std::vector<std::string> archived = FolderNames(letture);
  ASSERT_EQ(archived.size(), 1u);
  EXPECT_TRUE(EndsWith(archived[0], ".TMP")) << archived[0];

  CommandOutcome shown = RunViruzedi("mostra --db " + ShellQuoted(database));
  EXPECT_EQ(shown.status, 0) << shown.output;
  EXPECT_NE(shown.output.find("viruzedi: 2 rows"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("viruzedi_rimesseof: 0 rows"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("2026-12-07"), std::string::npos) << shown.output;
}

// A workstation whose role may write the tables but not make new ones (as
// PostgreSQL 15 has it for all but the owner), on a database made before
// the ledger: the download stores its rows as before and says once what is
// at stake and which rights a DBA grants.
// Another session holding the table past the busy timeout stops the first
// INSERT (on a server the lock is met there, not at BEGIN): 3045, nothing
// stored, the file waits, and no line of it is blamed, since none is wrong.
TEST_F(ServerDatabaseTest, ALockPastTheBusyTimeoutNamesNoLineOfTheFile) {
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  const std::string terminal = temporary / "terminale";
  const std::string letture = temporary / "_Letture";
  std::filesystem::create_directory(terminal);
  WriteFile(terminal + "/1.txt", Movements("ART", 3));
  RawDatabase other(database);
  ASSERT_TRUE(other.Exec("BEGIN; LOCK TABLE viruzedi IN EXCLUSIVE MODE"));

  CommandOutcome locked = Finish(*StartScarica4(letture, terminal, database));

  other.Exec("ROLLBACK");
  EXPECT_EQ(locked.status, 1) << locked.output;
  EXPECT_NE(locked.output.find("[3045] "), std::string::npos) << locked.output;
  EXPECT_EQ(locked.output.find(", riga "), std::string::npos) << locked.output;
  EXPECT_TRUE(MovementsStored(database).empty());
  const std::vector<std::string> waiting = FolderNames(letture);
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_TRUE(EndsWith(waiting[0], ".tmp")) << waiting[0];
}

TEST_F(ServerDatabaseTest, ARoleThatMayNotMakeTheLedgerStoresItsRowsAndIsWarnedOnce) {
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  RawDatabase owner(database);
  const std::string role = "cassa_" + owner.Value("SELECT current_database()").substr(1, 12);
  ASSERT_TRUE(owner.Exec("DROP TABLE viruzedi_importazioni; REVOKE CREATE ON SCHEMA public FROM "
                         "PUBLIC; CREATE ROLE " + role + " LOGIN; GRANT SELECT, INSERT ON "
                         "viruzedi, viruzedi_rimesseof TO " + role));
  std::string uri = database;
  uri.replace(uri.find("user=postgres"), 13, "user=" + role);

  const std::string terminal = temporary / "terminale";
  std::filesystem::create_directory(terminal);
  WriteFile(terminal + "/1.txt", "A1$1;2;20261206;3\r\n");
  CommandOutcome download = Finish(*StartScarica4(temporary / "_Letture", terminal, uri));
  EXPECT_EQ(download.status, 0) << download.output;
  EXPECT_EQ(MovementsStored(database), std::vector<std::string>{"A1|1"});
  const size_t warning = download.output.find("Viruzedi_Importazioni");
  ASSERT_NE(warning, std::string::npos) << download.output;
  EXPECT_NE(download.output.find("SELECT, INSERT, UPDATE"), std::string::npos) << download.output;
  EXPECT_EQ(download.output.find("Viruzedi_Importazioni", warning + 1), std::string::npos)
      << "warned more than once: " << download.output;
  EXPECT_TRUE(QueryRows(database, "SELECT 1 FROM pg_tables WHERE tablename = "
                                  "'viruzedi_importazioni'").empty());
}

// What a workstation's role may do, and the types of the columns a download
// writes, are checked with the database, before the terminal's file leaves
// it: a refusal leaves the file in the terminal and nothing waiting.
TEST_F(ServerDatabaseTest, RightsAndColumnTypesAreCheckedBeforeTheTerminalsFileLeaves) {
  struct Case {
    const char* name;
    const char* prepare;  // as the owner; ROLE stands for the workstation's role
    const char* expected;  // "" to succeed, else the start of the box and a word of it
    const char* named;
  };
  const Case cases[] = {
      {"the rights the README lists",
       "GRANT INSERT ON viruzedi TO ROLE; "
       "GRANT SELECT, INSERT, UPDATE ON viruzedi_importazioni TO ROLE",
       "", ""},
      {"no INSERT on the table",
       "GRANT SELECT ON viruzedi TO ROLE; "
       "GRANT SELECT, INSERT, UPDATE ON viruzedi_importazioni TO ROLE",
       "[3051] ", "permesso INSERT sulla tabella viruzedi"},
      {"INSERT on some columns only",
       "GRANT INSERT (codart, idlotto) ON viruzedi TO ROLE; "
       "GRANT SELECT, INSERT, UPDATE ON viruzedi_importazioni TO ROLE",
       "[3051] ", "GRANT INSERT ON viruzedi TO"},
      {"no UPDATE on the ledger",
       "GRANT INSERT ON viruzedi TO ROLE; GRANT SELECT, INSERT ON viruzedi_importazioni TO ROLE",
       "[3051] ", "permesso UPDATE sulla tabella viruzedi_importazioni"},
      {"nothing on the ledger",
       "GRANT INSERT ON viruzedi TO ROLE",
       "[3051] ", "permessi SELECT, INSERT, UPDATE sulla tabella viruzedi_importazioni"},
      {"a boolean column",
       "ALTER TABLE viruzedi ALTER COLUMN rep TYPE boolean USING NULL; "
       "GRANT ALL ON viruzedi, viruzedi_importazioni TO ROLE",
       "[3464] ", "'rep'"},
      {"a money column",
       "ALTER TABLE viruzedi ALTER COLUMN \"quantità\" TYPE money USING NULL; "
       "GRANT ALL ON viruzedi, viruzedi_importazioni TO ROLE",
       "[3464] ", "'quantità'"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string uri = kPostgresqlEngine.NewDatabase(temporary);
    ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(uri)).status, 0);
    RawDatabase owner(uri);
    // Roles belong to the whole server: named after the test's database.
    const std::string role = "cassa" + std::to_string(++number) + "_" +
                             QueryRows(uri, "SELECT current_database()").at(0);
    std::string prepare = c.prepare;
    for (size_t at = prepare.find("ROLE"); at != std::string::npos; at = prepare.find("ROLE")) {
      prepare.replace(at, 4, role);
    }
    ASSERT_TRUE(owner.Exec("CREATE ROLE " + role + " LOGIN; " + prepare));
    std::string workstation = uri;
    workstation.replace(workstation.find("user=postgres"), 13, "user=" + role);

    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "terminale");
    WriteFile(folder / "terminale/1.txt", "A1$1;2;20261206;3\r\n");
    CommandOutcome download =
        Finish(*StartScarica4(folder / "_Letture", folder / "terminale", workstation));
    if (std::string(c.expected).empty()) {
      EXPECT_EQ(download.status, 0) << download.output;
      EXPECT_EQ(MovementsStored(uri), std::vector<std::string>{"A1|1"});
      EXPECT_EQ(QueryRows(uri, "SELECT origine, righe FROM viruzedi_importazioni"),
                std::vector<std::string>{"file|1"});
      continue;
    }
    EXPECT_EQ(download.status, 1) << download.output;
    EXPECT_NE(download.output.find(c.expected), std::string::npos) << download.output;
    EXPECT_NE(download.output.find(c.named), std::string::npos) << download.output;
    EXPECT_EQ(FolderNames(folder / "terminale"), std::vector<std::string>{"1.txt"});
    EXPECT_TRUE(FolderNames(folder / "_Letture").empty()) << FolderNames(folder / "_Letture")[0];
    EXPECT_TRUE(MovementsStored(uri).empty());
  }
}

// The socket folder (host=) of a URI of the test server.
std::string SocketFolderOf(const std::string& uri) {
  size_t at = uri.find("host=");
  if (at == std::string::npos) return "";
  size_t end = uri.find('&', at);
  return uri.substr(at + 5, end == std::string::npos ? std::string::npos : end - at - 5);
}

TEST_F(ServerDatabaseTest, AServerThatCannotBeReachedIs3151AndThePasswordIsNeverShown) {
  const std::string socketFolder = SocketFolderOf(TestServerUri());
  ASSERT_FALSE(socketFolder.empty()) << TestServerUri();
  TemporaryFolder silent;  // a socket folder where no server listens
  const std::string secret = "WRONGSECRET";
  // The server trusts its local connections, so a missing database stands
  // for a refused login: both end before any session, with libpq's reason.
  const std::vector<std::string> unreachable{
      "postgresql:///postgres?host=" + silent.path() + "&user=postgres",
      "postgresql://postgres:" + secret + "@/no_such_database?host=" + socketFolder,
      "postgresql:///no_such_database?host=" + socketFolder + "&user=postgres&password=" + secret,
  };
  for (const std::string& uri : unreachable) {
    SCOPED_TRACE(uri);
    CommandOutcome shown = RunViruzedi("mostra --db " + ShellQuoted(uri));
    EXPECT_EQ(shown.status, 1);
    EXPECT_NE(shown.output.find("errore 3151"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find(secret), std::string::npos) << shown.output;

    CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(uri));
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.output.find("errore 3151"), std::string::npos) << made.output;
    EXPECT_EQ(made.output.find(secret), std::string::npos) << made.output;

    // A download's box, too.
    TemporaryFolder workstation;
    std::filesystem::create_directory(workstation / "terminale");
    WriteFile(workstation / "terminale/1.txt", "A1$1;2;20261206;3\r\n");
    CommandOutcome download =
        Finish(*StartScarica4(workstation / "_Letture", workstation / "terminale", uri));
    EXPECT_EQ(download.status, 1);
    EXPECT_NE(download.output.find("[3151] "), std::string::npos) << download.output;
    EXPECT_EQ(download.output.find(secret), std::string::npos) << download.output;
    if (uri.find(secret) != std::string::npos && uri.find('@') != std::string::npos) {
      EXPECT_NE(download.output.find("postgres:***@"), std::string::npos) << download.output;
    }
  }
}

TEST_F(ServerDatabaseTest, FourWorkstationsDownloadingAtOnceStoreEveryRowOnce) {
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  constexpr int kWorkstations = 4;
  constexpr int kLines = 1000;
  std::vector<std::string> expected;
  std::vector<std::unique_ptr<TemporaryFolder>> workstations;
  for (int w = 0; w < kWorkstations; ++w) {
    auto& folder = workstations.emplace_back(std::make_unique<TemporaryFolder>());
    std::filesystem::create_directory(*folder / "terminale");
    const std::string prefix = "W" + std::to_string(w) + "_";
    WriteFile(*folder / "terminale/1.txt", Movements(prefix, kLines));
    for (const std::string& row : MovementRows(prefix, kLines)) expected.push_back(row);
  }
  std::sort(expected.begin(), expected.end());

  std::vector<std::unique_ptr<ChildProcess>> running;
  for (auto& folder : workstations) {
    running.push_back(StartScarica4(*folder / "_Letture", *folder / "terminale", database));
  }
  for (auto& child : running) {
    CommandOutcome outcome = Finish(*child);
    EXPECT_EQ(outcome.status, 0) << outcome.output;
  }
  EXPECT_EQ(MovementsStored(database), expected);
  for (auto& folder : workstations) {
    EXPECT_TRUE(FolderNames(*folder / "terminale").empty());
    const std::vector<std::string> archived = FolderNames(*folder / "_Letture");
    ASSERT_EQ(archived.size(), 1u);
    EXPECT_TRUE(EndsWith(archived[0], ".TMP")) << archived[0];
  }
}

}  // namespace
}  // namespace viruzedi::testing
