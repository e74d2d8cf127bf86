// What the command tells its caller: usage errors, exit statuses from the
// operation's outcome (a stop signal included), and the plain lines beside
// the boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using testing::BinFolder;
using testing::QueryRows;
using testing::RawDatabase;
using testing::RunViruzedi;
using testing::ShellQuoted;
using testing::TemporaryFolder;

TEST(CommandOutcome, PortsFormatsAndRangesOutsideTheirDomainAreUsageErrors) {
  struct Case {
    std::string arguments;
    int status;
  };
  const std::vector<Case> cases{
      {"--com 01=/dev/null mostra --db x", 2},
      {"--com x=/dev/null mostra --db x", 2},
      {"--com 1= mostra --db x", 2},
      {"--com =/dev/null mostra --db x", 2},
      {"--com 256=/dev/null mostra --db x", 2},
      {"--com -1=/dev/null mostra --db x", 2},
      {"scarica --db x --porta 256", 2},
      {"scarica --db x --porta -1", 2},
      {"scarica1 --db x --porta 300", 2},
      {"importa f --formato nessuno --db x", 2},
      {"importa f --db x", 2},
      // Accepted, then failing on the missing database: the options were fine.
      {"--com 255=/dev/null mostra --db /nonexistent/x.db", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunViruzedi(c.arguments).status, c.status) << c.arguments;
  }
}

TEST(CommandOutcome, DemoMakesTheFolderItIsGiven) {
  TemporaryFolder folder;
  std::string target = folder / "nuova/cartella";
  testing::CommandOutcome demo = RunViruzedi("demo --cartella " + ShellQuoted(target));
  EXPECT_EQ(demo.status, 0) << demo.output;
  EXPECT_FALSE(QueryRows(target + "/magazzino.db", "SELECT count(*) FROM Viruzedi").empty());
}

TEST(CommandOutcome, MostraReadsADatabaseThatItsUserMayOnlyRead) {
  TemporaryFolder folder;
  std::string shared = folder / "condivisa";
  ASSERT_EQ(RunProcess({"mkdir", shared}), 0);
  std::string database = shared + "/magazzino.db";
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  ASSERT_TRUE(RawDatabase(database).Exec(
      "PRAGMA journal_mode=WAL; INSERT INTO Viruzedi (Codart) VALUES ('A1');"));
  // Another user's files: readable by all, writable by their owner only.
  ASSERT_EQ(RunProcess({"chmod", "0755", folder.path(), shared}), 0);
  ASSERT_EQ(RunProcess({"chmod", "0644", database}), 0);
  // As root, the listing runs as an unprivileged user; otherwise the folder
  // is made read-only for this user.
  std::string asReader = "";
  std::string command = BinFolder() + "viruzedi";
  if (RunProcess({"sh", "-c", "[ \"$(id -u)\" -eq 0 ]"}) == 0) {
    asReader = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    // That user may not enter the build folder (a clone under a private
    // home): it runs a copy of the command that it can reach.
    command = folder / "viruzedi";
    ASSERT_EQ(RunProcess({"cp", BinFolder() + "viruzedi", command}), 0);
  } else {
    ASSERT_EQ(RunProcess({"chmod", "0555", shared}), 0);
  }
  auto child = ChildProcess::Start(
      {"/bin/sh", "-c",
       asReader + ShellQuoted(command) + " mostra --db " + ShellQuoted(database) +
           " 2>&1"},
      true);
  testing::CommandOutcome shown = testing::Finish(*child);
  RunProcess({"chmod", "0755", shared});
  EXPECT_EQ(shown.status, 0) << shown.output;
  EXPECT_NE(shown.output.find("A1"), std::string::npos) << shown.output;
}

