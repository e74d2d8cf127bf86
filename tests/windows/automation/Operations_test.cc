// The operations of Viruzedi11600.dll as a script host meets them: the
// server of each build, registered in the run's prefix (the fixture
// wine-automation), called from VBScript under the target's own cscript
// against the simulated devices and a terminal folder; the rows are read
// from Linux afterwards and the boxes from the file VIRUZEDI_MESSAGGI names.
#include <algorithm>
#include <filesystem>

#include "tests/cli/StockMovements.h"
#include "tests/windows/WindowsTest.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

// A text as a VBScript string literal.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// What every script starts with. An error that nothing catches ends Wine's
// cscript with exit status 0 and no word, so errors are caught throughout
// and each call is followed by Report, which prints "NAME -> TYPE" (the
// type of the result r) or "NAME -> error NUMBER | SOURCE | DESCRIPTION".
// A script that got to its end exits with 100.
constexpr char kPrologue[] = R"(Option Explicit
Dim o, r
On Error Resume Next
Sub Report(what)
  If Err.Number <> 0 Then
    WScript.Echo what & " -> error " & Err.Number & " | " & Err.Source & " | " & Err.Description
  Else
    WScript.Echo what & " -> " & TypeName(r)
  End If
  Err.Clear
End Sub
Set o = CreateObject("Viruzedi11600.Viruzedi")
If Err.Number <> 0 Then
  WScript.Echo "CreateObject -> error " & Err.Number & " | " & Err.Description
  WScript.Quit 1
End If
)";

// An operation that has a result.
std::string Call(const std::string& operation) {
  return "r = Null\nr = o." + operation + "()\nReport \"" + operation + "\"\n";
}

// A statement without a result (Scarica2, Scarica_ZidoriVovi), reported
// under `name`.
std::string Statement(const std::string& name, const std::string& statement) {
  return "r = Empty\n" + statement + "\nReport \"" + name + "\"\n";
}

class Operations : public WindowsTest {
 protected:
  Operations() { std::filesystem::create_directories(terminal); }

  // Runs `body` after the prologue and the object's DbPath (the test's
  // database), under the target's cscript, with the download folder, the
  // terminal folder and the box file of the test.
  WindowsOutcome Script(const std::string& body, Variables variables = {}) const {
    const std::string script = folder / "prova.vbs";
    WriteFile(script, std::string(kPrologue) + "o.DbPath = " + Quoted(Db()) + "\n" + body +
                          "Set o = Nothing\nWScript.Quit 100\n");
    variables["VIRUZEDI_LETTURE"] = WindowsPath(letture);
    variables["VIRUZEDI_TERMINALE"] = "dir:" + WindowsPath(terminal);
    variables["VIRUZEDI_MESSAGGI"] = WindowsPath(boxes);
    WindowsOutcome outcome =
        RunWindows(GetParam(), WineSystemProgram(GetParam(), "cscript.exe"),
                   {"//nologo", WindowsPath(script)}, variables);
    if (outcome.output.find("CreateObject -> error 429") != std::string::npos) {
      ADD_FAILURE() << "the " << GetParam()
                    << " server is not registered: the fixture wine-automation-register "
                       "registers it (ctest -L windows runs it)";
    }
    return outcome;
  }

  std::string Boxes() const {
    return std::filesystem::exists(boxes) ? ReadFile(boxes) : std::string();
  }

  std::string terminal = folder / "terminale";
  std::string boxes = folder / "messaggi.txt";
};

TEST_P(Operations, PenAndInfraredReadsBecomeRows) {
  Simulator pen("pen-simulator", {"A1;12;345;2.5", "D'ORO 5;13;350;-1,5"});
  WinePort penPort(pen.device());
  Simulator infrared("infrared-simulator",
                     {"--record", "#A7$12;1.5;20261206;3;", "--record", "#SENZALOTTO;1;20261206;1;"});
  WinePort infraredPort(infrared.device());
  WindowsOutcome outcome = Script("o.Porta = " + std::to_string(penPort.number()) + "\n" +
                                  Call("Scarica") + "o.Porta = " +
                                  std::to_string(infraredPort.number()) + "\n" + Call("Scarica1"));
  EXPECT_EQ(outcome.status, 100) << outcome;
  EXPECT_EQ(outcome.output, "Scarica -> Empty\nScarica1 -> Empty\n") << outcome;
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, [Id SottoOrd], Quantità FROM Viruzedi ORDER BY rowid"),
            (Strings{"A1|345|12|2.5", "D'ORO 5|350|13|-1.5", "#A7|12|NULL|1.5"}));
  // The record without a lot is one bad-code warning, no failure.
  EXPECT_EQ(Boxes(),
            "[Viruzedi11600] E' stato trovato un codice errato. Il programma continuerà a "
            "scaricare il rimanente del contenuto.\r\n");
  EXPECT_EQ(infrared.NextLine(5s), "erased 2");
}

