// Placeholder until the termios serial port lands.
#include "component/AutomationError.h"
#include "platform/LinuxPlatform.h"

namespace viruzedi {
namespace {
class UnavailablePort : public SerialPort {
 public:
  void SetPortOpen(bool open) override { if (open) RaiseError(kInvalidPortNumber); }
  bool PortOpen() const override { return false; }
  std::string Input() override { return ""; }
  void Output(const std::string&) override { RaiseError(kPortNotOpen); }
  int CommEvent() const override { return kComEvNone; }
  void WaitForEvents(MonotonicTime) override {}
};
}  // namespace

std::unique_ptr<SerialPort> MakeLinuxSerialPort(Platform&) {
  return std::make_unique<UnavailablePort>();
}
}  // namespace viruzedi
