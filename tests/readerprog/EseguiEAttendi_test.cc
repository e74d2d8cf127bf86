// Running the reader program: real child processes (shell scripts in the
// role of the reader program), the component's own folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "operation/Messages.h"
#include "platform/ProcessRunner.h"
#include "tests/readerprog/ReaderProgramFixture.h"

namespace viruzedi::testing {
namespace {

// Notes each argument on a line of its own beside itself, waits a little
// (the import must wait for it), then writes the reader file named before
// the first comma.
const char kRecordingProgram[] =
    "folder=$(dirname \"$0\")\n"
    "printf '%s\\n' \"$@\" > \"$folder/argomenti\"\n"
    "sleep 0.2\n"
    "printf 'A1;5\\r\\nB2;7;3\\r\\n' > \"${1%%,*}\"\n";

class EseguiEAttendiTest : public ReaderProgramTest {};

TEST_F(EseguiEAttendiTest, TheImportRunsTheProgramWithItsCommandLineAndWaitsForIt) {
  // Spaces in the component's folder and in the reader file's path.
  std::string folder = temporary / "Lettori Magazzino/";
  std::filesystem::create_directory(folder);
  PutReaderProgram(folder, kRecordingProgram);
  platform->componentFolder = folder;
  std::string spacedFile = temporary / "le letture.txt";

  Viruzedi component(platform);
  component.Scarica2(database, spacedFile, 12, B38400, Accoda, false, true, true, false, true, -1);

  EXPECT_EQ(ReadFile(folder + "argomenti"), spacedFile + ",12,3,2,0,1,1,0,1,0,-1\n");
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, Quantità FROM Viruzedi"),
            (std::vector<std::string>{"A1|0|5.0", "B2|3|7.0"}));
  EXPECT_TRUE(platform->boxes.empty());
}

// A program that cannot start is no reader that sent nothing: the import
// names the program and shows no no-data message.
TEST_F(EseguiEAttendiTest, AProgramThatCannotStartIsReportedAsMissing) {
  Viruzedi component(platform);
  for (const std::string& commandLine :
       {temporary / "nessuno/DO_Duri.exe a,1", std::string(""), std::string("   ")}) {
    EXPECT_FALSE(ViruzediInternals::EseguiEAttendi(component, commandLine).started)
        << commandLine;
  }
  // A file that is there but cannot be run is no different.
  WriteFile(componentFolder + "DO_Duri.exe", "not a program");
  EXPECT_EQ(ErrorOf([&] { component.Scarica_ZidoriVovi(database, readerFile); }), kFileNotFound);
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(EseguiEAttendiTest, AShowStateBeyondSixteenBitsIsOverflowBeforeAnythingStarts) {
  PutReaderProgram(componentFolder, "touch \"$(dirname \"$0\")/partito\"\n");
  std::string commandLine = componentFolder + "DO_Duri.exe";
  Viruzedi component(platform);
  for (int32_t showState : {32768, -32769, 2147483647}) {
    EXPECT_EQ(ErrorOf([&] {
                ViruzediInternals::EseguiEAttendi(component, commandLine, showState);
              }),
              kOverflow)
        << showState;
  }
  EXPECT_FALSE(std::filesystem::exists(componentFolder + "partito"));
  for (int32_t showState : {-32768, 32767}) {
    ViruzediInternals::EseguiEAttendi(component, commandLine, showState);
  }
  EXPECT_TRUE(std::filesystem::exists(componentFolder + "partito"));
}

TEST_F(EseguiEAttendiTest, TheProgramsEndIsToldAsItsStatusOrSignal) {
  Viruzedi component(platform);
  PutReaderProgram(componentFolder, "exit 3\n");
  ProcessExit exit = ViruzediInternals::EseguiEAttendi(component, componentFolder + "DO_Duri.exe x");
  EXPECT_TRUE(exit.started);
  EXPECT_EQ(exit.exitCode, 3);
  EXPECT_EQ(exit.signal, 0);
  PutReaderProgram(componentFolder, "kill -9 $$\n");
  exit = ViruzediInternals::EseguiEAttendi(component, componentFolder + "DO_Duri.exe x");
  EXPECT_EQ(exit.signal, 9);
  EXPECT_FALSE(exit.stopped);
  EXPECT_TRUE(platform->boxes.empty());
}

// Asked to stop, the wait ends a program that would run for ten minutes
// and has reaped it when it returns.
TEST_F(EseguiEAttendiTest, AStopRequestEndsTheProgramAndItsWait) {
  PutReaderProgram(componentFolder, "exec sleep 600\n");
  platform->stopAfterChecks = 1;
  Viruzedi component(platform);
  ProcessExit exit =
      ViruzediInternals::EseguiEAttendi(component, componentFolder + "DO_Duri.exe x");
  EXPECT_TRUE(exit.stopped);
  EXPECT_EQ(exit.signal, 15);
}

// The file that holds the component's code is this test program, which
// carries it as the command line does (the library holds the same code).
TEST(PercorsoApp, IsTheFolderOfTheFileThatHoldsTheComponentsCode) {
  Viruzedi component(DefaultPlatform());
  std::string folder = ViruzediInternals::PercorsoApp(component);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(folder, program.parent_path().string() + "/");
  EXPECT_TRUE(std::filesystem::exists(folder + "DO_Duri.exe")) << folder;
}

TEST(PercorsoApp, AddsTheSeparatorOnlyWhenTheFolderLacksIt) {
  auto platform = std::make_shared<TestPlatform>();
  Viruzedi component(platform);
  platform->componentFolder = "/opt/viruzedi";
  EXPECT_EQ(ViruzediInternals::PercorsoApp(component), "/opt/viruzedi/");
  platform->componentFolder = "/";
  EXPECT_EQ(ViruzediInternals::PercorsoApp(component), "/");
}

}  // namespace
}  // namespace viruzedi::testing