// The four file downloads over a dir: link, one after another within a
// few seconds (two of them name their files alike), then the upload before
// and after its file is there. The script hands the terminal each file
// just before the download that takes it.
TEST_P(Operations, TerminalFilesBecomeRowsAndTheUploadReachesTheTerminal) {
  const std::string staged = folder / "consegne";
  std::filesystem::create_directories(staged);
  const Strings sent{
      "X12;5;340;2\r\nD'AMICO;1;2;0,5\r\n",                         // Scarica3: sub-order reads
      Movements("M", 3),                                             // Scarica4: stock movements
      "R1$5;12.5\r\nSENZALOTTO;3\r\nR2$;3\r\n",                     // Scarica5: reconciliation
      "$ROF;340;2;DDT15;20261206\r\n$rof;341;-0,25;D7;20270131\r\n",  // Scarica_RimesseOF
  };
  for (size_t i = 0; i < sent.size(); ++i) {
    WriteFile(staged + "/" + std::to_string(i) + ".txt", sent[i]);
  }
  WriteFile(staged + "/file_up.tmp", "U;1;ROSSI\r\nU;2;BIANCHI\r\n");
  auto deliver = [&](const std::string& file, const std::string& to) {
    return "fso.CopyFile " + Quoted(WindowsPath(staged + "/" + file)) + ", " +
           Quoted(WindowsPath(to)) + "\nIf Err.Number <> 0 Then WScript.Echo \"CopyFile " + file +
           ": \" & Err.Number : WScript.Quit 2\n";
  };
  const std::string terminalFile1 = terminal + "/1.txt";
  WindowsOutcome outcome =
      Script("Dim fso\nSet fso = CreateObject(\"Scripting.FileSystemObject\")\no.IdUt = 4\n" +
             deliver("0.txt", terminalFile1) + Call("Scarica3") +
             deliver("1.txt", terminalFile1) + Call("Scarica4") +
             deliver("2.txt", terminal + "/2.txt") + Call("Scarica5") +
             deliver("3.txt", terminalFile1) + Call("Scarica_RimesseOF") + Call("Upload1") +
             deliver("file_up.tmp", letture + "/file_up.tmp") + Call("Upload1"));
  EXPECT_EQ(outcome.status, 100) << outcome;
  EXPECT_EQ(outcome.output,
            "Scarica3 -> Empty\nScarica4 -> Empty\nScarica5 -> Empty\n"
            "Scarica_RimesseOF -> Empty\nUpload1 -> Empty\nUpload1 -> Empty\n")
      << outcome;

  EXPECT_EQ(Rows("SELECT Codart, IdLotto, [Id SottoOrd], Quantità, Rep FROM Viruzedi "
                 "ORDER BY rowid"),
            (Strings{"X12|5|340|2.0|NULL", "D'AMICO|1|2|0.5|NULL", "M0|0|NULL|1.0|1",
                     "M1|1|NULL|1.0|1", "M2|2|NULL|1.0|1", "R1|5|NULL|12.5|NULL",
                     "R2|0|NULL|3.0|NULL"}));
  EXPECT_EQ(Rows("SELECT Data FROM Viruzedi WHERE Rep IS NOT NULL"),
            (Strings{"2026-12-06", "2026-12-06", "2026-12-06"}));
  EXPECT_EQ(Rows("SELECT IdUt, IdSottoORd, Qtà, NDoc, DataDoc FROM Viruzedi_RimesseOF "
                 "ORDER BY rowid"),
            (Strings{"4|340|2.0|DDT15|2026-12-06", "4|341|-0.25|D7|2027-01-31"}));
  // The reconciliation's line without a lot is the one bad-code warning;
  // the upload without its file is shown by its form, not raised.
  EXPECT_EQ(Boxes(),
            "[Attenzione!] E' stato trovato un codice errato. Il programma continuerà a "
            "scaricare il rimanente del contenuto.\r\n"
            "[53] File non trovato: " + WindowsPath(letture + "/file_up.tmp") + "\r\n");

  // Every received file archived whole; the terminal is left with the
  // uploaded file only.
  Strings archived = FolderNames(letture);
  EXPECT_EQ(archived.size(), 5u) << ::testing::PrintToString(archived);
  Strings contents;
  for (const std::string& name : archived) {
    if (name != "file_up.tmp") contents.push_back(ReadFile(letture + "/" + name));
  }
  Strings expected = sent;
  std::sort(contents.begin(), contents.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(contents, expected) << ::testing::PrintToString(archived);
  EXPECT_EQ(FolderNames(terminal), Strings{"file_up.tmp"});
  EXPECT_EQ(ReadFile(terminal + "/file_up.tmp"), "U;1;ROSSI\r\nU;2;BIANCHI\r\n");
}

// Scarica2 with only the two required arguments (the defaults: port 1,
// which VIRUZEDI_COM1 makes the reader's, Sovrascrivi, a time-out of 10
// seconds) and with all eleven, once as literals and once as variables,
// which the script passes by reference (VT_BYREF | VT_VARIANT); Accoda
// keeps what the reader file held (its name has letters beyond ASCII).
// Then Scarica_ZidoriVovi from a reader of GS1 labels, and from a port
// without a device, which reaches the script as an automation error.
TEST_P(Operations, ReaderProgramReadsBecomeRowsThroughDoDuriExe) {
  Simulator reader("reader-simulator", {"--lettura", "8001234;5", "--lettura", "8001235;3,5;17"});
  WinePort port(reader.device());
  Simulator labels("reader-simulator", {"--gs1"});
  WinePort labelPort(labels.device());
  const std::string defaults = folder / "predefiniti.txt";
  const std::string literals = folder / "letterali.txt";
  // Named in the script with Chr of the ANSI code page: Wine's cscript
  // reads a script file as ANSI text.
  const std::string variables = folder / "variabili più €.txt";
  WriteFile(defaults, "VECCHIO;1\r\n");
  WriteFile(literals, "PRIMA;2\r\n");
  WriteFile(variables, "DOPO;3\r\n");
  const std::string db = Quoted(Db());
  const std::string n = std::to_string(port.number());
  WindowsOutcome outcome = Script(
      Statement("Scarica2 (2)", "o.Scarica2 " + db + ", " + Quoted(WindowsPath(defaults))) +
      Statement("Scarica2 (11)", "o.Scarica2 " + db + ", " + Quoted(WindowsPath(literals)) +
                                     ", " + n + ", 3, 2, True, True, False, False, False, 1") +
      "Dim mdb, file, porta, baud, modo, cr, lf, errori, mostra, maschera, attesa\n"
      "mdb = " + db + " : file = " + Quoted(WindowsPath(folder / "variabili pi")) +
      " & Chr(249) & \" \" & Chr(128) & \".txt\" : porta = " + n +
      "\nbaud = 3 : modo = 2 : cr = True : lf = True : errori = False : mostra = False\n"
      "maschera = False : attesa = 1\n" +
      Statement("Scarica2 (variables)", "o.Scarica2 mdb, file, porta, baud, modo, cr, lf, "
                                        "errori, mostra, maschera, attesa") +
      "WScript.Echo \"variables: \" & porta & \" \" & baud & \" \" & modo & \" \" & attesa & "
      "\" \" & (mdb = " + db + ")\n" +
      Statement("Scarica_ZidoriVovi",
                "o.Scarica_ZidoriVovi " + db + ", " + Quoted(WindowsPath(folder / "gs1.txt")) +
                    ", " + std::to_string(labelPort.number()) + ", 3, 1, True, True, False, "
                    "False, False, 1") +
      Statement("Scarica_ZidoriVovi (port 0)",
                "o.Scarica_ZidoriVovi " + db + ", " + Quoted(WindowsPath(folder / "gs1.txt")) +
                    ", 0"),
      {{"VIRUZEDI_COM1", "\\\\.\\" + port.name()}});
  EXPECT_EQ(outcome.status, 100) << outcome;
  // The call changed none of the script's variables.
  EXPECT_EQ(outcome.output,
            "Scarica2 (2) -> Empty\nScarica2 (11) -> Empty\nScarica2 (variables) -> Empty\n"
            "variables: " + n + " 3 2 1 True\nScarica_ZidoriVovi -> Empty\n"
            "Scarica_ZidoriVovi (port 0) -> error 8002 | Viruzedi11600.Viruzedi | Numero di "
            "porta non valido: il programma del lettore non ha potuto aprire la porta 0. "
            "Nessun file delle letture: " + WindowsPath(folder / "gs1.txt") + "\n")
      << outcome;
  EXPECT_EQ(ReadFile(ImportedReaderFile(defaults)), "8001234;5\r\n8001235;3,5;17\r\n");
  EXPECT_EQ(ReadFile(ImportedReaderFile(literals)), "PRIMA;2\r\n8001234;5\r\n8001235;3,5;17\r\n");
  EXPECT_EQ(ReadFile(ImportedReaderFile(variables)), "DOPO;3\r\n8001234;5\r\n8001235;3,5;17\r\n");
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, Quantità, Lotto_Codice, Lotto_Scadenza, SSCC, NColli "
                 "FROM Viruzedi ORDER BY rowid"),
            (Strings{"8001234|0|5.0|NULL|NULL|NULL|NULL",
                     "8001235|17|3.5|NULL|NULL|NULL|NULL",
                     "PRIMA|0|2.0|NULL|NULL|NULL|NULL",
                     "8001234|0|5.0|NULL|NULL|NULL|NULL",
                     "8001235|17|3.5|NULL|NULL|NULL|NULL",
                     "DOPO|0|3.0|NULL|NULL|NULL|NULL",
                     "8001234|0|5.0|NULL|NULL|NULL|NULL",
                     "8001235|17|3.5|NULL|NULL|NULL|NULL",
                     "890|NULL|NULL|LOT42|2025-03-15|380123450000000013|12",
                     "234|NULL|NULL|L-0007|2026-12-31|380123450000000020|4",
                     "999|NULL|NULL|L2027-B|2027-01-01|380123450000000037|60"}));
  // These operations raise their failures: no box.
  EXPECT_EQ(Boxes(), "");
}

VIRUZEDI_FOR_BOTH_TARGETS(Operations);

}  // namespace
}  // namespace viruzedi::testing
