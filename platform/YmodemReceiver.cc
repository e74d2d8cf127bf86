// The receiving side of a batch: block 0, the data blocks, EOT, the closing
// block 0.
#include "platform/AsideFile.h"
#include "platform/Ymodem.h"
#include "platform/YmodemLine.h"

namespace viruzedi {
namespace {

using ymodem::Arrival;
using ymodem::Line;
using Reason = YmodemFailure::Reason;

// Asks for the batch with 'C' until block 0 comes, and acknowledges it.
// Returns the announced file; an empty name means an empty batch.
YmodemFileInfo ReceiveHeader(Line& line) {
  const YmodemTiming& timing = line.timing();
  bool lastWasTimeout = true;
  for (int attempt = 0; attempt < timing.handshakeTries; ++attempt) {
    line.Write(std::string(1, ymodem::kCrcRequest));
    Arrival arrival = line.ReadBlock(line.Now() + timing.handshakeInterval);
    lastWasTimeout = arrival.kind == Arrival::kTimeout;
    if (arrival.kind == Arrival::kCancel) {
      throw YmodemFailure(Reason::kCancelledByPeer, "cancelled before the file");
    }
    if (arrival.kind == Arrival::kBlock && arrival.number == 0) {
      YmodemFileInfo info = DecodeYmodemHeader(arrival.data);
      line.Write(std::string(1, ymodem::kAck));
      return info;
    }
    // A spoiled block, or an old one a sender still repeats: let the line
    // fall quiet, then ask again.
    if (!lastWasTimeout) line.Purge();
  }
  ymodem::GiveUp(lastWasTimeout, "waiting for the file's name");
}

// Receives the data blocks into `file` up to the EOT, which it leaves
// unanswered. An EOT is taken only when it comes twice (the first is
// refused): a lone EOT byte may be line noise in place of a block's first
// byte.
void ReceiveData(Line& line, const YmodemFileInfo& info, AsideFile& file,
                 const std::function<void()>& betweenBlocks) {
  const YmodemTiming& timing = line.timing();
  line.Write(std::string(1, ymodem::kCrcRequest));
  uint8_t expected = 1;
  bool anyData = false;
  bool endOfFileSeen = false;
  int errors = 0;
  while (true) {
    Arrival arrival = line.ReadBlock(line.Now() + timing.replyTimeout);
    bool lastWasTimeout = false;
    // Until the first data block, the request to send is 'C' as in the
    // handshake; afterwards a refusal is NAK.
    const char refusal = anyData ? ymodem::kNak : ymodem::kCrcRequest;
    switch (arrival.kind) {
      case Arrival::kBlock:
        endOfFileSeen = false;
        if (arrival.number == expected) {
          std::string_view data = arrival.data;
          if (info.size) {
            uint64_t left = *info.size - std::min(*info.size, file.size());
            if (data.size() > left) data = data.substr(0, left);  // the padding
          }
          file.Write(data);
          if (betweenBlocks) betweenBlocks();
          line.Write(std::string(1, ymodem::kAck));
          ++expected;
          anyData = true;
          errors = 0;
          continue;
        }
        if (arrival.number == static_cast<uint8_t>(expected - 1)) {
          // Our acknowledgement was lost and the sender repeats the block;
          // block 0 repeated also wants the request for data again.
          line.Write(anyData ? std::string(1, ymodem::kAck)
                             : std::string{ymodem::kAck, ymodem::kCrcRequest});
          ++errors;
          break;
        }
        throw YmodemFailure(Reason::kOutOfSequence,
                            "block " + std::to_string(arrival.number) + " where " +
                                std::to_string(expected) + " was due");
      case Arrival::kEndOfFile:
        if (!endOfFileSeen) {
          endOfFileSeen = true;
          line.Write(std::string(1, ymodem::kNak));
          continue;
        }
        if (info.size && file.size() < *info.size) {
          throw YmodemFailure(Reason::kIncomplete,
                              std::to_string(file.size()) + " bytes of " +
                                  std::to_string(*info.size) + " announced");
        }
        return;
      case Arrival::kCancel:
        throw YmodemFailure(Reason::kCancelledByPeer, "cancelled during the file");
      case Arrival::kTimeout:
        lastWasTimeout = true;
        ++errors;
        line.Write(std::string(1, endOfFileSeen ? ymodem::kNak : refusal));
        break;
      case Arrival::kSpoiled:
        endOfFileSeen = false;
        ++errors;
        line.Purge();
        line.Write(std::string(1, refusal));
        break;
    }
    if (errors >= timing.retryLimit) {
      ymodem::GiveUp(lastWasTimeout, "block " + std::to_string(expected));
    }
  }
}

// Asks for the next block 0 and acknowledges the empty one that closes the
// batch. The file is already whole, so nothing here may fail the transfer:
// a sender that goes silent or cancels has simply finished, and a further
// file (only one was asked for) is refused with a cancel.
void CloseBatch(Line& line) {
  const YmodemTiming& timing = line.timing();
  try {
    for (int attempt = 0; attempt < 3; ++attempt) {
      line.Write(std::string(1, ymodem::kCrcRequest));
      Arrival arrival = line.ReadBlock(line.Now() + timing.closingTimeout);
      switch (arrival.kind) {
        case Arrival::kBlock:
          if (arrival.number != 0) break;
          if (DecodeYmodemHeader(arrival.data).name.empty()) {
            line.Write(std::string(1, ymodem::kAck));
          } else {
            line.Cancel();
          }
          return;
        case Arrival::kEndOfFile:
          // The acknowledgement of the file's end was lost: give it again.
          line.Write(std::string(1, ymodem::kAck));
          break;
        case Arrival::kCancel: return;
        case Arrival::kTimeout: break;
        case Arrival::kSpoiled: line.Purge(); break;
      }
    }
  } catch (...) {
    // The line failed after the file was complete: the file stands.
  }
}

}  // namespace

std::optional<YmodemFileInfo> YmodemReceiveFile(
    ByteChannel& channel, const YmodemTiming& timing,
    const std::function<std::string(const YmodemFileInfo&)>& pathFor,
    const std::function<void()>& betweenBlocks, const std::function<void(bool)>& acknowledging) {
  Line line(channel, timing);
  try {
    YmodemFileInfo info = ReceiveHeader(line);
    if (info.name.empty()) return std::nullopt;
    AsideFile file(pathFor(info));
    ReceiveData(line, info, file, betweenBlocks);
    // The file's end is acknowledged only once the file is safe on disk: a
    // terminal may well drop its copy when it hears that acknowledgement.
    if (acknowledging) acknowledging(true);
    file.Commit();
    line.Write(std::string(1, ymodem::kAck));
    if (acknowledging) acknowledging(false);
    CloseBatch(line);
    return info;
  } catch (...) {
    line.CancelForCurrentFailure();
    throw;
  }
}

}  // namespace viruzedi
