#include "component/LineReceiver.h"

namespace viruzedi {

void AppendReceived(std::string& buffer, std::string& line, bool& lineReady,
                    const std::string& input) {
  buffer += input;
  if (buffer.size() >= 2 && buffer[buffer.size() - 2] == '\n' &&
      buffer[buffer.size() - 1] == '\r') {
    line = buffer.substr(0, buffer.size() - 2);
    buffer.clear();
    lineReady = true;
  }
}

}  // namespace viruzedi
