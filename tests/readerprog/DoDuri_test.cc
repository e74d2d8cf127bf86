// DO_Duri.exe against the simulated reader on a pseudo-terminal, through
// each file mode, and the two imports with both of them for real.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "operation/Messages.h"
#include "platform/ChildProcess.h"
#include "platform/SerialDevice.h"
#include "tests/readerprog/ReaderProgramFixture.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

using Outcome = CommandOutcome;

std::string Quoted(const std::string& text) { return ShellQuoted(text); }

// The simulated reader, serving until the object goes.
struct Reader {
  explicit Reader(const std::vector<std::string>& options) {
    std::vector<std::string> argv{BinFolder() + "reader-simulator"};
    argv.insert(argv.end(), options.begin(), options.end());
    process = ChildProcess::Start(argv, true);
    device = process->ReadLine(10s);
  }
  std::unique_ptr<ChildProcess> process;
  std::string device;
};

// Starts DO_Duri.exe with its one argument, port 3 being `device`.
std::unique_ptr<ChildProcess> StartReaderProgram(const std::string& device,
                                                 const std::string& argument) {
  return ChildProcess::Start({"/bin/sh", "-c",
                              "VIRUZEDI_COM3=" + Quoted(device) + " exec " +
                                  Quoted(BinFolder() + "DO_Duri.exe") + " " + Quoted(argument) +
                                  " 2>&1"},
                             true);
}

TEST(DoDuri, LeavesTheReadsInTheReaderFileByItsMode) {
  const std::vector<std::string> twoReads{"--lettura", "A;1", "--lettura", "B;2"};
  const std::string old = "VECCHIO;9\r\n";
  struct Case {
    const char* name;
    std::vector<std::string> reader;
    std::string settings;  // after the file: port,speed,mode,CR,LF,errors,file,window,0,timeout
    std::optional<std::string> before;
    std::optional<std::string> after;  // nullopt: no file left
    std::optional<std::string> setAside = std::nullopt;
    const char* fileName = "letture.txt";
    // With <show file> the reader file is printed; with <show window>, the progress.
    const char* shown = "";
  } cases[] = {
      {"sovrascrivi", twoReads, "3,3,1,1,1,0,1,0,0,1", old, "A;1\r\nB;2\r\n", std::nullopt,
       "letture.txt", "B;2"},
      {"auto", twoReads, "3,1,4,1,1,0,0,0,0,1", old, "A;1\r\nB;2\r\n"},
      {"accoda", twoReads, "3,5,2,1,1,0,0,0,0,1", "VECCHIO;9", "VECCHIO;9\r\nA;1\r\nB;2\r\n"},
      {"accoda-nuovo", twoReads, "3,2,2,1,1,0,0,0,0,1", std::nullopt, "A;1\r\nB;2\r\n"},
      {"rinomina", twoReads, "3,4,3,1,1,0,0,1,0,1", old, "A;1\r\nB;2\r\n", old, "letture.txt",
       "2 letture ricevute"},
      {"sovrascrivi-nulla", {"--silenzio"}, "3,3,1,1,1,0,0,0,0,1", old, std::nullopt},
      {"auto-nulla", {"--silenzio"}, "3,3,4,1,1,0,0,0,0,1", old, std::nullopt},
      {"accoda-nulla", {"--silenzio"}, "3,3,2,1,1,0,0,0,0,1", old, old},
      // An earlier file goes aside even when nothing arrives, so it is never
      // imported as this run's reads.
      {"rinomina-nulla", {"--silenzio"}, "3,3,3,1,1,0,0,0,0,1", old, std::nullopt, old},
      // What the reader ends its lines with does not matter; CR and LF
      // choose the line ends of the file.
      {"fine-cr", {"--lettura", "A;1", "--lettura", "B;2", "--fine", "cr", "--ultima-senza-fine"},
       "3,3,1,1,1,0,0,0,0,1", std::nullopt, "A;1\r\nB;2\r\n"},
      {"solo-lf", {"--lettura", "A;1", "--lettura", "B;2", "--fine", "lf"},
       "3,3,1,0,1,0,0,0,0,1", std::nullopt, "A;1\nB;2\n"},
      {"solo-cr", twoReads, "3,3,1,1,0,0,0,0,0,1", std::nullopt, "A;1\rB;2\r"},
      {"virgola", {"--lettura", "CITTÀ;1"}, "3,3,1,1,1,0,0,0,0,1", std::nullopt,
       "CITT\xC0;1\r\n", std::nullopt, "a,b.txt"},
  };

  // Every case runs at once: each waits one second of silence.
  TemporaryFolder temporary;
  std::vector<std::unique_ptr<Reader>> readers;
  std::vector<std::unique_ptr<ChildProcess>> programs;
  for (const Case& c : cases) {
    std::string folder = temporary / c.name;
    std::filesystem::create_directory(folder);
    std::string file = folder + "/" + c.fileName;
    if (c.before) WriteFile(file, *c.before);
    readers.push_back(std::make_unique<Reader>(c.reader));
    ASSERT_FALSE(readers.back()->device.empty()) << c.name;
    programs.push_back(StartReaderProgram(readers.back()->device, file + "," + c.settings));
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    Outcome outcome = Finish(*programs[i]);
    EXPECT_EQ(outcome.status, 0) << c.name << outcome.output;
    EXPECT_NE(outcome.output.find(c.shown), std::string::npos) << c.name << outcome.output;
    std::string folder = temporary / c.name;
    std::string file = folder + "/" + c.fileName;
    EXPECT_EQ(std::filesystem::exists(file), c.after.has_value()) << c.name;
    if (c.after) {
      EXPECT_EQ(ReadFile(file), *c.after) << c.name;
    }
    // Nothing else is left: no copy written aside, no partial file.
    std::vector<std::string> names = FolderNames(folder);
    EXPECT_EQ(names.size(), (c.after ? 1u : 0u) + (c.setAside ? 1u : 0u)) << c.name;
    if (c.setAside) {
      // letture.txt.yyyymmdd-hhnnss
      ASSERT_FALSE(names.empty()) << c.name;
      const std::string& aside = names.back();
      EXPECT_EQ(aside.size(), std::string("letture.txt.20261206-093015").size()) << aside;
      EXPECT_EQ(ReadFile(folder + "/" + aside), *c.setAside) << c.name;
    }
  }
}

