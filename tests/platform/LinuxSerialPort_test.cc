// The serial-port control on real pseudo-terminals.
#include <gtest/gtest.h>

#include <thread>

#include "base/AutomationError.h"
#include "platform/posix/LinuxPlatform.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevice.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testing::ErrorOf;

bool DeviceIsFree(const std::string& device) {
  return ErrorOf([&] { SerialDevice::Open(device); }) == 0;
}

class LinuxSerialPortTest : public ::testing::Test {
 protected:
  LinuxSerialPortTest() {
    platform.serialDevices[1] = pty->SlavePath();
    port->CommPort = 1;
    port->Settings = "38400,n,8,1";
    port->RThreshold = 1;
    port->OnComm = [this] {
      events.push_back(port->CommEvent());
      received += port->Input();
    };
  }

  testing::TestPlatform platform;
  std::unique_ptr<PseudoTerminal> pty = PseudoTerminal::Open();
  std::unique_ptr<SerialPort> port = MakeLinuxSerialPort(platform);
  std::vector<int> events;
  std::string received;
};

TEST_F(LinuxSerialPortTest, SendsAndDeliversWhatArrivesAsReceiveEvents) {
  port->SetPortOpen(true);
  EXPECT_TRUE(port->PortOpen());
  port->Output("c");
  EXPECT_EQ(pty->Read(Clock::now() + 2s), "c");

  pty->Write(std::string("A1;2\0\n\r", 7));
  MonotonicTime deadline = platform.Now() + 2s;
  while (received.size() < 7 && platform.Now() < deadline) port->WaitForEvents(deadline);
  EXPECT_EQ(received, std::string("A1;2\0\n\r", 7));
  EXPECT_EQ(events.front(), kComEvReceive);

  // Nothing arriving: the wait ends at its deadline with no event.
  events.clear();
  port->WaitForEvents(platform.Now() + 20ms);
  EXPECT_TRUE(events.empty());
}

TEST_F(LinuxSerialPortTest, StartsEachOpenWithEmptyBuffers) {
  // Characters the line received while no program listened.
  pty->Write("stale\n\r");
  {
    auto observer = SerialDevice::Open(pty->SlavePath());
    ASSERT_TRUE(observer->WaitReadable(Clock::now() + 2s));
  }
  port->SetPortOpen(true);
  port->WaitForEvents(platform.Now() + 30ms);
  EXPECT_EQ(received, "");
  pty->Write("new");
  port->WaitForEvents(platform.Now() + 2s);
  EXPECT_EQ(received, "new");
}

TEST_F(LinuxSerialPortTest, IsClosedWhenAskedAndWhenDestroyed) {
  port->SetPortOpen(true);
  EXPECT_FALSE(DeviceIsFree(pty->SlavePath()));
  port->SetPortOpen(false);
  EXPECT_FALSE(port->PortOpen());
  EXPECT_TRUE(DeviceIsFree(pty->SlavePath()));
  port->SetPortOpen(false);  // closing a closed port does nothing

  port->SetPortOpen(true);
  port.reset();
  EXPECT_TRUE(DeviceIsFree(pty->SlavePath()));
}

TEST_F(LinuxSerialPortTest, RefusesToOpenAndLeavesNothingHeld) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    int number;
  };
  std::unique_ptr<SerialDevice> holder;
  const Case cases[] = {
      {"port 0", [&] { port->CommPort = 0; }, kInvalidPortNumber},
      {"no device", [&] { platform.serialDevices[2] = "/dev/viruzedi-none"; port->CommPort = 2; },
       kInvalidPortNumber},
      {"held by another program", [&] { holder = SerialDevice::Open(pty->SlavePath()); },
       kPortAlreadyOpen},
      {"settings", [&] { port->Settings = "38400,x,8,1"; }, kSettingsNotApplied},
      {"speed", [&] { port->Settings = "12345,n,8,1"; }, kSettingsNotApplied},
      {"flow control", [&] { port->Handshaking = 2; }, kSettingsNotApplied},
  };
  for (const Case& c : cases) {
    c.prepare();
    EXPECT_EQ(ErrorOf([&] { port->SetPortOpen(true); }), c.number) << c.name;
    EXPECT_FALSE(port->PortOpen()) << c.name;
    holder.reset();
    EXPECT_TRUE(DeviceIsFree(pty->SlavePath())) << c.name;
    port->CommPort = 1;
    port->Settings = "38400,n,8,1";
    port->Handshaking = 0;
  }
}

TEST_F(LinuxSerialPortTest, RefusesToSendOnAClosedPort) {
  EXPECT_EQ(ErrorOf([&] { port->Output("c"); }), kPortNotOpen);
  port->SetPortOpen(true);
  EXPECT_EQ(ErrorOf([&] { port->SetPortOpen(true); }), kPortAlreadyOpen);
  EXPECT_TRUE(port->PortOpen());
}

TEST_F(LinuxSerialPortTest, WaitOnALineThatWentAwayEndsQuietly) {
  port->SetPortOpen(true);
  pty.reset();
  port->WaitForEvents(platform.Now() + 30ms);
  EXPECT_TRUE(events.empty());
}

TEST_F(LinuxSerialPortTest, WaitsOnThePlatformsClock) {
  // A deadline on a fake clock stands for the time left on that clock: the
  // wait still blocks for it in real time, and the late character arrives.
  platform.UseFakeClock();
  port->SetPortOpen(true);
  std::thread late([this] {
    std::this_thread::sleep_for(50ms);
    pty->Write("X");
  });
  port->WaitForEvents(platform.Now() + 5s);
  late.join();
  EXPECT_EQ(received, "X");
}

}  // namespace
}  // namespace viruzedi
