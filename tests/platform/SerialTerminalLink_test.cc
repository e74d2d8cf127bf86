// The serial terminal link against the terminal simulator, a separate
// program on the other side of a pseudo-terminal.
#include "platform/SerialTerminalLink.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Errors.h"
#include "platform/ChildProcess.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevice.h"
#include "platform/TerminalLink.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using testing::BinFolder;
using testing::FolderNames;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::TestPlatform;
using testing::WriteFile;

// A clock that leaps a minute at every reading: every wait of the link is
// over as soon as it begins, so a silent terminal costs no real time.
class HurriedPlatform : public TestPlatform {
 public:
  MonotonicTime Now() override { return fakeNow += 1min; }
};

struct Terminal {
  TemporaryFolder files;
  std::unique_ptr<ChildProcess> process;
  std::string device;

  explicit Terminal(std::vector<std::string> options = {}) {
    std::vector<std::string> argv{BinFolder() + "terminal-simulator", "--folder", files.path(),
                                  "--trace"};
    argv.insert(argv.end(), options.begin(), options.end());
    process = ChildProcess::Start(argv, true);
    device = process->ReadLine(10s);
  }
  // The terminal's account of the next request, given once it is done with
  // it (its side of a failed transfer cleared away).
  std::string NextEvent() { return process->ReadLine(10s); }
};

std::string Lines(int count, const std::string& seed) {
  std::string text;
  for (int i = 0; i < count; ++i) text += seed + std::to_string(i) + ";2;20261206;3\r\n";
  return text;
}

AutomationError FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const AutomationError& error) {
    return error;
  }
  return AutomationError(0, "");
}

TEST(SerialTerminalLink, FetchesTheNumberedFileWholeOrSaysThereIsNone) {
  Terminal terminal;
  const std::string movements = Lines(150, "X12$");  // a few blocks' worth
  const std::string reconciliation = Lines(3, "A100$");
  WriteFile(terminal.files / "1.txt", movements);
  WriteFile(terminal.files / "2.txt", reconciliation);
  TestPlatform platform;
  TemporaryFolder here;
  auto link = MakeSerialTerminalLink(terminal.device, platform);
  EXPECT_FALSE(link->FlagAlternativo());

  link->RiceviFile(here / "MovMag.tmp", 1);
  EXPECT_EQ(ReadFile(here / "MovMag.tmp"), movements);
  link->RiceviFile(here / "Riconc.tmp", 2);  // what Scarica5 asks for
  EXPECT_EQ(ReadFile(here / "Riconc.tmp"), reconciliation);
  link->RiceviFile(here / "none.tmp", 3);  // the terminal has no file 3
  EXPECT_EQ(FolderNames(here.path()), (std::vector<std::string>{"MovMag.tmp", "Riconc.tmp"}));
  EXPECT_EQ(terminal.NextEvent(), "RICEVI 1: sent 1.txt (" + std::to_string(movements.size()) +
                                      " bytes)");
  EXPECT_EQ(terminal.NextEvent(), "RICEVI 2: sent 2.txt (" +
                                      std::to_string(reconciliation.size()) + " bytes)");
  EXPECT_EQ(terminal.NextEvent(), "RICEVI 3: no 3.txt: empty batch");
}

TEST(SerialTerminalLink, SendsAFileUnderItsOwnNameAndRefusesAMissingOne) {
  Terminal terminal;
  TestPlatform platform;
  TemporaryFolder here;
  const std::string upload = Lines(40, "U;");
  WriteFile(here / "file_up.tmp", upload);
  auto link = MakeSerialTerminalLink(terminal.device + ",115200", platform);
  link->InviaFile(here / "file_up.tmp");
  EXPECT_EQ(ReadFile(terminal.files / "file_up.tmp"), upload);
  // The file stays.
  EXPECT_EQ(FolderNames(here.path()), (std::vector<std::string>{"file_up.tmp"}));

  AutomationError missing = FailureOf([&] { link->InviaFile(here / "nothing.tmp"); });
  EXPECT_EQ(missing.number, kFileNotFound);
  EXPECT_EQ(FolderNames(terminal.files.path()), (std::vector<std::string>{"file_up.tmp"}));
}

