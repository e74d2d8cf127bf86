// What the serial-port control does on every platform, over each system's
// serial device: on Linux against a pseudo-terminal, on Windows under Wine
// against the far port of a null-modem cable (tests/support/SerialLine.h).
// What one system alone does is tested beside it (LinuxSerialPort_test.cc).
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/Errors.h"
#include "platform/SerialDevice.h"
#include "platform/SerialPort.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/SerialLine.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testing::ErrorOf;

class SerialPortContract : public ::testing::Test {
 protected:
  void SetUp() override {
    line = testing::OpenSerialLine();
    ASSERT_NE(line, nullptr);
    platform.serialDevices[1] = line->Device();
    port = platform.CreateSerialPort();
    port->CommPort = 1;
    port->Settings = "38400,n,8,1";
    port->RThreshold = 1;
    port->OnComm = [this] {
      events.push_back(port->CommEvent());
      received += port->Input();
    };
  }

  // Waits on the port until `size` bytes have arrived, or two seconds.
  void Receive(size_t size) {
    MonotonicTime deadline = platform.Now() + 2s;
    while (received.size() < size && platform.Now() < deadline) port->WaitForEvents(deadline);
  }

  testing::TestPlatform platform;
  std::unique_ptr<testing::SerialLine> line;
  std::unique_ptr<SerialPort> port;
  std::vector<int> events;
  std::string received;
};

TEST_F(SerialPortContract, SendsAndDeliversWhatArrivesAsReceiveEvents) {
  port->SetPortOpen(true);
  EXPECT_TRUE(port->PortOpen());
  port->Output("c");
  EXPECT_EQ(line->Read(Clock::now() + 2s), "c");

  // What waits already is taken at once.
  line->Write(std::string("A1;2\0\n\r", 7));
  line->Read(Clock::now() + 100ms);  // "": the time the bytes take to cross
  const Clock::time_point start = Clock::now();
  Receive(7);
  EXPECT_LT(Clock::now() - start, 1s);
  EXPECT_EQ(received, std::string("A1;2\0\n\r", 7));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), kComEvReceive);

  // Nothing arriving: the wait ends at its deadline with no event.
  events.clear();
  port->WaitForEvents(platform.Now() + 20ms);
  EXPECT_TRUE(events.empty());
}

TEST_F(SerialPortContract, StartsEachOpenWithEmptyBuffers) {
  // Characters the line received while no program listened.
  line->Write("stale\n\r");
  {
    auto observer = SerialDevice::Open(line->Device());
    ASSERT_TRUE(observer->WaitReadable(Clock::now() + 2s));
  }
  port->SetPortOpen(true);
  port->WaitForEvents(platform.Now() + 30ms);
  EXPECT_EQ(received, "");
  line->Write("new");
  Receive(3);
  EXPECT_EQ(received, "new");
}

TEST_F(SerialPortContract, RefusesToOpenAndLeavesThePortClosed) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    int number;
  };
  const Case cases[] = {
      {"port 0", [&] { port->CommPort = 0; }, kInvalidPortNumber},
      {"no device",
       [&] {
         platform.serialDevices[2] = testing::MissingSerialDevice();
         port->CommPort = 2;
       },
       kInvalidPortNumber},
      {"settings", [&] { port->Settings = "38400,x,8,1"; }, kSettingsNotApplied},
      {"speed", [&] { port->Settings = "12345,n,8,1"; }, kSettingsNotApplied},
      {"flow control", [&] { port->Handshaking = 2; }, kSettingsNotApplied},
  };
  for (const Case& c : cases) {
    c.prepare();
    EXPECT_EQ(ErrorOf([&] { port->SetPortOpen(true); }), c.number) << c.name;
    EXPECT_FALSE(port->PortOpen()) << c.name;
    port->CommPort = 1;
    port->Settings = "38400,n,8,1";
    port->Handshaking = 0;
  }
  // Nothing of a refused open is left holding the port.
  port->SetPortOpen(true);
  EXPECT_TRUE(port->PortOpen());
}

TEST_F(SerialPortContract, RefusesToSendOnAClosedPortAndASecondOpen) {
  EXPECT_EQ(ErrorOf([&] { port->Output("c"); }), kPortNotOpen);
  port->SetPortOpen(true);
  EXPECT_EQ(ErrorOf([&] { port->SetPortOpen(true); }), kPortAlreadyOpen);
  EXPECT_TRUE(port->PortOpen());
  port->SetPortOpen(false);
  EXPECT_FALSE(port->PortOpen());
  port->SetPortOpen(false);  // closing a closed port does nothing
  EXPECT_EQ(ErrorOf([&] { port->Output("c"); }), kPortNotOpen);
}

TEST_F(SerialPortContract, WaitsOnThePlatformsClock) {
  // A deadline on a fake clock stands for the time left on that clock: the
  // wait still blocks for it in real time, and the late character arrives.
  platform.UseFakeClock();
  port->SetPortOpen(true);
  std::thread late([this] {
    std::this_thread::sleep_for(50ms);
    line->Write("X");
  });
  const Clock::time_point start = Clock::now();
  port->WaitForEvents(platform.Now() + 5s);
  const Clock::duration waited = Clock::now() - start;
  late.join();
  EXPECT_EQ(received, "X");
  // It ended with the arrival, not at its deadline.
  EXPECT_LT(waited, 2s);
}

}  // namespace
}  // namespace viruzedi
