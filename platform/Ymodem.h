// YMODEM, batch mode with 1K blocks and CRC-16, on any byte channel: the
// protocol the serial terminal link and the terminal simulator speak, and
// that the sz/rz programs of lrzsz speak too.
//
// A batch is: block 0 with the file's name and size, the data blocks, EOT,
// then an empty block 0 that ends the batch. Both sides here move one file
// per batch; a batch whose first block 0 is empty carries no file.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace viruzedi {

class ByteChannel;

struct YmodemTiming {
  // A receiver asks for the batch with 'C' this often, this many times; a
  // sender waits as long in all for the first 'C'.
  std::chrono::milliseconds handshakeInterval{3000};
  int handshakeTries = 10;
  // Wait for a reply to a block, or for the next block.
  std::chrono::milliseconds replyTimeout{10000};
  // Wait for the reply to the block that closes a batch, which a receiver
  // that exits at once often loses; and a receiver's wait for that block.
  std::chrono::milliseconds closingTimeout{1000};
  // The longest gap between two bytes inside one block.
  std::chrono::milliseconds byteTimeout{2000};
  // Silence that tells that the rest of a spoiled block has stopped coming.
  std::chrono::milliseconds quietTime{500};
  // Failures of one block in a row before the transfer is given up.
  int retryLimit = 10;
};

// Why a transfer failed. On every failure but a cancel by the peer, the
// peer has been sent a cancel (CAN CAN ...) before this is thrown.
class YmodemFailure : public std::runtime_error {
 public:
  enum class Reason {
    kTimedOut,         // the peer stopped answering
    kCancelledByPeer,  // the peer sent CAN CAN
    kTooManyErrors,    // one block failed retryLimit times in a row
    kOutOfSequence,    // a block neither the next nor a repeat
    kIncomplete,       // the data ended short of the announced size
  };
  YmodemFailure(Reason reason, const std::string& what)
      : std::runtime_error(what), reason(reason) {}
  Reason reason;
};

// What block 0 announces about a file.
struct YmodemFileInfo {
  std::string name;
  std::optional<uint64_t> size;  // absent when the sender gave none
  int64_t modificationTime = 0;  // seconds since 1970; 0 when not given
};

// The data of block 0 for a file: name NUL size [SP mtime in octal], padded
// with NUL to 128 bytes, or to 1024 when longer. An info with an empty name
// gives the empty block that ends a batch.
std::string EncodeYmodemHeader(const YmodemFileInfo& info);
// Reads block 0's data. An empty name means the end of the batch. A size
// or a time that is not a number is taken as not given.
YmodemFileInfo DecodeYmodemHeader(std::string_view data);

// Receives the first file of a batch. `pathFor` names the path the
// announced file goes to (it may throw to refuse the file; the peer is then
// cancelled). The data is written beside that path and renamed onto it once
// the file is whole, so on any failure nothing is left at the path. Further
// files of the batch are refused (cancelled) without harm to the first.
// Returns what block 0 announced, or nothing when the batch was empty.
// `betweenBlocks`, when set, is called after each data block is written; a
// failure it throws ends the transfer as any other (the peer cancelled, the
// partial file removed), which is how a stop request ends it.
// `acknowledging`, when set, is called with true once the file is whole
// and before it is renamed onto its path, and with false once its end has
// been acknowledged: in between, the file may stand at its path while the
// peer never hears that it arrived (a crash there) and sends it again.
// Throws YmodemFailure, or the AutomationError of the file or the line.
std::optional<YmodemFileInfo> YmodemReceiveFile(
    ByteChannel& channel, const YmodemTiming& timing,
    const std::function<std::string(const YmodemFileInfo&)>& pathFor,
    const std::function<void()>& betweenBlocks = {},
    const std::function<void(bool)>& acknowledging = {});

// Sends `contents` as the one file of a batch, under `info.name` (its size
// is taken from `contents`). Returns once the receiver has acknowledged the
// file's end; the closing of the batch that follows may go unanswered.
// `delivered`, when set, is called as soon as that acknowledgement arrives,
// before the batch is closed: the receiver holds the file whole from then
// on, whatever becomes of the line (a terminal may drop its copy there).
// Throws YmodemFailure, or the AutomationError of the line.
void YmodemSendFile(ByteChannel& channel, const YmodemTiming& timing, YmodemFileInfo info,
                    std::string_view contents, const std::function<void()>& delivered = {});

// Answers a receiver with an empty batch: there is no file to send.
// Throws YmodemFailure when no receiver asks in time.
void YmodemSendNothing(ByteChannel& channel, const YmodemTiming& timing);

}  // namespace viruzedi
