#include "platform/SerialDevice.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "platform/ByteChannel.h"
#include "platform/PseudoTerminal.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;

using testing::ErrorOf;
using testing::TestPlatform;

TEST(SerialDevice, CarriesBytesBothWaysOverAPseudoTerminal) {
  auto pty = PseudoTerminal::Open();
  auto device = SerialDevice::Open(pty->SlavePath());
  device->Configure(ParseLineSettings("38400,n,8,1"));
  device->SetModemLines(false, false);

  device->Write(std::string("c\0\r\n", 4));
  EXPECT_EQ(pty->Read(SerialDevice::Clock::now() + 2s), std::string("c\0\r\n", 4));
  pty->Write("EMPTY\n\r");
  EXPECT_EQ(device->Read(SerialDevice::Clock::now() + 2s), "EMPTY\n\r");
  EXPECT_EQ(device->Read(SerialDevice::Clock::now() + 20ms), "");
}

TEST(SerialDevice, ReportsMissingAndBusyPorts) {
  EXPECT_EQ(ErrorOf([] { SerialDevice::Open("/dev/no-such-port"); }), kInvalidPortNumber);
  EXPECT_EQ(ErrorOf([] { SerialDevice::Open(""); }), kInvalidPortNumber);
  auto pty = PseudoTerminal::Open();
  auto holder = SerialDevice::Open(pty->SlavePath());
  EXPECT_EQ(ErrorOf([&] { SerialDevice::Open(pty->SlavePath()); }), kPortAlreadyOpen);
  holder.reset();
  EXPECT_NO_THROW(SerialDevice::Open(pty->SlavePath()));
}

TEST(SerialDevice, RefusesSettingsItCannotApply) {
  for (const char* text : {"38400,x,8,1", "12345,n,8,1", "38400,n,9,1", "fast", "38400,n,8,1,"}) {
    EXPECT_EQ(ErrorOf([&] { ParseLineSettings(text); }), kSettingsNotApplied) << text;
  }
  LineSettings settings = ParseLineSettings("9600,E,7,2");
  EXPECT_EQ(settings.baud, 9600);
  EXPECT_EQ(settings.parity, 'e');
  EXPECT_EQ(settings.dataBits, 7);
  EXPECT_EQ(settings.stopBits, 2);
}

// The other end going away (a device unplugged) is told apart from silence:
// a protocol channel on the line fails at once, whether it reads or writes,
// instead of waiting out its time-outs.
TEST(SerialDevice, ALineThatWentAwayIsHungUpForReadsAndWrites) {
  TestPlatform platform;
  for (bool reading : {true, false}) {
    auto pty = PseudoTerminal::Open();
    auto device = SerialDevice::Open(pty->SlavePath());
    SerialDeviceChannel channel(*device, platform);
    EXPECT_FALSE(device->HungUp());
    pty.reset();
    if (reading) {
      EXPECT_THROW(channel.Read(platform.Now() + 10s), LineGone);
    } else {
      EXPECT_THROW(channel.Write("RICEVI 1\r"), LineGone);
    }
    EXPECT_TRUE(device->HungUp()) << (reading ? "read" : "write");
  }
}

}  // namespace
}  // namespace viruzedi
