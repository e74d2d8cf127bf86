// The serial terminal link over each system's serial device, with this test
// playing the terminal at the far end of the line (tests/support/
// SerialLine.h): a read that ends at its deadline is a quiet line, never a
// line gone, so a terminal that answers a second after its request (as rz
// and sz often do) is waited for both ways.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

#include "base/Errors.h"
#include "platform/ByteChannel.h"
#include "platform/SerialDevice.h"
#include "platform/SerialTerminalLink.h"
#include "platform/SlicedRead.h"
#include "platform/TerminalLink.h"
#include "platform/Ymodem.h"
#include "tests/support/SerialLine.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The far end of the line as a YMODEM peer.
class FarEnd : public ByteChannel {
 public:
  FarEnd(testing::SerialLine& line, Platform& platform) : line_(line), platform_(platform) {}
  MonotonicTime Now() override { return platform_.Now(); }
  void Write(std::string_view bytes) override { line_.Write(bytes); }

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override {
    return ReadInSlices(line_, platform_, deadline, [] { return false; });
  }

 private:
  testing::SerialLine& line_;
  Platform& platform_;
};

// A terminal that answers one request a second late, on a thread of its
// own; what went wrong on its side, if anything, once joined.
class LateTerminal {
 public:
  LateTerminal(testing::SerialLine& line, Platform& platform,
               std::function<void(ByteChannel&, const std::string& request)> answer)
      : thread_([this, &line, &platform, answer] {
          try {
            FarEnd channel(line, platform);
            const std::string request = ReadRequest(channel);
            std::this_thread::sleep_for(1s);
            answer(channel, request);
          } catch (const std::exception& failure) {
            failure_ = failure.what();
          }
        }) {}
  ~LateTerminal() {
    if (thread_.joinable()) thread_.join();
  }
  std::string Join() {
    thread_.join();
    return failure_;
  }

 private:
  static std::string ReadRequest(ByteChannel& channel) {
    std::string line;
    const MonotonicTime deadline = channel.Now() + 10s;
    while (line.find('\r') == std::string::npos) {
      std::string bytes = channel.Read(deadline);
      if (bytes.empty()) throw std::runtime_error("no request: '" + line + "'");
      line += bytes;
    }
    channel.PutBack(line.substr(line.find('\r') + 1));
    return line.substr(0, line.find('\r'));
  }

  std::string failure_;
  std::thread thread_;
};

class SerialTerminalLinkContract : public ::testing::Test {
 protected:
  void SetUp() override {
    line = testing::OpenSerialLine();
    ASSERT_NE(line, nullptr);
  }

  testing::TestPlatform platform;
  std::unique_ptr<testing::SerialLine> line;
  testing::TemporaryFolder here;
};

TEST_F(SerialTerminalLinkContract, AReadThatEndsAtItsDeadlineIsAQuietLineNotAHangUp) {
  auto device = SerialDevice::Open(line->Device());
  device->Configure(ParseLineSettings("38400,n,8,1"));
  EXPECT_EQ(device->Read(Clock::now() + 300ms), "");
  EXPECT_FALSE(device->HungUp());
  EXPECT_FALSE(device->WaitReadable(Clock::now() + 300ms));
  EXPECT_FALSE(device->HungUp());
  // And the line still carries what comes next.
  line->Write("C");
  EXPECT_EQ(device->Read(Clock::now() + 2s), "C");
  EXPECT_FALSE(device->HungUp());
}

TEST_F(SerialTerminalLinkContract, ATerminalThatAnswersASecondLateIsWaitedForBothWays) {
  const std::string sent = "A1$1;2;20261206;3\r\nB2$4;5,5;20261207;6\r\n";
  auto link = MakeSerialTerminalLink(line->Device() + ",38400", platform);
  // The terminal's own waits are short, so that a link that gave up on it
  // does not keep the test waiting for its retries.
  YmodemTiming timing;
  timing.handshakeInterval = 1s;
  timing.handshakeTries = 3;
  timing.replyTimeout = 3s;
  std::string request;
  LateTerminal sender(*line, platform, [&](ByteChannel& channel, const std::string& asked) {
    request = asked;
    YmodemSendFile(channel, timing, {"1.txt", sent.size(), 0}, sent);
  });
  link->RiceviFile(here / "MovMag.tmp", 1);
  EXPECT_EQ(sender.Join(), "");
  EXPECT_EQ(request, "RICEVI 1");
  EXPECT_EQ(testing::ReadFile(here / "MovMag.tmp"), sent);

  const std::string upload = "U;1;Rossi\r\n";
  testing::WriteFile(here / "file_up.tmp", upload);
  std::optional<YmodemFileInfo> announced;
  LateTerminal receiver(*line, platform, [&](ByteChannel& channel, const std::string& asked) {
    request = asked;
    announced = YmodemReceiveFile(channel, timing, [&](const YmodemFileInfo&) {
      return here / "ricevuto.tmp";
    });
  });
  link->InviaFile(here / "file_up.tmp");
  EXPECT_EQ(receiver.Join(), "");
  EXPECT_EQ(request, "INVIA");
  ASSERT_TRUE(announced);
  EXPECT_EQ(announced->name, "file_up.tmp");
  EXPECT_EQ(testing::ReadFile(here / "ricevuto.tmp"), upload);
}

}  // namespace
}  // namespace viruzedi
