// The serial-port control on real pseudo-terminals: what Linux alone does.
// What it does on every platform is in contract/SerialPort_test.cc.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "platform/posix/LinuxPlatform.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevice.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;

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

// Another program holding the device is told by its lock, which Linux
// has and Wine's pseudo-terminals do not.
TEST_F(LinuxSerialPortTest, RefusesAPortHeldByAnotherProgramAndHoldsNothing) {
  auto holder = SerialDevice::Open(pty->SlavePath());
  EXPECT_EQ(ErrorOf([&] { port->SetPortOpen(true); }), kPortAlreadyOpen);
  EXPECT_FALSE(port->PortOpen());
  holder.reset();
  EXPECT_TRUE(DeviceIsFree(pty->SlavePath()));
}

TEST_F(LinuxSerialPortTest, WaitOnALineThatWentAwayEndsQuietly) {
  port->SetPortOpen(true);
  pty.reset();
  port->WaitForEvents(platform.Now() + 30ms);
  EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace viruzedi
