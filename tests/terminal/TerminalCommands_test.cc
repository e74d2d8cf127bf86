// The terminal subcommands as a user runs them: a real child process, the
// boxes on its standard error and its exit status.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"
#include "tests/terminal/TerminalFixture.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

using Outcome = CommandOutcome;

class TerminalCommandsTest : public TerminalTest {
 protected:
  Outcome Viruzedi(const std::string& arguments) {
    return RunViruzedi("--letture " + ShellQuoted(letture) + " --terminale " +
                       ShellQuoted("dir:" + terminale) + " " + arguments);
  }
  std::string Db() const { return " --db '" + database + "'"; }
};

TEST_F(TerminalCommandsTest, ADownloadWithWarningsSucceedsAndOneThatFailsDoesNot) {
  PutTerminalFile(1, {"A$1;1;20261206;1", "B;1;20261206;1"});
  Outcome warned = Viruzedi("scarica4" + Db());
  EXPECT_EQ(warned.status, 0) << warned.output;
  EXPECT_NE(warned.output.find("[Attenzione!] E' stato trovato un codice errato."),
            std::string::npos)
      << warned.output;
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), std::vector<std::string>{"A"});

  PutTerminalFile(2, {"A$1;1", "", "C$3;x"});
  Outcome failed = Viruzedi("scarica5" + Db());
  EXPECT_EQ(failed.status, 1) << failed.output;
  EXPECT_NE(failed.output.find("[13] "), std::string::npos) << failed.output;

  Outcome nothing = Viruzedi("scarica3" + Db());  // the terminal has nothing more
  EXPECT_EQ(nothing.status, 0) << nothing.output;
  // The failed file stored none of its rows.
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), (std::vector<std::string>{"A"}));
}

TEST_F(TerminalCommandsTest, RemittancesTakeTheUserIdOfTheCommandLine) {
  PutTerminalFile(1, {"$ROF;340;2;DDT15;20261206"});
  EXPECT_EQ(Viruzedi("scarica-rimesseof --idut -7" + Db()).status, 0);
  EXPECT_EQ(Rows("SELECT IdUt, NDoc FROM Viruzedi_RimesseOF"),
            std::vector<std::string>{"-7|DDT15"});
  EXPECT_EQ(Viruzedi("scarica-rimesseof --idut 32768" + Db()).status, 2);
  EXPECT_EQ(Viruzedi("scarica4").status, 2);  // --db is required
}

TEST_F(TerminalCommandsTest, UploadSendsTheFileOfTheDownloadFolder) {
  std::filesystem::create_directory(letture);
  WriteFile(letture + "/file_up.tmp", "U;1;ROSSI\r\n");
  EXPECT_EQ(Viruzedi("upload1").status, 0);
  EXPECT_EQ(ReadFile(terminale + "/file_up.tmp"), "U;1;ROSSI\r\n");
  std::filesystem::remove(letture + "/file_up.tmp");
  Outcome missing = Viruzedi("upload1");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("[53] "), std::string::npos) << missing.output;
}

// What an operator does with a file that waits: the failure names the line,
// in-attesa names the file and its format, importa finishes it once and
// refuses it after.
TEST_F(TerminalCommandsTest, AFailedFileIsNamedListedFixedAndImportedOnce) {
  PutTerminalFile(1, {"A$1;1;20261206;1", "B$2;due;20261206;1"});
  Outcome failed = Viruzedi("scarica4" + Db());
  EXPECT_EQ(failed.status, 1) << failed.output;
  EXPECT_NE(failed.output.find(", riga 2: B$2;due;20261206;1"), std::string::npos)
      << failed.output;
  EXPECT_TRUE(Rows("SELECT Codart FROM Viruzedi").empty());

  Outcome listed = Viruzedi("in-attesa");
  EXPECT_EQ(listed.status, 0) << listed.output;
  std::string::size_type tab = listed.output.find("\t--formato scarica4");
  ASSERT_NE(tab, std::string::npos) << listed.output;
  std::string waiting = listed.output.substr(0, tab);
  EXPECT_NE(waiting.find(letture + "/MovMag_"), std::string::npos) << waiting;

  WriteFile(waiting, "A$1;1;20261206;1\r\nB$2;2;20261206;1\r\n");
  Outcome imported = Viruzedi("importa " + ShellQuoted(waiting) + " --formato scarica4" + Db());
  EXPECT_EQ(imported.status, 0) << imported.output;
  EXPECT_EQ(Rows("SELECT Codart, Quantità FROM Viruzedi ORDER BY Codart"),
            (std::vector<std::string>{"A|1.0", "B|2.0"}));
  EXPECT_EQ(Viruzedi("in-attesa").output, "\n");
  EXPECT_EQ(Viruzedi("importa " + ShellQuoted(waiting) + " --formato scarica4" + Db()).status, 1);
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), std::vector<std::string>{"2"});
}

TEST_F(TerminalCommandsTest, RowsThatTheTableRefusesAreCountedOnAPlainLine) {
  ASSERT_TRUE(RawDatabase(database).Exec("CREATE UNIQUE INDEX UnCodice ON Viruzedi (Codart)"));
  PutTerminalFile(1, {"A$1;1;20261206;1", "A$1;1;20261206;1", "B$1;1;20261206;1",
                      "B$1;1;20261206;1"});
  Outcome refused = Viruzedi("scarica4" + Db());
  EXPECT_EQ(refused.status, 0) << refused.output;
  EXPECT_NE(refused.output.find("viruzedi: 2 righe rifiutate da un vincolo della tabella"),
            std::string::npos)
      << refused.output;
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), std::vector<std::string>{"2"});
}

}  // namespace
}  // namespace viruzedi::testing