TEST(SerialTerminalLink, SurvivesLineNoiseAndASlowTerminal) {
  const std::string contents = Lines(120, "B'200$");
  for (std::vector<std::string> options :
       {std::vector<std::string>{"--corrupt", "500"},
        std::vector<std::string>{"--piece", "200", "--delay", "2"}}) {
    Terminal terminal(options);
    WriteFile(terminal.files / "1.txt", contents);
    TestPlatform platform;
    TemporaryFolder here;
    WriteFile(here / "file_up.tmp", contents);
    auto link = MakeSerialTerminalLink(terminal.device, platform);
    link->RiceviFile(here / "down.tmp", 1);
    EXPECT_EQ(ReadFile(here / "down.tmp"), contents) << options[0];
    link->InviaFile(here / "file_up.tmp");
    EXPECT_EQ(ReadFile(terminal.files / "file_up.tmp"), contents) << options[0];
  }
}

TEST(SerialTerminalLink, ACancelOrASilentTerminalLeavesNoFile) {
  struct Case {
    const char* what;
    std::vector<std::string> options;
    const char* text;
  } cases[] = {
      // The terminal's fourth write: the third data block it sends, or its
      // acknowledgement of the first data block it receives.
      {"cancel", {"--cancel-at", "4"}, "Trasferimento annullato dal terminale"},
      {"silence", {"--silent"}, "Il terminale non risponde: tempo scaduto"},
  };
  for (const Case& c : cases) {
    Terminal terminal(c.options);
    WriteFile(terminal.files / "1.txt", Lines(150, "X12$"));
    HurriedPlatform hurried;
    TestPlatform normal;
    Platform& platform = c.options[0] == "--silent" ? static_cast<Platform&>(hurried) : normal;
    TemporaryFolder here;
    WriteFile(here / "file_up.tmp", Lines(150, "U;"));
    auto link = MakeSerialTerminalLink(terminal.device, platform);

    AutomationError download = FailureOf([&] { link->RiceviFile(here / "down.tmp", 1); });
    EXPECT_EQ(download.number, kDeviceIoError) << c.what;
    EXPECT_EQ(download.description, std::string(c.text) + " (" + terminal.device + ").");
    EXPECT_EQ(FolderNames(here.path()), (std::vector<std::string>{"file_up.tmp"})) << c.what;
    EXPECT_NE(terminal.NextEvent().find("RICEVI 1: "), std::string::npos);

    AutomationError upload = FailureOf([&] { link->InviaFile(here / "file_up.tmp"); });
    EXPECT_EQ(upload.number, kDeviceIoError) << c.what;
    EXPECT_EQ(upload.description, std::string(c.text) + " (" + terminal.device + ").");
    EXPECT_NE(terminal.NextEvent().find("INVIA: "), std::string::npos);
    EXPECT_EQ(FolderNames(terminal.files.path()), (std::vector<std::string>{"1.txt"})) << c.what;
  }
}

// The terminal taken off its line in the middle of a transfer: the link
// says so at once instead of waiting out every retry, leaves no file, and
// lets go of the device.
TEST(SerialTerminalLink, ATerminalUnpluggedMidTransferFailsAtOnceAndLeavesNoFile) {
  struct Case {
    const char* what;
    bool download;
  } cases[] = {{"download", true}, {"upload", false}};
  for (const Case& c : cases) {
    // The terminal's third write: its second data block when it sends, its
    // acknowledgement of the first data block when it receives.
    Terminal terminal({"--unplug-at", "3"});
    WriteFile(terminal.files / "1.txt", Lines(150, "X12$"));
    TemporaryFolder here;
    WriteFile(here / "file_up.tmp", Lines(150, "U;"));
    // Real time: waiting out the retries would take minutes.
    TestPlatform platform;
    auto link = MakeSerialTerminalLink(terminal.device, platform);
    AutomationError failure = FailureOf([&] {
      if (c.download) {
        link->RiceviFile(here / "down.tmp", 1);
      } else {
        link->InviaFile(here / "file_up.tmp");
      }
    });
    EXPECT_EQ(failure.number, kDeviceIoError) << c.what;
    EXPECT_EQ(failure.description,
              "Il terminale si è scollegato durante il trasferimento (" + terminal.device + ").")
        << c.what;
    EXPECT_EQ(FolderNames(here.path()), (std::vector<std::string>{"file_up.tmp"})) << c.what;
    EXPECT_EQ(FolderNames(terminal.files.path()), (std::vector<std::string>{"1.txt"})) << c.what;
    EXPECT_NE(terminal.NextEvent().find(": unplugged"), std::string::npos) << c.what;
  }
}

