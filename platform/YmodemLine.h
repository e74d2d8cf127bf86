// The bytes of YMODEM on a channel: control characters, the framing of a
// block, reading one block or reply, cancelling and clearing the line.
// Shared by the sender and the receiver.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteChannel.h"
#include "platform/Ymodem.h"

namespace viruzedi::ymodem {

constexpr char kSoh = 0x01;  // a 128-byte block follows
constexpr char kStx = 0x02;  // a 1024-byte block follows
constexpr char kEot = 0x04;  // end of the file's data
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;  // two in a row cancel the transfer
constexpr char kCrcRequest = 'C';
constexpr char kPadding = 0x1A;  // fills the last data block

constexpr size_t kShortBlock = 128;
constexpr size_t kLongBlock = 1024;

// A whole block as it goes on the line: SOH or STX by the data's size (128
// or 1024 bytes), the number and its complement, the data, the CRC.
std::string FrameBlock(uint8_t number, std::string_view data);

// What arrived where a block (or an EOT) was expected.
struct Arrival {
  enum Kind {
    kBlock,     // a sound block: `number`, `data`
    kEndOfFile, // EOT
    kCancel,    // CAN CAN
    kTimeout,   // nothing before the deadline
    kSpoiled,   // anything else: a bad CRC, a short block, a stray byte
  };
  Kind kind = kTimeout;
  uint8_t number = 0;
  std::string data;
};

// What arrived where a reply to a block was expected.
enum class Reply { kAck, kNak, kCrcRequest, kCancel, kTimeout };

class Line {
 public:
  Line(ByteChannel& channel, const YmodemTiming& timing) : channel_(channel), timing_(timing) {}

  const YmodemTiming& timing() const { return timing_; }
  MonotonicTime Now() { return channel_.Now(); }
  void Write(std::string_view bytes) { channel_.Write(bytes); }

  // The next block or EOT, waiting until `deadline` for its first byte.
  Arrival ReadBlock(MonotonicTime deadline);
  // The next reply, skipping any other byte, waiting until `deadline`.
  Reply ReadReply(MonotonicTime deadline);
  // Drops what has arrived unread, without waiting; true when it held a
  // cancel, which the caller must not lose.
  bool DropWaiting();
  // Reads and drops bytes until the line has been quiet for quietTime (or
  // for replyTimeout at most on a line that never stops): the rest of a
  // spoiled block must not be taken for the next one.
  void Purge();
  // Tells the peer to stop: CAN several times, as a peer may miss some.
  // Never throws: it runs on the way out of a failure.
  void Cancel();
  // From inside a catch block: cancels for the failure being handled,
  // unless that failure is the peer's own cancel.
  void CancelForCurrentFailure();

 private:
  // One byte, or -1 at the deadline.
  int ReadByte(MonotonicTime deadline);
  // `count` bytes, each within byteTimeout of the one before; false when
  // the line falls silent first.
  bool ReadExactly(size_t count, std::string& into);

  ByteChannel& channel_;
  const YmodemTiming& timing_;
};

// The failure when one step failed too often: a time-out when the last try
// heard nothing, too many errors otherwise.
[[noreturn]] void GiveUp(bool lastWasTimeout, const std::string& what);

}  // namespace viruzedi::ymodem
