// The wait of a byte channel's read, shared by each kind of line.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

#include "platform/ByteChannel.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// The longest single wait on the line. The deadline is measured on the
// platform's clock, which need not be the system's (a test's clock may run
// fast), so the wait is cut into slices and the clock read after each.
inline constexpr std::chrono::milliseconds kLongestSlice{250};

// What `line` (anything with Read(steady_clock deadline)) gives until
// `deadline` on `platform`'s clock; "" when nothing came. Throws LineGone
// when nothing came and `gone` says the line has gone away.
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

}  // namespace viruzedi
