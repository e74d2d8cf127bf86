// A two-way byte stream with a clock: what a file-transfer protocol runs on.
// One implementation per kind of line (a serial device here, the simulator's
// side of a pseudo-terminal in PseudoTerminalChannel.h); tests put their own
// in between to spoil bytes.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

#include "viruzedi/Platform.h"

namespace viruzedi {

class SerialDevice;

// Thrown by Read when the line has gone away (the device unplugged, the
// other end of a pseudo-terminal closed): nothing can arrive on it any more,
// and waiting out a protocol's time-outs and retries would only keep the
// person waiting for minutes.
class LineGone : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteChannel {
 public:
  virtual ~ByteChannel() = default;

  // The clock that every deadline given to Read is measured on.
  virtual MonotonicTime Now() = 0;
  // Sends every byte. Throws LineGone when the line has gone away, and
  // AutomationError when it fails otherwise.
  virtual void Write(std::string_view bytes) = 0;

  // Bytes that were put back first, else what arrives: blocks until at
  // least one byte is there or `deadline` passes ("" then). Throws LineGone
  // when the line has gone away.
  std::string Read(MonotonicTime deadline);
  // Returns bytes read too early, so that the next Read gives them first
  // (a request line's reader leaves what follows the line to the protocol).
  void PutBack(std::string bytes);

 protected:
  // What arrives from the line, waiting until `deadline` at most.
  virtual std::string ReadFromLine(MonotonicTime deadline) = 0;

 private:
  std::string putBack_;
};

// A serial device with waits on `platform`'s monotonic clock. Both must
// outlive the channel.
class SerialDeviceChannel : public ByteChannel {
 public:
  SerialDeviceChannel(SerialDevice& device, Platform& platform)
      : device_(device), platform_(platform) {}
  MonotonicTime Now() override { return platform_.Now(); }
  void Write(std::string_view bytes) override;

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override;

 private:
  SerialDevice& device_;
  Platform& platform_;
};

}  // namespace viruzedi
