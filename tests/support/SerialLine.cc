#include "tests/support/SerialLine.h"

#include "platform/PseudoTerminal.h"

namespace viruzedi::testing {
namespace {

class PseudoTerminalLine : public SerialLine {
 public:
  std::string Device() const override { return pty_->SlavePath(); }
  void Write(std::string_view bytes) override { pty_->Write(bytes); }
  std::string Read(Clock::time_point deadline) override { return pty_->Read(deadline); }

 private:
  std::unique_ptr<PseudoTerminal> pty_ = PseudoTerminal::Open();
};

}  // namespace

std::unique_ptr<SerialLine> OpenSerialLine() { return std::make_unique<PseudoTerminalLine>(); }

std::string MissingSerialDevice() { return "/dev/viruzedi-none"; }

}  // namespace viruzedi::testing