TEST(DoDuri, AnArgumentListItCannotReadEndsItWithoutStaleReads) {
  TemporaryFolder temporary;
  std::string file = temporary / "letture.txt";
  struct Case {
    std::string settings;  // after the file
    bool kept;
  } cases[] = {
      // Without a mode it can read, nothing is touched.
      {"3,3,1,1,1,0,0,0,1", true},  // a setting missing
      {"3,3,5,1,1,0,0,0,0,1", true},
      {"3,3,x,1,1,0,0,0,0,1", true},
      // With one, its rule for "nothing received" holds.
      {"3,9,1,1,1,0,0,0,0,1", false},
      {"3,3,1,si,1,0,0,0,0,1", false},
      {"3,3,2,1,1,0,0,0,0,", true},
  };
  for (const Case& c : cases) {
    WriteFile(file, "VECCHIO;9\r\n");
    Outcome outcome = Finish(*StartReaderProgram("/dev/null", file + "," + c.settings));
    EXPECT_EQ(outcome.status, 2) << c.settings;
    EXPECT_NE(outcome.output.find("DO_Duri:"), std::string::npos) << c.settings;
    EXPECT_EQ(std::filesystem::exists(file), c.kept) << c.settings;
  }
  for (const char* argument : {"", "x", ",3,3,1,1,1,0,0,0,0,1"}) {
    EXPECT_EQ(Finish(*StartReaderProgram("/dev/null", argument)).status, 2) << argument;
  }
}

// Each way the port fails has its own status, so the component can tell
// the operator which one; a stale file is still not left for the reads.
TEST(DoDuri, APortThatCannotBeOpenedHasItsStatusAndLeavesNoStaleReads) {
  TemporaryFolder temporary;
  std::string file = temporary / "letture.txt";
  Reader held({"--silenzio"});
  ASSERT_FALSE(held.device.empty());
  auto holder = SerialDevice::Open(held.device);  // another program has it
  struct Case {
    std::string device;
    const char* settings;
    int status;
    bool kept;
    bool errorShown;
  } cases[] = {{temporary / "nessuna-porta", "3,3,1,1,1,1,0,0,0,1", 3, false, true},
               {temporary / "nessuna-porta", "3,3,4,1,1,0,0,0,0,1", 3, false, false},
               {temporary / "nessuna-porta", "3,3,2,1,1,1,0,0,0,1", 3, true, true},
               {temporary / "nessuna-porta", "0,3,4,1,1,0,0,0,0,1", 3, false, false},
               {held.device, "3,3,1,1,1,1,0,0,0,1", 4, false, true},
               {held.device, "3,3,2,1,1,0,0,0,0,1", 4, true, false}};
  for (const Case& c : cases) {
    WriteFile(file, "VECCHIO;9\r\n");
    Outcome outcome = Finish(*StartReaderProgram(c.device, file + "," + c.settings));
    EXPECT_EQ(outcome.status, c.status) << c.settings;
    EXPECT_EQ(std::filesystem::exists(file), c.kept) << c.settings;
    EXPECT_EQ(outcome.output.find("DO_Duri:") != std::string::npos, c.errorShown)
        << c.settings << outcome.output;
  }
}

