// The YMODEM engine against the sz and rz programs of lrzsz, which run on
// the device side of a pseudo-terminal while the engine talks on the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "platform/ByteChannel.h"
#include "platform/ChildProcess.h"
#include "platform/PseudoTerminal.h"
#include "platform/PseudoTerminalChannel.h"
#include "platform/Ymodem.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::TestPlatform;
using testing::WriteFile;

// sz and rz speak on their standard input and output. sz sends 128-byte
// blocks unless told -k.
std::unique_ptr<ChildProcess> StartSz(const std::string& file, const std::string& device,
                                      bool longBlocks = true) {
  std::string command = std::string("exec sz --ymodem ") + (longBlocks ? "-k " : "") +
                        "-q \"$1\" <\"$2\" >\"$2\" 2>/dev/null";
  return ChildProcess::Start({"sh", "-c", command, "sh", file, device}, false);
}

// rz asks again after a second without an answer (-t 10), not ten.
std::unique_ptr<ChildProcess> StartRz(const std::string& folder, const std::string& device) {
  return ChildProcess::Start(
      {"sh", "-c", "cd \"$1\" && exec rz --ymodem -q -y -t 10 <\"$2\" >\"$2\" 2>/dev/null",
       "sh", folder, device},
      false);
}

// The line between the engine and the program. On a pseudo-terminal bytes
// arrive the instant they are written, which no serial line does; and rz
// clears its input right after each reply it writes, so an answer quicker
// than a real line could carry it would be cleared with it. Each write here
// waits a little first, as a line's delay would. (On a machine short of
// processor time a block may still be cleared; rz then asks for it again,
// see ForRz.) Noise on demand: one byte spoiled in each direction at the
// given positions (from 1; 0 for none).
class TestLine : public ByteChannel {
 public:
  explicit TestLine(PseudoTerminal& pty, Platform& platform, uint64_t spoilIn = 0,
                    uint64_t spoilOut = 0)
      : line_(pty, platform), spoilIn_(spoilIn), spoilOut_(spoilOut) {}
  // Whether a byte was spoiled: the bytes then arrived whole only because
  // the spoiled block was sent again.
  bool spoiled = false;

  MonotonicTime Now() override { return line_.Now(); }
  void Write(std::string_view bytes) override {
    std::this_thread::sleep_for(1ms);
    std::string out(bytes);
    Spoil(out, spoilOut_, written_);
    line_.Write(out);
  }

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override {
    std::string bytes = line_.Read(deadline);
    Spoil(bytes, spoilIn_, read_);
    return bytes;
  }

 private:
  void Spoil(std::string& bytes, uint64_t position, uint64_t& count) {
    if (position > count && position <= count + bytes.size()) {
      bytes[position - count - 1] ^= 0x21;
      spoiled = true;
    }
    count += bytes.size();
  }
  PseudoTerminalChannel line_;
  uint64_t spoilIn_, spoilOut_;
  uint64_t read_ = 0, written_ = 0;
};

