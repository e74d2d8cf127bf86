// `viruzedi scarica2` and `viruzedi scarica-zidorivovi` as a user runs them,
// with the built DO_Duri.exe and, where reads are wanted, the simulated reader.
#include <gtest/gtest.h>

#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using testing::BinFolder;
using testing::TemporaryFolder;

using testing::RunViruzedi;
using Outcome = testing::CommandOutcome;

class ReaderProgramCommands : public ::testing::Test {
 protected:
  ReaderProgramCommands() {
    EXPECT_EQ(RunViruzedi("init-db '" + database + "'").status, 0);
  }
  TemporaryFolder folder;
  std::string database = folder / "magazzino.db";
  std::string readerFile = folder / "letture.txt";
  std::string files = " '" + database + "' '" + readerFile + "'";
};

TEST_F(ReaderProgramCommands, OptionsOutsideTheirRangeAreUsageErrors) {
  for (const char* options :
       {"--cr 2", "--timeout 40000", "--mostra-file si", "--baud B1234", "--porta-com 256",
        "--porta-com -1", "--porta-com COM99", "--baud 0", "--baud 6", "--mod-file 0",
        "--mod-file 5"}) {
    EXPECT_EQ(RunViruzedi("scarica2" + files + " " + options).status, 2) << options;
  }
  // Within range, by number or name, the options reach the operation (which
  // then fails: port 255 and COM3 have no device here).
  for (const char* options : {"--porta-com 255", "--porta-com com3 --baud B9600 --mod-file 4"}) {
    Outcome outcome = RunViruzedi("--com 3=/nessuna --com 255=/nessuna scarica2" + files + " " +
                                  options);
    EXPECT_EQ(outcome.status, 1) << options << outcome.output;
  }
  EXPECT_EQ(RunViruzedi("scarica-zidorivovi '" + database + "'").status, 2);
}

TEST_F(ReaderProgramCommands, ReadsOfTheSimulatedReaderBecomeRows) {
  auto reader = ChildProcess::Start({BinFolder() + "reader-simulator", "--gs1"}, true);
  std::string device = reader->ReadLine(10s);
  ASSERT_FALSE(device.empty());
  Outcome outcome = RunViruzedi("--com 4=" + device + " scarica-zidorivovi" + files +
                        " --porta-com COM4 --baud B38400 --timeout 1");
  EXPECT_EQ(outcome.status, 0) << outcome.output;
  Outcome shown = RunViruzedi("mostra --db '" + database + "'");
  EXPECT_NE(shown.output.find("Viruzedi: 3 rows"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("LOT42"), std::string::npos) << shown.output;
}

// A label set aside is counted on the command line, beside the rows stored.
TEST_F(ReaderProgramCommands, TheLabelsSetAsideAreCounted) {
  const std::string letture = folder / "_Letture";
  testing::WriteFile(readerFile,
                     "(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013\r\n"
                     "(02)08012345678907(37)12(15)251315(10)LOT42;380123450000000020\r\n"
                     "(02)08012345678908(37)12(15)250315(10)LOT42;380123450000000037\r\n");
  Outcome outcome = RunViruzedi("--letture '" + letture + "' importa '" + readerFile +
                                "' --formato scarica-zidorivovi --db '" + database + "'");
  EXPECT_EQ(outcome.status, 0) << outcome.output;
  EXPECT_NE(outcome.output.find("viruzedi: 2 etichette messe da parte in " + letture +
                                "/Etichette_scartate.txt\n"),
            std::string::npos)
      << outcome.output;
  EXPECT_NE(outcome.output.find("Motivo: (15): data impossibile 251315"), std::string::npos)
      << outcome.output;
}

// `viruzedi gs1` shows a label's elements, or why the import would refuse it.
TEST(Gs1Command, ShowsTheElementsOrTheReason) {
  struct Case {
    std::string label;
    int status;
    std::string output;
  } cases[] = {
      // GS written as printf's octal 035.
      {"\"$(printf ']C102080123456123453712\\03510L-0007\\03515261200')\"", 0,
       "(02) 08012345612345\n(37) 12\n(10) L-0007\n(15) 261200\n"},
      {"'^02080123456123453712^10L-0007^15261200'", 0,
       "(02) 08012345612345\n(37) 12\n(10) L-0007\n(15) 261200\n"},
      {"'https://id.example.com/01/8012345000012?10=A%2F1'", 1,
       "(01) 08012345000012\n(10) A/1\nviruzedi: errore 5: l'importazione scarterebbe "
       "l'etichetta: manca (02)\n"},
      {"'(02)08012345612342'", 1,
       "viruzedi: errore 5: l'importazione scarterebbe l'etichetta: (02): cifra di controllo 2 "
       "errata, attesa 5\n"},
  };
  for (const Case& c : cases) {
    Outcome outcome = RunViruzedi("gs1 " + c.label);
    EXPECT_EQ(outcome.status, c.status) << c.label;
    // The output as read ends in an empty line of its own.
    EXPECT_EQ(outcome.output, c.output + "\n") << c.label;
  }
}

TEST_F(ReaderProgramCommands, NoDataIsNoFailureAndAPortWithoutDeviceIs) {
  testing::WriteFile(readerFile, "A1;5\r\n");
  auto reader = ChildProcess::Start({BinFolder() + "reader-simulator", "--silenzio"}, true);
  std::string device = reader->ReadLine(10s);
  ASSERT_FALSE(device.empty());
  // The reader answers nothing: in the default mode the earlier file goes.
  Outcome nothing =
      RunViruzedi("--com 4=" + device + " scarica2" + files + " --porta-com 4 --timeout 1");
  EXPECT_EQ(nothing.status, 0);
  EXPECT_NE(nothing.output.find("[Lettura dati...] Non dato è stato ricevuto dal lettore con "
                                "viruzedi."),
            std::string::npos)
      << nothing.output;

  // Port 0 has no device: the reader was not emptied, and the operator is
  // told so instead of "no data".
  Outcome failed = RunViruzedi("scarica2" + files + " --porta-com 0");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.output.find("8002"), std::string::npos) << failed.output;
  EXPECT_EQ(failed.output.find("Non dato"), std::string::npos) << failed.output;

  // A database that is not there fails before the reader program runs.
  Outcome noDatabase = RunViruzedi("scarica2 '" + folder / "nessuno.db" + "' '" + readerFile +
                                   "' --porta-com 0 --mod-file Accoda");
  EXPECT_EQ(noDatabase.status, 1);
  EXPECT_NE(noDatabase.output.find("3024"), std::string::npos) << noDatabase.output;
}

}  // namespace
}  // namespace viruzedi
