// Two real viruzedi processes emptying terminals into one download folder
// at the same moment, round after round: every read stored exactly once,
// no file left waiting, lost or half-claimed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"
#include "tests/terminal/TerminalFixture.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kRounds = 50;

class ConcurrentDownloadsTest : public TerminalTest {
 protected:
  std::unique_ptr<ChildProcess> StartDownload(const std::string& terminalSetting) {
    return ChildProcess::Start(
        {"/bin/sh", "-c",
         "exec " + ShellQuoted(BinFolder() + "viruzedi") + " --letture " + ShellQuoted(letture) +
             " --terminale " + ShellQuoted(terminalSetting) + " scarica4 --db " +
             ShellQuoted(database) + " 2>&1"},
        true);
  }

  // Both downloads of a round, started together and waited for.
  void RunRound(const std::string& first, const std::string& second) {
    auto a = StartDownload(first);
    auto b = StartDownload(second);
    CommandOutcome outcomeA = Finish(*a);
    CommandOutcome outcomeB = Finish(*b);
    EXPECT_EQ(outcomeA.status, 0) << outcomeA.output;
    EXPECT_EQ(outcomeB.status, 0) << outcomeB.output;
  }

  // Every name of the download folder is an archive: nothing waits.
  void ExpectOnlyArchives(size_t count) {
    std::vector<std::string> names = FolderNames(letture);
    EXPECT_EQ(names.size(), count);
    for (const std::string& name : names) {
      EXPECT_TRUE(name.size() > 4 && name.compare(name.size() - 4, 4, ".TMP") == 0) << name;
    }
  }

  std::vector<std::string> Codes() const {
    return Rows("SELECT Codart FROM Viruzedi ORDER BY Codart");
  }
};

// Codes that sort as the rounds go.
std::string Code(const std::string& side, int round) {
  std::string number = std::to_string(round);
  return side + std::string(3 - std::min<size_t>(3, number.size()), '0') + number;
}

TEST_F(ConcurrentDownloadsTest, OneTerminalFolderTwoDownloadsEachFileOnce) {
  std::vector<std::string> expected;
  for (int round = 0; round < kRounds; ++round) {
    const std::string code = Code("R", round);
    PutTerminalFile(1, {code + "$1;1;20261206;1", code + "$2;2;20261206;2"});
    RunRound("dir:" + terminale, "dir:" + terminale);
    expected.push_back(code);
    expected.push_back(code);
    ASSERT_TRUE(FolderNames(terminale).empty()) << "round " << round;
  }
  EXPECT_EQ(Codes(), expected);
  ExpectOnlyArchives(kRounds);
}

struct SimulatedTerminal {
  TemporaryFolder files;
  std::unique_ptr<ChildProcess> process;
  std::string device;
  SimulatedTerminal() {
    process = ChildProcess::Start(
        {BinFolder() + "terminal-simulator", "--folder", files.path()}, true);
    device = process->ReadLine(10s);
  }
};

TEST_F(ConcurrentDownloadsTest, TwoSerialTerminalsIntoOneFolderEachFileOnce) {
  SimulatedTerminal left, right;
  ASSERT_FALSE(left.device.empty());
  ASSERT_FALSE(right.device.empty());
  std::vector<std::string> expected;
  for (int round = 0; round < kRounds; ++round) {
    WriteFile(left.files / "1.txt", Code("L", round) + "$1;1;20261206;1\r\n");
    WriteFile(right.files / "1.txt", Code("S", round) + "$1;1;20261206;1\r\n");
    RunRound("serial:" + left.device, "serial:" + right.device);
    expected.push_back(Code("L", round));
    expected.push_back(Code("S", round));
    // The simulated terminal keeps what it sent; the next round sends anew.
    std::filesystem::remove(left.files / "1.txt");
    std::filesystem::remove(right.files / "1.txt");
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Codes(), expected);
  ExpectOnlyArchives(2 * kRounds);
}

}  // namespace
}  // namespace viruzedi::testing
