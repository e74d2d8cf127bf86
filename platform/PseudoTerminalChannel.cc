#include "platform/PseudoTerminalChannel.h"

#include "platform/PseudoTerminal.h"
#include "platform/SlicedRead.h"

namespace viruzedi {

void PseudoTerminalChannel::Write(std::string_view bytes) { terminal_.Write(bytes); }

std::string PseudoTerminalChannel::ReadFromLine(MonotonicTime deadline) {
  // The simulator keeps the device side open itself: it never sees one.
  return ReadInSlices(terminal_, platform_, deadline, [] { return false; });
}

}  // namespace viruzedi
