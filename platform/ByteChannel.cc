#include "platform/ByteChannel.h"

#include "base/Errors.h"
#include "platform/SerialDevice.h"
#include "platform/SlicedRead.h"

namespace viruzedi {

std::string ByteChannel::Read(MonotonicTime deadline) {
  if (!putBack_.empty()) {
    std::string bytes;
    bytes.swap(putBack_);
    return bytes;
  }
  return ReadFromLine(deadline);
}

void ByteChannel::PutBack(std::string bytes) { putBack_.insert(0, bytes); }

void SerialDeviceChannel::Write(std::string_view bytes) {
  try {
    device_.Write(bytes);
  } catch (const AutomationError&) {
    if (device_.HungUp()) throw LineGone("the line has gone away");
    throw;
  }
}

std::string SerialDeviceChannel::ReadFromLine(MonotonicTime deadline) {
  return ReadInSlices(device_, platform_, deadline, [this] { return device_.HungUp(); });
}

}  // namespace viruzedi
