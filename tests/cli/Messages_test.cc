// Messages that must send the user the right way, as a user meets them in
// the command's real process: a mistyped command, a port given twice, a
// terminal command that can never transfer, an import refused for a reason
// it names, a path that cannot work, and the progress line on a narrow
// terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "database/Database.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "platform/PseudoTerminal.h"
#include "tests/cli/StockMovements.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

bool Holds(const std::string& output, const std::string& text) {
  return output.find(text) != std::string::npos;
}

TEST(Messages, AMistypedCommandIsNamedWithTheNearestCommands) {
  struct Case {
    std::string arguments;
    std::string said;  // the line after "viruzedi: "
  };
  const std::string help = " (`viruzedi --help` lists the commands)";
  const std::vector<Case> cases{
      {"Scarica4 --db x", "\"Scarica4\" is not a command; did you mean scarica4?" + help},
      {"in_attesa", "\"in_attesa\" is not a command; did you mean in-attesa?" + help},
      {"--letture /tmp mostr --db x", "\"mostr\" is not a command; did you mean mostra?" + help},
      // Every command one slip away is offered, in the order of the help.
      {"scarica6",
       "\"scarica6\" is not a command; did you mean scarica, scarica1, scarica3, scarica4, "
       "scarica5 or scarica2?" +
           help},
      {"inventario", "\"inventario\" is not a command" + help},
  };
  for (const Case& c : cases) {
    CommandOutcome outcome = RunViruzedi(c.arguments);
    EXPECT_EQ(outcome.status, 2) << c.arguments;
    EXPECT_TRUE(Holds(outcome.output, "viruzedi: " + c.said + "\n")) << outcome.output;
  }
}

TEST(Messages, APortGivenTwiceOnTheCommandLineIsAUsageErrorNamingIt) {
  CommandOutcome twice = RunViruzedi("--com 1=/dev/a --com 1=/dev/b mostra --db x");
  EXPECT_EQ(twice.status, 2);
  EXPECT_TRUE(Holds(twice.output, "--com gives port 1 twice (\"/dev/a\" and \"/dev/b\")"))
      << twice.output;
  // Two ports are two settings: the options are fine, the database is not.
  EXPECT_EQ(RunViruzedi("--com 1=/dev/a --com 2=/dev/b mostra --db /nonexistent/x.db").status, 1);
}

// A scheduled download whose link can never work must not look like one
// that found nothing: its notice names the setting and the option, and the
// command ends with 1.
TEST(Messages, ATerminalCommandWithoutAWorkingLinkFailsAndSaysWhatToSet) {
  TemporaryFolder folder;
  const std::string database = folder / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  // An empty variable counts as unset: only the option gives a link here.
  SetEnvironmentValue("VIRUZEDI_TERMINALE", "");
  struct Case {
    std::string link;
    std::string named;
  };
  for (const Case& c : std::vector<Case>{{"", "Nessun terminale configurato."},
                                         {"seriale:/dev/ttyS0", "\"seriale:/dev/ttyS0\""},
                                         {"dir:", "\"dir:\""}}) {
    const std::string options = "--config /dev/null --letture " +
                                ShellQuoted(folder / "_Letture") + " --terminale " +
                                ShellQuoted(c.link) + " ";
    for (const std::string command : {"scarica3 --db ", "scarica4 --db ", "scarica5 --db ",
                                      "scarica-rimesseof --db ", "upload1"}) {
      const std::string arguments =
          options + command + (command == "upload1" ? "" : ShellQuoted(database));
      CommandOutcome outcome = RunViruzedi(arguments);
      EXPECT_EQ(outcome.status, 1) << arguments << "\n" << outcome.output;
      for (const std::string& named : {std::string("[Collegamento] "), c.named,
                                       std::string("VIRUZEDI_TERMINALE"),
                                       std::string("--terminale"),
                                       std::string("chiave terminale")}) {
        EXPECT_TRUE(Holds(outcome.output, named)) << named << "\n" << outcome.output;
      }
    }
  }
}

// `importa` refuses with the numbers a host has always had, in words that
// say why: a download still holds the file, the file was archived, or its
// name is another format's. The file stays as it was.
TEST(Messages, AnImportRefusedByTheFilesStateOrNameSaysWhich) {
  TemporaryFolder folder;
  const std::string letture = folder / "_Letture";
  const std::string database = folder / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  std::filesystem::create_directory(letture);
  const std::string held = letture + "/MovMag_20261206-093015.tmp";
  const std::string archived = letture + "/MovMag_20261206-101500.TMP";
  const std::string remittances = letture + "/Rimesse_OF_20261206-093015.tmp";
  const std::string penArchive = letture + "/Penna_non_salvate.txt.importato-20261206-080000";
  for (const std::string& path : {held, archived, remittances, penArchive}) {
    WriteFile(path, "A1$1;2;20261206;3\r\n");
  }
  TestPlatform platform;
  std::unique_ptr<FileLock> download = platform.Files().TryLock(held);
  ASSERT_TRUE(download);

  struct Case {
    std::string file;
    std::string format;
    std::string said;
  };
  const std::vector<Case> cases{
      {held, "scarica4",
       "errore 70: Uno scarico o un'altra importazione sta lavorando sul file (riprovare "
       "quando avrà finito): " +
           held + "."},
      {archived, "scarica4",
       "errore 58: Il file è già stato importato e poi archiviato, come dice il suo nome: " +
           archived + "."},
      {penArchive, "scarica",
       "errore 58: Il file è già stato importato e poi archiviato, come dice il suo nome: " +
           penArchive + "."},
      {remittances, "scarica4",
       "errore 58: " + remittances +
           " non è un file del formato scarica4: il suo nome è di un file del formato scarica3 "
           "oppure scarica-rimesseof. Il file resta com'era, in attesa: viruzedi in-attesa "
           "indica il formato di ogni file in attesa."},
      {held, "scarica3",
       "errore 58: " + held +
           " non è un file del formato scarica3: il suo nome è di un file del formato scarica4. "
           "Il file resta com'era, in attesa: viruzedi in-attesa indica il formato di ogni file "
           "in attesa."},
  };
  for (const Case& c : cases) {
    CommandOutcome outcome = RunViruzedi("importa " + ShellQuoted(c.file) + " --formato " +
                                         c.format + " --db " + ShellQuoted(database));
    EXPECT_EQ(outcome.status, 1) << c.file;
    EXPECT_TRUE(Holds(outcome.output, "viruzedi: " + c.said + "\n")) << outcome.output;
  }
  EXPECT_EQ(QueryRows(database, "SELECT count(*) FROM Viruzedi"), std::vector<std::string>{"0"});
  EXPECT_EQ(FolderNames(letture),
            (std::vector<std::string>{BaseName(held), BaseName(archived),
                                      BaseName(penArchive), BaseName(remittances)}));
}

