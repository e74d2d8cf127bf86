#include "base/LineReceiver.h"

namespace viruzedi {

bool AppendReceived(std::string& buffer, std::string& line, bool& lineReady,
                    const std::string& input) {
  // The buffer holds at most one over-long line and the event that made it
  // so: the port hands over no more than its input buffer per event.
  buffer += input;
  bool ended = buffer.size() >= 2 && buffer[buffer.size() - 2] == '\n' &&
               buffer[buffer.size() - 1] == '\r';
  // A pending LF may still be the start of the terminator.
  size_t collected = ended ? buffer.size() - 2 : buffer.size() - (buffer.ends_with('\n') ? 1 : 0);
  if (collected > kMaxReceivedLine) {
    buffer.clear();
    return false;
  }
  if (ended) {
    line = buffer.substr(0, collected);
    buffer.clear();
    lineReady = true;
  }
  return true;
}

}  // namespace viruzedi
