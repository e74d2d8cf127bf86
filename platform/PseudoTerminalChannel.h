// The simulator's side of a pseudo-terminal as a byte channel, so that a
// simulated device runs the same file-transfer protocol as the component.
// Part of the support library of the tests, simulators and demo.
#pragma once

#include <string>
#include <string_view>

#include "platform/ByteChannel.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

class PseudoTerminal;

// Waits on `platform`'s monotonic clock. Both must outlive the channel.
class PseudoTerminalChannel : public ByteChannel {
 public:
  PseudoTerminalChannel(PseudoTerminal& terminal, Platform& platform)
      : terminal_(terminal), platform_(platform) {}
  MonotonicTime Now() override { return platform_.Now(); }
  void Write(std::string_view bytes) override;

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override;

 private:
  PseudoTerminal& terminal_;
  Platform& platform_;
};

}  // namespace viruzedi