// A database file of `length` bytes of path in all, under `folder`, in
// folders whose names the file system takes (made here).
std::string PathOfLength(const std::string& folder, size_t length) {
  std::filesystem::create_directory(folder);
  std::string path = folder;
  while (length - path.size() > 250) {
    path += "/" + std::string(200, 'c');
    std::filesystem::create_directory(path);
  }
  return path + "/" + std::string(length - path.size() - 4, 'm') + ".db";
}

// A path the database engine or the reader program cannot take is named
// for what is wrong with it, not as a disk error or a refused argument.
TEST(Messages, APathThatCannotWorkSaysWhatIsWrongWithIt) {
  TemporaryFolder folder;
  const std::string longest = PathOfLength(folder / "a", 504);
  EXPECT_EQ(RunViruzedi("init-db " + ShellQuoted(longest)).status, 0);
  const std::string longPath = PathOfLength(folder / "b", 524);
  CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(longPath));
  EXPECT_EQ(made.status, 1);
  EXPECT_TRUE(Holds(made.output, "errore 3043: Impossibile creare il database '" + longPath +
                                     "': il percorso completo è lungo 524 byte e SQLite ne "
                                     "accetta al più 504.\n"))
      << made.output;
  EXPECT_FALSE(std::filesystem::exists(longPath));

  const std::string database = folder / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  const std::string quoted = folder / "let\"ture.txt";
  CommandOutcome reader = RunViruzedi("scarica2 " + ShellQuoted(database) + " " +
                                      ShellQuoted(quoted));
  EXPECT_EQ(reader.status, 1);
  EXPECT_TRUE(Holds(reader.output, "errore 5: Argomento o chiamata di procedura non valida: il "
                                   "nome del file delle letture non può contenere le "
                                   "virgolette"))
      << reader.output;
  EXPECT_TRUE(Holds(reader.output, quoted + "\n")) << reader.output;
}

// The progress line drawn on a terminal of 40 and of 60 columns: each
// redraw fits one row, or the terminal wraps it and every redraw leaves a
// row behind.
class NarrowTerminal : public ::testing::TestWithParam<unsigned short> {};

TEST_P(NarrowTerminal, TheProgressLineFitsItsWidth) {
  TemporaryFolder folder;
  const std::string letture = folder / "_Letture";
  const std::string database = folder / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  std::filesystem::create_directory(letture);
  // Enough rows that the whole text is wider than either terminal.
  const std::string waiting = letture + "/MovMag_20261206-093015.tmp";
  WriteFile(waiting, Movements("ART", 20000));

  std::unique_ptr<PseudoTerminal> terminal = PseudoTerminal::Open();
  terminal->SetColumns(GetParam());
  auto child = ChildProcess::Start(
      {"/bin/sh", "-c",
       "exec " + ShellQuoted(BinFolder() + "viruzedi") + " importa " + ShellQuoted(waiting) +
           " --formato scarica4 --db " + ShellQuoted(database) + " 2>" +
           ShellQuoted(terminal->SlavePath())},
      true);
  CommandOutcome outcome = Finish(*child);
  ASSERT_EQ(outcome.status, 0) << outcome.output;
  std::string shown;
  for (std::string more; !(more = terminal->Read(PseudoTerminal::Clock::now() + 500ms)).empty();) {
    shown += more;
  }

  // Each stretch between two returns to the row's start is one drawing.
  size_t drawings = 0;
  std::string drawing;
  for (char c : shown + "\r") {
    if (c != '\r' && c != '\n') {
      drawing += c;
      continue;
    }
    if (const size_t clear = drawing.find("\033[K"); clear != std::string::npos) {
      drawing.erase(clear);
    }
    if (!drawing.empty()) {
      ++drawings;
      EXPECT_LT(drawing.size(), GetParam()) << drawing;
      EXPECT_TRUE(Holds(drawing, "20000")) << drawing;
    }
    drawing.clear();
  }
  EXPECT_GE(drawings, 1u) << shown;
}

INSTANTIATE_TEST_SUITE_P(FortyAndSixtyColumns, NarrowTerminal, ::testing::Values(40, 60));

}  // namespace
}  // namespace viruzedi::testing