// Every kind of file that waits is listed with the formats it may take, and
// with --db the ones whose rows the ledger holds already are marked: a
// received file a crash left unarchived after its commit.
TEST(CommandOutcome, InAttesaListsEveryWaitingFileAndMarksThoseAlreadyImported) {
  TemporaryFolder folder;
  const std::string letture = folder / "_Letture";
  const std::string terminal = folder / "terminale";
  const std::string database = folder / "magazzino.db";
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  ASSERT_EQ(RunProcess({"mkdir", terminal}), 0);
  testing::WriteFile(terminal + "/1.txt", "A1$1;2;20261206;3\r\n");
  const std::string where =
      "--letture " + ShellQuoted(letture) + " --terminale " + ShellQuoted("dir:" + terminal);
  ASSERT_EQ(RunViruzedi(where + " scarica4 --db " + ShellQuoted(database)).status, 0);
  const std::string received = QueryRows(database, "SELECT Nome FROM Viruzedi_Importazioni")[0];
  const std::vector<std::string> archived = testing::FolderNames(letture);
  ASSERT_EQ(archived.size(), 1u);
  ASSERT_EQ(RunProcess({"mv", letture + "/" + archived[0], letture + "/" + received}), 0);
  testing::WriteFile(letture + "/lettore.txt.in-importazione-20261206-093000", "X1;1\r\n");
  testing::WriteFile(letture + "/Penna_non_salvate.txt", "A;1;2;3\r\n");
  testing::WriteFile(letture + "/Penna_non_salvate.txt.importato-20261206-080000", "B;1;2;3\r\n");

  testing::CommandOutcome listed =
      RunViruzedi(where + " in-attesa --db " + ShellQuoted(database) + " 2>&1");
  EXPECT_EQ(listed.status, 0) << listed.output;
  while (!listed.output.empty() && listed.output.back() == '\n') listed.output.pop_back();
  EXPECT_EQ(listed.output + "\n",
            letture + "/" + received + "\t--formato scarica4\tgià importato il " +
                QueryRows(database, "SELECT Data FROM Viruzedi_Importazioni")[0] + "\n" +
                letture + "/Penna_non_salvate.txt\t--formato scarica\n" + letture +
                "/lettore.txt.in-importazione-20261206-093000\t--formato scarica2 oppure "
                "scarica-zidorivovi\n");
}

// A download folder that cannot be read may hold waiting files: saying
// nothing would tell the operator that none waits.
TEST(CommandOutcome, InAttesaSaysWhatIsWrongWithAFolderItCannotList) {
  TemporaryFolder folder;
  testing::CommandOutcome missing =
      RunViruzedi("--letture " + ShellQuoted(folder / "manca") + " in-attesa 2>&1");
  EXPECT_EQ(missing.status, 1) << missing.output;
  EXPECT_NE(missing.output.find("errore 76: Percorso non trovato: " + folder / "manca" +
                                ". È la cartella di scarico"),
            std::string::npos)
      << missing.output;

  // Another user's folder, with a file waiting in it.
  const std::string closed = folder / "chiusa";
  ASSERT_EQ(RunProcess({"mkdir", "-m", "0700", closed}), 0);
  testing::WriteFile(closed + "/Penna_non_salvate.txt", "A;1;2;3\r\n");
  ASSERT_EQ(RunProcess({"chmod", "0755", folder.path()}), 0);
  std::string command = ShellQuoted(BinFolder() + "viruzedi");
  if (RunProcess({"sh", "-c", "[ \"$(id -u)\" -eq 0 ]"}) == 0) {
    // As root, an unprivileged user runs a copy of the command it can reach.
    ASSERT_EQ(RunProcess({"cp", BinFolder() + "viruzedi", folder / "viruzedi"}), 0);
    command = "setpriv --reuid=65534 --regid=65534 --clear-groups " +
              ShellQuoted(folder / "viruzedi");
  } else {
    ASSERT_EQ(RunProcess({"chmod", "0000", closed}), 0);
  }
  auto child = ChildProcess::Start(
      {"/bin/sh", "-c", command + " --config /dev/null --letture " + ShellQuoted(closed) +
                            " in-attesa 2>&1"},
      true);
  testing::CommandOutcome unreadable = testing::Finish(*child);
  RunProcess({"chmod", "0700", closed});
  EXPECT_EQ(unreadable.status, 1) << unreadable.output;
  EXPECT_NE(unreadable.output.find("errore 70: Permesso negato: " + closed +
                                   ". È la cartella di scarico"),
            std::string::npos)
      << unreadable.output;
}