// Stopped while it listens, it leaves the reader file as it was in every
// mode: nothing removed, set aside or half appended.
TEST(DoDuri, AStopWhileListeningLeavesTheReaderFileAsItWas) {
  TemporaryFolder temporary;
  for (const char* mode : {"1", "2", "3"}) {
    std::string folder = temporary / (std::string("modo") + mode);
    std::filesystem::create_directory(folder);
    std::string file = folder + "/letture.txt";
    WriteFile(file, "VECCHIO;9");
    Reader reader({"--silenzio"});
    ASSERT_FALSE(reader.device.empty());
    // With <show window> it says when the port is open: it listens from then on.
    auto program = StartReaderProgram(
        reader.device, file + ",3,3," + mode + ",1,1,0,0,1,0,600");
    EXPECT_NE(program->ReadLine(10s).find("aperta"), std::string::npos) << mode;
    program->Terminate();
    EXPECT_EQ(program->Wait(), 128 + 15) << mode;
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"letture.txt"}) << mode;
    EXPECT_EQ(ReadFile(file), "VECCHIO;9") << mode;
  }
}

// A reader that floods the line without a line end after its reads: the
// reads before it are kept, the flood is cut at a bounded length and is a
// failure.
TEST(DoDuri, AFloodWithoutLineEndsKeepsTheReadsBeforeItAndFails) {
  TemporaryFolder temporary;
  std::string file = temporary / "letture.txt";
  Reader reader({"--lettura", "A;1", "--lettura", "B;2", "--inonda"});
  Outcome outcome = Finish(*StartReaderProgram(reader.device, file + ",3,3,1,1,1,1,0,0,0,5"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.output.find("senza fine riga"), std::string::npos) << outcome.output;
  EXPECT_EQ(ReadFile(file), "A;1\r\nB;2\r\n");
}

class ReaderProgramEndToEnd : public ReaderProgramTest {
 protected:
  ReaderProgramEndToEnd() { platform->componentFolder = ""; }  // the built DO_Duri.exe
};

TEST_F(ReaderProgramEndToEnd, LabelsTravelFromTheReaderToTheDatabase) {
  Reader reader({"--gs1"});
  ASSERT_FALSE(reader.device.empty());
  SetEnvironmentValue("VIRUZEDI_COM7", reader.device);
  Viruzedi component(platform);
  component.Scarica_ZidoriVovi(database, readerFile, COM7, B38400, Sovrascrivi, true, true, false,
                               false, false, 1);
  EXPECT_EQ(Rows("SELECT Codart, Data, NColli, Lotto_Codice, SSCC FROM Viruzedi"),
            (std::vector<std::string>{"890|2025-03-15|12|LOT42|380123450000000013",
                                      "234|2026-12-31|4|L-0007|380123450000000020",
                                      "999|2027-01-01|60|L2027-B|380123450000000037"}));
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(ReaderProgramEndToEnd, ASilentReaderGivesTheNoDataMessage) {
  Reader reader({"--silenzio"});
  ASSERT_FALSE(reader.device.empty());
  SetEnvironmentValue("VIRUZEDI_COM8", reader.device);
  WriteFile(readerFile, "VECCHIO;9\r\n");  // from an earlier download
  Viruzedi component(platform);
  component.Scarica2(database, readerFile, COM8, B115200, Sovrascrivi, true, true, false, false,
                     false, 1);
  EXPECT_EQ(platform->boxes,
            (std::vector<ShownBox>{{kNessunDatoRicevuto, kCritical, kTitoloLetturaDati}}));
  EXPECT_TRUE(Rows("SELECT * FROM Viruzedi").empty());
}

// Ctrl-C while the reader program listens: the program is ended and waited
// for, so the port is free when the call returns and no file comes later.
TEST_F(ReaderProgramEndToEnd, AStopEndsTheReaderProgramAndFreesThePort) {
  Reader reader({"--silenzio"});
  ASSERT_FALSE(reader.device.empty());
  SetEnvironmentValue("VIRUZEDI_COM9", reader.device);
  WriteFile(readerFile, "VECCHIO;9\r\n");
  platform->stopAfterChecks = 3;
  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] {
              component.Scarica2(database, readerFile, 9, B115200, Sovrascrivi, true, true,
                                 false, false, false, 600);
            }),
            kUserInterrupt);
  EXPECT_TRUE(component.LastOutcome().Interrupted());
  EXPECT_NE(SerialDevice::Open(reader.device), nullptr);  // no one holds it
  EXPECT_EQ(ReadFile(readerFile), "VECCHIO;9\r\n");
  EXPECT_TRUE(Rows("SELECT * FROM Viruzedi").empty());
  EXPECT_TRUE(platform->boxes.empty());
}

// A port that cannot be opened was today's "no data": the clerk must learn
// that the reader was not emptied.
TEST_F(ReaderProgramEndToEnd, APortThatCannotBeOpenedIsNoNoDataMessage) {
  SetEnvironmentValue("VIRUZEDI_COM10", temporary / "nessuna-porta");
  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] { component.Scarica2(database, readerFile, 10); }),
            kInvalidPortNumber);
  EXPECT_TRUE(platform->boxes.empty());
}

}  // namespace
}  // namespace viruzedi::testing
