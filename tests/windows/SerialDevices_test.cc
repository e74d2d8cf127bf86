// viruzedi.exe under Wine against the simulated devices of the serial ports:
// each simulator's pseudo-terminal is a COM port of the prefix, which the
// program (or ZiRav.dll, or DO_Duri.exe) opens as \\.\COMn.
#include <filesystem>

#include "tests/cli/StockMovements.h"
#include "tests/windows/WindowsTest.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

using SerialDevices = WindowsTest;

TEST_P(SerialDevices, PenReadsBecomeRows) {
  Simulator pen("pen-simulator", {"A1;12;345;2.5", "7;0;0;3", "D'ORO 5;13;350;-1,5"});
  WinePort port(pen.device());
  WindowsOutcome outcome =
      Viruzedi({"scarica", "--db", Db(), "--porta", std::to_string(port.number())});
  EXPECT_EQ(outcome.status, 0) << outcome;
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, [Id SottoOrd], Quantità FROM Viruzedi ORDER BY rowid"),
            (Strings{"A1|345|12|2.5", "7|0|0|3.0", "D'ORO 5|350|13|-1.5"}));
}

// Another program has the port. Wine lets any number of programs open one
// pseudo-terminal, so the port here is a plain file that a second Windows
// program holds open without sharing: the refusal that the program then
// meets is the one Windows gives for a port in use.
TEST_P(SerialDevices, APortInUseByAnotherProgramIs8005AndStoresNothing) {
  const std::string holderProgram = WindowsBinFolder(GetParam()) + "port-holder.exe";
  ASSERT_TRUE(std::filesystem::exists(holderProgram))
      << holderProgram << " is missing: make windows builds it";
  const std::string device = folder / "porta";
  WriteFile(device, "");
  WinePort port(device);
  WindowsProgram holder(GetParam(), "port-holder.exe", {"\\\\.\\" + port.name(), "60"});
  ASSERT_TRUE(holder.WaitForOutput("held", 30s)) << holder.Finish();

  WindowsOutcome refused =
      Viruzedi({"scarica", "--db", Db(), "--porta", std::to_string(port.number())});
  holder.Stop();
  EXPECT_EQ(refused.status, 1) << refused;
  EXPECT_NE(refused.errors.find("8005"), std::string::npos) << refused;
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), Strings{"0"});
  EXPECT_EQ(ReadFile(device), "") << "the program wrote to a port it did not have";
}

TEST_P(SerialDevices, InfraredRecordsBecomeRowsThroughZiRavDll) {
  Simulator reader("infrared-simulator",
                   {"--record", "#A7$12;1.5;20261206;3;", "--record", "#SENZALOTTO;1;20261206;1;",
                    "--record", "#D'ORO$5;2;20260131;7;", "--record", "#CAFÉ$1;0.5;20260101;2;"});
  WinePort port(reader.device());
  WindowsOutcome outcome =
      Viruzedi({"scarica1", "--db", Db(), "--porta", std::to_string(port.number())});
  // The record without a lot is the bad-code warning, no failure.
  EXPECT_EQ(outcome.status, 0) << outcome;
  EXPECT_NE(outcome.errors.find("[Viruzedi11600] E' stato trovato un codice errato."),
            std::string::npos)
      << outcome;
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, Quantità, Data, Rep FROM Viruzedi ORDER BY rowid"),
            (Strings{"#A7|12|1.5|2026-12-06|3", "#D'ORO|5|2.0|2026-01-31|7",
                     "#CAFÉ|1|0.5|2026-01-01|2"}));
  // Told to erase only once every record was stored.
  EXPECT_EQ(reader.NextLine(5s), "erased 4");
}

