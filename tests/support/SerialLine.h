// The far end of a serial line, for the tests of a serial port: what the
// port sends arrives here, what is written here arrives at the port. On
// Linux a pseudo-terminal (SerialLine.cc); on Windows under Wine the other
// COM port of a null-modem cable that the run made (win32/SerialLine.cc,
// tests/windows/run-in-wine --null-modem).
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace viruzedi::testing {

class SerialLine {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~SerialLine() = default;
  // The device of the port at the near end, as the platform names it.
  virtual std::string Device() const = 0;
  virtual void Write(std::string_view bytes) = 0;
  // What has arrived from the port; "" at the deadline.
  virtual std::string Read(Clock::time_point deadline) = 0;
};

// A new line with nothing in transit. Null, after failing the test, when the
// system has none to give.
std::unique_ptr<SerialLine> OpenSerialLine();

// A device of this system's form that is no port.
std::string MissingSerialDevice();

}  // namespace viruzedi::testing
