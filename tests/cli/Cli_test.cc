// The command as a user runs it: a real child process, its output and its
// exit status.
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

TEST(Cli, HelpExplainsEveryCommandAndUsageErrorsExitWithTwo) {
  Outcome help = RunViruzedi("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"init-db", "demo", "mostra"}) {
    EXPECT_NE(help.output.find(command), std::string::npos) << command;
  }
  EXPECT_EQ(RunViruzedi("").status, 2);
  EXPECT_EQ(RunViruzedi("no-such-command").status, 2);
  EXPECT_EQ(RunViruzedi("init-db").status, 2);
  Outcome badPort = RunViruzedi("--com ttyUSB0 mostra --db x");
  EXPECT_EQ(badPort.status, 2);
  EXPECT_NE(badPort.output.find("N=DEVICE"), std::string::npos);
}

TEST(Cli, InitDbCreatesADatabaseOnceAndNeverReplacesOne) {
  TemporaryFolder folder;
  std::string database = folder / "magazzino.db";
  EXPECT_EQ(RunViruzedi("init-db '" + database + "'").status, 0);
  Outcome shown = RunViruzedi("mostra --db '" + database + "'");
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.output.find("Viruzedi_RimesseOF"), std::string::npos);

  Outcome again = RunViruzedi("init-db '" + database + "'");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("errore 58"), std::string::npos) << again.output;

  Outcome missing = RunViruzedi("mostra --db '" + folder / "missing.db" + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("3024"), std::string::npos) << missing.output;
}

}  // namespace
}  // namespace viruzedi
