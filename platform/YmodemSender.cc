// The sending side of a batch: block 0, the data blocks, EOT, the closing
// block 0.
#include "platform/Ymodem.h"
#include "platform/YmodemLine.h"

namespace viruzedi {
namespace {

using ymodem::Line;
using ymodem::Reply;
using Reason = YmodemFailure::Reason;

[[noreturn]] void CancelledByPeer(const std::string& when) {
  throw YmodemFailure(Reason::kCancelledByPeer, "cancelled " + when);
}

// Waits for the receiver's 'C', within `waitFor`.
void WaitForRequest(Line& line, std::chrono::milliseconds waitFor, const std::string& what) {
  const MonotonicTime deadline = line.Now() + waitFor;
  while (true) {
    switch (line.ReadReply(deadline)) {
      case Reply::kCrcRequest: return;
      case Reply::kCancel: CancelledByPeer("waiting for " + what);
      case Reply::kTimeout: ymodem::GiveUp(true, "waiting for " + what);
      case Reply::kAck:
      case Reply::kNak: break;  // late replies to something earlier
    }
  }
}

// Sends one block until it is acknowledged. A NAK or a time-out sends it
// again. Receivers refuse block 0 and the first data block with 'C' (they
// are still asking to begin), so there a 'C' is a refusal too; later it can
// only be a stale request, and is passed over.
void SendBlock(Line& line, uint8_t number, std::string_view data, bool opening) {
  const YmodemTiming& timing = line.timing();
  const std::string block = ymodem::FrameBlock(number, data);
  bool lastWasTimeout = false;
  for (int attempt = 0; attempt < timing.retryLimit; ++attempt) {
    // Whatever came before this send cannot answer it; left waiting, an
    // old acknowledgement would pass for this block's.
    if (line.DropWaiting()) CancelledByPeer("before block " + std::to_string(number));
    line.Write(block);
    const MonotonicTime deadline = line.Now() + timing.replyTimeout;
    Reply reply = line.ReadReply(deadline);
    while (reply == Reply::kCrcRequest && !opening) reply = line.ReadReply(deadline);
    switch (reply) {
      case Reply::kAck: return;
      case Reply::kCancel: CancelledByPeer("at block " + std::to_string(number));
      case Reply::kTimeout: lastWasTimeout = true; break;
      case Reply::kNak:
      case Reply::kCrcRequest: lastWasTimeout = false; break;
    }
  }
  ymodem::GiveUp(lastWasTimeout, "block " + std::to_string(number));
}

// Sends EOT until it is acknowledged; a receiver may refuse the first one.
void SendEndOfFile(Line& line) {
  const YmodemTiming& timing = line.timing();
  bool lastWasTimeout = false;
  for (int attempt = 0; attempt < timing.retryLimit; ++attempt) {
    if (line.DropWaiting()) CancelledByPeer("before the end of the file");
    line.Write(std::string(1, ymodem::kEot));
    const MonotonicTime deadline = line.Now() + timing.replyTimeout;
    Reply reply = line.ReadReply(deadline);
    while (reply == Reply::kCrcRequest) reply = line.ReadReply(deadline);  // stale
    switch (reply) {
      case Reply::kAck: return;
      case Reply::kCancel: CancelledByPeer("at the end of the file");
      case Reply::kTimeout: lastWasTimeout = true; break;
      case Reply::kNak:
      case Reply::kCrcRequest: lastWasTimeout = false; break;
    }
  }
  ymodem::GiveUp(lastWasTimeout, "end of the file");
}

// Sends the empty block 0 that closes the batch, after the receiver's 'C'.
// Only after a file: the file is acknowledged already, and a receiver that
// exits at once often loses its last reply, so silence here is success.
void CloseBatchAfterFile(Line& line) {
  const YmodemTiming& timing = line.timing();
  const std::string empty = ymodem::FrameBlock(0, EncodeYmodemHeader({}));
  const MonotonicTime deadline = line.Now() + timing.replyTimeout;
  Reply request = line.ReadReply(deadline);
  while (request == Reply::kAck || request == Reply::kNak) request = line.ReadReply(deadline);
  if (request != Reply::kCrcRequest) return;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (line.DropWaiting()) return;
    line.Write(empty);
    Reply reply = line.ReadReply(line.Now() + timing.closingTimeout);
    if (reply != Reply::kNak && reply != Reply::kCrcRequest) return;
  }
}

}  // namespace

void YmodemSendFile(ByteChannel& channel, const YmodemTiming& timing, YmodemFileInfo info,
                    std::string_view contents, const std::function<void()>& delivered) {
  Line line(channel, timing);
  try {
    info.size = contents.size();
    WaitForRequest(line, timing.handshakeInterval * timing.handshakeTries, "the receiver");
    SendBlock(line, 0, EncodeYmodemHeader(info), true);
    WaitForRequest(line, timing.replyTimeout, "the request for data");
    uint8_t number = 1;
    for (size_t offset = 0; offset < contents.size(); ++number) {
      size_t left = contents.size() - offset;
      // Short blocks for a short tail: less padding on a slow line.
      size_t blockSize = left > ymodem::kShortBlock ? ymodem::kLongBlock : ymodem::kShortBlock;
      const bool first = offset == 0;
      std::string data(contents.substr(offset, blockSize));
      offset += data.size();
      data.resize(blockSize, ymodem::kPadding);
      SendBlock(line, number, data, first);
    }
    SendEndOfFile(line);
  } catch (...) {
    line.CancelForCurrentFailure();
    throw;
  }
  if (delivered) delivered();
  try {
    CloseBatchAfterFile(line);
  } catch (...) {
    // The line failed after the file was acknowledged: the send stands.
  }
}

void YmodemSendNothing(ByteChannel& channel, const YmodemTiming& timing) {
  Line line(channel, timing);
  try {
    WaitForRequest(line, timing.handshakeInterval * timing.handshakeTries, "the receiver");
    SendBlock(line, 0, EncodeYmodemHeader({}), true);
  } catch (...) {
    line.CancelForCurrentFailure();
    throw;
  }
}

}  // namespace viruzedi