// Ctrl-C during a long receive: the link stops between two blocks, the
// terminal is told, and neither the partial file nor the name is touched.
TEST(SerialTerminalLink, AStopRequestEndsAReceiveBetweenBlocksAndLeavesNothing) {
  Terminal terminal;
  WriteFile(terminal.files / "1.txt", Lines(150, "X12$"));
  TestPlatform platform;
  platform.stopAfterChecks = 2;  // the third block
  TemporaryFolder here;
  WriteFile(here / "down.tmp", "");  // the caller's reservation
  auto link = MakeSerialTerminalLink(terminal.device, platform);

  EXPECT_EQ(FailureOf([&] { link->RiceviFile(here / "down.tmp", 1); }).number, kUserInterrupt);

  EXPECT_EQ(platform.stopChecks, 3);
  EXPECT_EQ(FolderNames(here.path()), std::vector<std::string>{"down.tmp"});
  EXPECT_EQ(ReadFile(here / "down.tmp"), "");
  EXPECT_NE(terminal.NextEvent().find("RICEVI 1: "), std::string::npos);
  EXPECT_EQ(FolderNames(terminal.files.path()), std::vector<std::string>{"1.txt"});
}

TEST(SerialTerminalLink, ReportsADeviceItCannotUse) {
  TestPlatform platform;
  TemporaryFolder here;
  auto pty = PseudoTerminal::Open();
  struct Case {
    std::string setting;
    int32_t number;
  } cases[] = {
      {"/dev/no-such-terminal", kInvalidPortNumber},
      {pty->SlavePath() + ",12345", kSettingsNotApplied},
      {pty->SlavePath() + ",fast", kSettingsNotApplied},
      {",115200", kSettingsNotApplied},
  };
  for (const Case& c : cases) {
    auto link = MakeSerialTerminalLink(c.setting, platform);
    EXPECT_EQ(FailureOf([&] { link->RiceviFile(here / "f", 1); }).number, c.number) << c.setting;
    EXPECT_EQ(FailureOf([&] { link->InviaFile(BinFolder() + "terminal-simulator"); }).number,
              c.number)
        << c.setting;
  }
  auto holder = SerialDevice::Open(pty->SlavePath());
  auto link = MakeSerialTerminalLink(pty->SlavePath(), platform);
  EXPECT_EQ(FailureOf([&] { link->RiceviFile(here / "f", 1); }).number, kPortAlreadyOpen);
  EXPECT_TRUE(std::filesystem::is_empty(here.path()));
}

TEST(SerialTerminalLink, IsTheLinkThatASerialSettingNames) {
  Terminal terminal;
  WriteFile(terminal.files / "1.txt", "X12$5;2;20261206;3\r\n");
  TestPlatform platform;
  TemporaryFolder here;
  auto link = MakeTerminalLink("serial:" + terminal.device + ",115200", platform);
  ASSERT_FALSE(link->FlagAlternativo());
  link->RiceviFile(here / "f.tmp", 1);
  EXPECT_EQ(ReadFile(here / "f.tmp"), "X12$5;2;20261206;3\r\n");
}

}  // namespace
}  // namespace viruzedi
