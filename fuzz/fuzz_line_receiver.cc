// The serial line receiver fed receive events built from the input: a run
// of literal characters, or one character repeated up to a port's input
// buffer (a reader that floods the line without ever ending it).
//
// Properties, after every event:
//  - the receiver never holds more than its limit (and a pending LF);
//  - a collected text that ends with LF CR becomes the line, the buffer is
//    emptied and the line is ready, unless it is longer than the limit;
//  - a line within the limit is never refused;
//  - otherwise the event is appended, and the ready line stays as it was;
//  - an overflow empties the buffer and leaves the ready line untouched.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/LineReceiver.h"
#include "fuzz/support/FuzzSupport.h"

namespace viruzedi::fuzz {
namespace {

constexpr size_t kPortInputBuffer = 1024;

std::string NextEvent(FuzzedDataProvider& input) {
  if (input.ConsumeBool()) {
    return input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, kPortInputBuffer));
  }
  const char c = input.ConsumeIntegral<char>();
  return std::string(input.ConsumeIntegralInRange<size_t>(1, kPortInputBuffer), c);
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi;
  using namespace viruzedi::fuzz;
  FuzzedDataProvider input(data, size);
  std::string buffer, line;
  bool ready = false;
  while (input.remaining_bytes() > 0) {
    const std::string event = NextEvent(input);
    const std::string collected = buffer + event;
    const std::string lineBefore = line;
    const bool readyBefore = ready;
    const bool ended = collected.ends_with("\n\r");
    const bool kept = AppendReceived(buffer, line, ready, event);

    Require(buffer.size() <= kMaxReceivedLine + 1, "the receiver keeps no more than its limit");
    if (!kept) {
      Require(collected.size() > kMaxReceivedLine, "only a text past the limit overflows");
      Require(buffer.empty(), "an overflow empties the buffer");
      Require(line == lineBefore && ready == readyBefore, "an overflow leaves the ready line");
    } else if (ended) {
      Require(collected.size() - 2 <= kMaxReceivedLine, "a line past the limit is refused");
      Require(ready && line == collected.substr(0, collected.size() - 2) && buffer.empty(),
              "LF CR ends the line");
    } else {
      Require(buffer == collected, "an event without line end is collected");
      Require(line == lineBefore && ready == readyBefore, "the ready line stays");
    }
    if (ended && collected.size() - 2 <= kMaxReceivedLine) {
      Require(kept, "a line within the limit is kept");
    }
    if (!ended && collected.size() <= kMaxReceivedLine) {
      Require(kept, "a text within the limit is kept");
    }
  }
  return 0;
}