// importa of a file given the wrong format: refused with the reason, the
// file left waiting under its name.
TEST(CommandOutcome, ImportaRefusesAFileOfAnotherFormatAndTheRightOneTakesIt) {
  TemporaryFolder folder;
  const std::string letture = folder / "_Letture";
  const std::string database = folder / "magazzino.db";
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  ASSERT_EQ(RunProcess({"mkdir", letture}), 0);
  const std::string file = letture + "/Rimesse_OF_20261206-093015.tmp";
  testing::WriteFile(file, "A1;7;340;2\r\nB2;8;341;1\r\n");
  const std::string importa =
      "importa " + ShellQuoted(file) + " --db " + ShellQuoted(database) + " --formato ";

  testing::CommandOutcome wrong = RunViruzedi(importa + "scarica-rimesseof 2>&1");
  EXPECT_EQ(wrong.status, 1) << wrong.output;
  EXPECT_NE(wrong.output.find("errore 5: Argomento o chiamata di procedura non valida. " + file +
                              " non è un file del formato scarica-rimesseof: nessuna sua riga è "
                              "una riga di quel formato. Il file resta com'era, in attesa"),
            std::string::npos)
      << wrong.output;
  EXPECT_EQ(testing::FolderNames(letture),
            std::vector<std::string>{"Rimesse_OF_20261206-093015.tmp"});

  testing::CommandOutcome right = RunViruzedi(importa + "scarica3 2>&1");
  EXPECT_EQ(right.status, 0) << right.output;
  EXPECT_EQ(QueryRows(database, "SELECT Codart FROM Viruzedi ORDER BY Codart"),
            (std::vector<std::string>{"A1", "B2"}));
}

// A pen download that a signal stops: the command ends at the next safe
// point with 128 + the signal, and every read the pen let go is stored.
class StopSignal : public ::testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(StopSignal, EndsThePenDownloadWithItsStatusAndKeepsEveryReadSent) {
  TemporaryFolder folder;
  std::string database = folder / "magazzino.db";
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  std::vector<std::string> reads;
  for (int i = 0; i < 400; ++i) reads.push_back("A" + std::to_string(i) + ";1;2;3");
  std::vector<std::string> simulatorArguments{BinFolder() + "pen-simulator", "--delay", "20"};
  simulatorArguments.insert(simulatorArguments.end(), reads.begin(), reads.end());
  auto pen = ChildProcess::Start(simulatorArguments, true);
  std::string device = pen->ReadLine(5s);
  ASSERT_FALSE(device.empty());

  auto download = ChildProcess::Start(
      {BinFolder() + "viruzedi", "--letture", folder / "_Letture", "--com", "1=" + device,
       "scarica", "--db", database, "--porta", "1"},
      true);
  // Some reads arrive first: the signal falls in the middle of the download.
  for (int waited = 0; waited < 100; ++waited) {
    if (QueryRows(database, "SELECT count(*) FROM Viruzedi") != std::vector<std::string>{"0"}) {
      break;
    }
    RunProcess({"sleep", "0.05"});
  }
  // The shell's own kill: no kill program need be installed.
  ASSERT_EQ(RunProcess({"/bin/sh", "-c",
                        std::string("kill -") + GetParam().first + " " +
                            std::to_string(download->pid())}),
            0);
  testing::CommandOutcome outcome = testing::Finish(*download);
  EXPECT_EQ(outcome.status, GetParam().second) << outcome.output;
  int stored = std::stoi(QueryRows(database, "SELECT count(*) FROM Viruzedi").at(0));
  EXPECT_GT(stored, 0);
  EXPECT_LT(stored, 400);
  // Stored reads are the first ones, each once, with no gap.
  EXPECT_EQ(QueryRows(database, "SELECT count(DISTINCT Codart) FROM Viruzedi"),
            std::vector<std::string>{std::to_string(stored)});
  EXPECT_EQ(QueryRows(database, "SELECT Codart FROM Viruzedi WHERE Codart = 'A" +
                                    std::to_string(stored - 1) + "'")
                .size(),
            1u);
  pen->Terminate();
}

INSTANTIATE_TEST_SUITE_P(IntAndTerm, StopSignal,
                         ::testing::Values(std::make_pair("INT", 130),
                                           std::make_pair("TERM", 143)));

}  // namespace
}  // namespace viruzedi