TEST_P(SerialDevices, ATerminalFileComesOverTheSerialLink) {
  TemporaryFolder terminal;
  const std::string sent = Movements("S", 300);
  WriteFile(terminal / "1.txt", sent);
  Simulator simulator("terminal-simulator", {"--folder", terminal.path()});
  WinePort port(simulator.device());
  WindowsOutcome outcome =
      Viruzedi({"--terminale", "serial:" + port.name(), "scarica4", "--db", Db()});
  EXPECT_EQ(outcome.status, 0) << outcome;
  Strings stored = Rows("SELECT Codart, IdLotto FROM Viruzedi ORDER BY rowid");
  EXPECT_EQ(stored, MovementRows("S", 300));
  // Over a serial line the terminal only sends: its file stays its own to
  // erase. The download folder keeps the file as received.
  EXPECT_EQ(FolderNames(terminal.path()), Strings{"1.txt"});
  const Strings kept = FolderNames(letture);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadFile(letture + "/" + kept[0]), sent);
}

// A terminal whose rz and sz begin a second after the request: the quiet
// second is a wait, not a terminal gone, both ways.
TEST_P(SerialDevices, ATerminalThatAnswersASecondLateIsWaitedForBothWays) {
  TemporaryFolder terminal;
  const std::string sent = Movements("L", 20);
  WriteFile(terminal / "1.txt", sent);
  Simulator simulator("terminal-simulator",
                      {"--folder", terminal.path(), "--answer-after", "1000"});
  WinePort port(simulator.device());
  WindowsOutcome download =
      Viruzedi({"--terminale", "serial:" + port.name(), "scarica4", "--db", Db()});
  EXPECT_EQ(download.status, 0) << download;
  EXPECT_EQ(Rows("SELECT Codart, IdLotto FROM Viruzedi ORDER BY rowid"), MovementRows("L", 20));

  const std::string upload = "U;1;Rossi\r\n";
  WriteFile(letture + "/file_up.tmp", upload);
  WindowsOutcome sentUp = Viruzedi({"--terminale", "serial:" + port.name(), "upload1"});
  EXPECT_EQ(sentUp.status, 0) << sentUp;
  EXPECT_EQ(ReadFile(terminal / "file_up.tmp"), upload);
}

// A terminal taken off its line mid-transfer is a hang-up, said at once,
// and the file waits in the terminal.
TEST_P(SerialDevices, ATerminalUnpluggedMidTransferIsAHangUp) {
  TemporaryFolder terminal;
  WriteFile(terminal / "1.txt", Movements("U", 300));
  Simulator simulator("terminal-simulator", {"--folder", terminal.path(), "--unplug-at", "3"});
  WinePort port(simulator.device());
  WindowsOutcome download =
      Viruzedi({"--terminale", "serial:" + port.name(), "scarica4", "--db", Db()});
  EXPECT_EQ(download.status, 1) << download;
  EXPECT_NE(download.errors.find("[57] Il terminale si è scollegato durante il trasferimento"),
            std::string::npos)
      << download;
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), Strings{"0"});
  EXPECT_EQ(FolderNames(terminal.path()), Strings{"1.txt"});
}

TEST_P(SerialDevices, ReaderProgramReadsBecomeRowsThroughDoDuriExe) {
  Simulator reader("reader-simulator", {});
  WinePort port(reader.device());
  const std::string readerFile = folder / "letture.txt";
  WindowsOutcome outcome =
      Viruzedi({"scarica2", Db(), WindowsPath(readerFile), "--porta-com",
                std::to_string(port.number()), "--baud", "B38400", "--timeout", "1"});
  EXPECT_EQ(outcome.status, 0) << outcome;
  // DO_Duri.exe wrote the reader's lines with CR LF ends; the import
  // archived the file.
  EXPECT_EQ(ReadFile(ImportedReaderFile(readerFile)), "8001234;5\r\n8001235;12;17\r\n8001236;3,5;18\r\n8001237;1\r\n");
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, Quantità FROM Viruzedi ORDER BY rowid"),
            (Strings{"8001234|0|5.0", "8001235|17|12.0", "8001236|18|3.5", "8001237|0|1.0"}));
}

VIRUZEDI_FOR_BOTH_TARGETS(SerialDevices);

}  // namespace
}  // namespace viruzedi::testing