std::string RandomBytes(size_t size) {
  std::mt19937 generator(static_cast<unsigned>(size));
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

YmodemTiming Quick() {
  YmodemTiming timing;
  timing.quietTime = 100ms;  // the rest of a spoiled block comes at once here
  return timing;
}

// Waits that cover rz's second: a block that rz cleared is asked for again
// before we would send it again, and the closing block too (which else
// would leave rz waiting for it). rz's last reply is mostly lost as it
// exits, so the closing wait is spent on most transfers.
YmodemTiming ForRz() {
  YmodemTiming timing = Quick();
  timing.replyTimeout = 3s;
  timing.closingTimeout = 1500ms;
  return timing;
}

const size_t kSizes[] = {0, 1, 1024, 1025, 1 << 20};

TEST(YmodemWithLrzsz, ReceivesWhatSzSendsByteForByte) {
  TestPlatform platform;
  TemporaryFolder folder;
  auto pty = PseudoTerminal::Open();
  TestLine line(*pty, platform);
  struct Case {
    size_t size;
    bool longBlocks;
  };
  std::vector<Case> cases;
  for (size_t size : kSizes) cases.push_back({size, true});
  cases.push_back({3000, false});
  for (const Case& c : cases) {
    std::string contents = RandomBytes(c.size);
    WriteFile(folder / "sent.bin", contents);
    auto sz = StartSz(folder / "sent.bin", pty->SlavePath(), c.longBlocks);
    auto info = YmodemReceiveFile(line, Quick(), [&](const YmodemFileInfo& announced) {
      EXPECT_EQ(announced.name, "sent.bin");
      EXPECT_EQ(announced.size, c.size);
      return folder / "received.bin";
    });
    EXPECT_EQ(sz->Wait(), 0) << c.size;
    ASSERT_TRUE(info) << c.size;
    EXPECT_EQ(ReadFile(folder / "received.bin"), contents) << c.size;
    std::filesystem::remove(folder / "received.bin");
  }
}

// rz takes a second at its start and two at the file's end whatever the
// line does (and we a little more, see ForRz), so the cases go side by
// side, each on its own line. The last
// one spoils a byte inside the second data block: rz refuses the block and
// gets it again.
TEST(YmodemWithLrzsz, SendsWhatRzReceivesByteForByte) {
  TestPlatform platform;
  TemporaryFolder folder;
  struct Case {
    size_t size;
    uint64_t spoil;
  };
  std::vector<Case> cases;
  for (size_t size : kSizes) cases.push_back({size, 0});
  cases.push_back({5000, 133 + 1029 + 500});
  std::vector<std::thread> transfers;
  for (size_t i = 0; i < cases.size(); ++i) {
    transfers.emplace_back([&platform, &folder, i, c = cases[i]] {
      std::string place = folder / std::to_string(i);
      std::filesystem::create_directory(place);
      std::string contents = RandomBytes(c.size);
      auto pty = PseudoTerminal::Open();
      TestLine line(*pty, platform, 0, c.spoil);
      auto rz = StartRz(place, pty->SlavePath());
      EXPECT_NO_THROW(YmodemSendFile(line, ForRz(), {"file_up.tmp", {}, 1700000000}, contents))
          << c.size;
      EXPECT_EQ(rz->Wait(), 0) << c.size;
      EXPECT_EQ(ReadFile(place + "/file_up.tmp"), contents) << c.size;
      EXPECT_EQ(line.spoiled, c.spoil != 0) << c.size;
      EXPECT_EQ(std::filesystem::last_write_time(place + "/file_up.tmp"),
                std::chrono::file_clock::from_sys(std::chrono::sys_seconds(1700000000s)))
          << c.size;
    });
  }
  for (std::thread& transfer : transfers) transfer.join();
}

TEST(YmodemWithLrzsz, ABlockSpoiledOnTheWayFromSzIsSentAgain) {
  TestPlatform platform;
  TemporaryFolder folder;
  std::string contents = RandomBytes(5000);
  WriteFile(folder / "sent.bin", contents);
  auto pty = PseudoTerminal::Open();
  TestLine noisy(*pty, platform, 700, 0);  // inside the first data block
  auto sz = StartSz(folder / "sent.bin", pty->SlavePath());
  YmodemReceiveFile(noisy, Quick(), [&](const YmodemFileInfo&) {
    return folder / "received.bin";
  });
  EXPECT_EQ(sz->Wait(), 0);
  EXPECT_TRUE(noisy.spoiled);
  EXPECT_EQ(ReadFile(folder / "received.bin"), contents);
}

TEST(YmodemWithLrzsz, TheFileGoesWhereTheReceiverSaysNotWhereTheSenderNamesIt) {
  TestPlatform platform;
  TemporaryFolder folder;
  auto pty = PseudoTerminal::Open();
  TestLine line(*pty, platform);
  std::filesystem::create_directory(folder / "sub");
  WriteFile(folder / "sub/2.txt", "B200$3;7\r\n");
  auto sz = StartSz(folder / "sub/2.txt", pty->SlavePath());
  std::string announced;
  YmodemReceiveFile(line, Quick(), [&](const YmodemFileInfo& info) {
    announced = info.name;
    return folder / "here.txt";
  });
  EXPECT_EQ(sz->Wait(), 0);
  EXPECT_EQ(announced, "2.txt");
  EXPECT_EQ(ReadFile(folder / "here.txt"), "B200$3;7\r\n");
}

TEST(YmodemWithLrzsz, NobodyAnsweringEndsInATimeOutAndNoFile) {
  TestPlatform platform;
  TemporaryFolder folder;
  auto pty = PseudoTerminal::Open();
  TestLine line(*pty, platform);
  YmodemTiming quick;
  quick.handshakeInterval = 50ms;
  quick.handshakeTries = 3;
  try {
    YmodemReceiveFile(line, quick, [&](const YmodemFileInfo&) { return folder / "f"; });
    ADD_FAILURE() << "received from nobody";
  } catch (const YmodemFailure& failure) {
    EXPECT_EQ(failure.reason, YmodemFailure::Reason::kTimedOut);
  }
  try {
    YmodemSendFile(line, quick, {"f", {}, 0}, "data");
    ADD_FAILURE() << "sent to nobody";
  } catch (const YmodemFailure& failure) {
    EXPECT_EQ(failure.reason, YmodemFailure::Reason::kTimedOut);
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace viruzedi
