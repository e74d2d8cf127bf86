#include "platform/ByteChannel.h"

#include <algorithm>
#include <functional>

#include "base/AutomationError.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevice.h"

namespace viruzedi {
namespace {

// The longest single wait on the line. The deadline is measured on the
// platform's clock, which need not be the system's (a test's clock may run
// fast), so the wait is cut into slices and the clock read after each.
constexpr std::chrono::milliseconds kLongestSlice{250};

template <typename Line>
std::string ReadInSlices(Line& line, Platform& platform, MonotonicTime deadline,
                         const std::function<bool()>& gone) {
  using Duration = std::chrono::steady_clock::duration;
  while (true) {
    const MonotonicTime start = platform.Now();
    Duration left = std::max<Duration>(deadline - start, Duration::zero());
    Duration slice = std::min<Duration>(left, kLongestSlice);
    // A deadline already passed still looks once at what is waiting.
    std::string bytes = line.Read(std::chrono::steady_clock::now() + slice);
    if (!bytes.empty()) return bytes;
    if (gone()) throw LineGone("the line has gone away");
    if (left == Duration::zero()) return bytes;
    // A clock that stood still through the slice (a test's fake clock that
    // moves only when slept on) is moved by it, so the wait still ends.
    Duration unseen = slice - (platform.Now() - start);
    if (unseen > Duration::zero()) platform.SleepFor(unseen);
  }
}

}  // namespace

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

void PseudoTerminalChannel::Write(std::string_view bytes) { terminal_.Write(bytes); }

std::string PseudoTerminalChannel::ReadFromLine(MonotonicTime deadline) {
  // The simulator keeps the device side open itself: it never sees one.
  return ReadInSlices(terminal_, platform_, deadline, [] { return false; });
}

}  // namespace viruzedi
