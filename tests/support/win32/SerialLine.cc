// The line on Windows: the run joined two COM ports with a null-modem cable
// (VIRUZEDI_TEST_PORT, VIRUZEDI_TEST_FAR_PORT); the near one is the port
// under test, the far one is opened here with the platform's serial device.
#include "tests/support/SerialLine.h"

#include <gtest/gtest.h>

#include "platform/Environment.h"
#include "platform/SerialDevice.h"

namespace viruzedi::testing {
namespace {

class NullModemLine : public SerialLine {
 public:
  NullModemLine(std::string nearPort, std::unique_ptr<SerialDevice> farPort)
      : near_(std::move(nearPort)), far_(std::move(farPort)) {}
  std::string Device() const override { return near_; }
  void Write(std::string_view bytes) override { far_->Write(bytes); }
  std::string Read(Clock::time_point deadline) override { return far_->Read(deadline); }

 private:
  std::string near_;
  std::unique_ptr<SerialDevice> far_;
};

}  // namespace

std::unique_ptr<SerialLine> OpenSerialLine() {
  const std::string nearPort = EnvironmentValue("VIRUZEDI_TEST_PORT");
  const std::string farPort = EnvironmentValue("VIRUZEDI_TEST_FAR_PORT");
  if (nearPort.empty() || farPort.empty()) {
    ADD_FAILURE() << "no serial line: VIRUZEDI_TEST_PORT and VIRUZEDI_TEST_FAR_PORT name none "
                     "(tests/windows/run-in-wine --null-modem joins two ports)";
    return nullptr;
  }
  auto device = SerialDevice::Open(SystemSerialDevice(std::stoi(farPort)));
  device->Configure(ParseLineSettings("38400,n,8,1"));
  // What an earlier test left on the cable is no part of this one.
  device->DiscardInput();
  return std::make_unique<NullModemLine>(SystemSerialDevice(std::stoi(nearPort)),
                                         std::move(device));
}

std::string MissingSerialDevice() { return SystemSerialDevice(254); }

}  // namespace viruzedi::testing
