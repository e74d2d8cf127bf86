#include "platform/YmodemLine.h"

#include "platform/Crc16.h"

namespace viruzedi::ymodem {

std::string FrameBlock(uint8_t number, std::string_view data) {
  std::string block;
  block.reserve(data.size() + 5);
  block += data.size() == kLongBlock ? kStx : kSoh;
  block += static_cast<char>(number);
  block += static_cast<char>(~number);
  block += data;
  uint16_t crc = Crc16Xmodem(data);
  block += static_cast<char>(crc >> 8);
  block += static_cast<char>(crc & 0xFF);
  return block;
}

int Line::ReadByte(MonotonicTime deadline) {
  std::string bytes = channel_.Read(deadline);
  if (bytes.empty()) return -1;
  if (bytes.size() > 1) channel_.PutBack(bytes.substr(1));
  return static_cast<unsigned char>(bytes[0]);
}

bool Line::ReadExactly(size_t count, std::string& into) {
  while (into.size() < count) {
    std::string bytes = channel_.Read(channel_.Now() + timing_.byteTimeout);
    if (bytes.empty()) return false;
    size_t wanted = count - into.size();
    if (bytes.size() > wanted) {
      channel_.PutBack(bytes.substr(wanted));
      bytes.resize(wanted);
    }
    into += bytes;
  }
  return true;
}

Arrival Line::ReadBlock(MonotonicTime deadline) {
  Arrival arrival;
  int first = ReadByte(deadline);
  size_t size = 0;
  switch (first) {
    case -1: arrival.kind = Arrival::kTimeout; return arrival;
    case kEot: arrival.kind = Arrival::kEndOfFile; return arrival;
    case kSoh: size = kShortBlock; break;
    case kStx: size = kLongBlock; break;
    case kCan: {
      int second = ReadByte(Now() + timing_.byteTimeout);
      arrival.kind = second == kCan ? Arrival::kCancel : Arrival::kSpoiled;
      return arrival;
    }
    default: arrival.kind = Arrival::kSpoiled; return arrival;
  }
  std::string rest;
  arrival.kind = Arrival::kSpoiled;
  if (!ReadExactly(size + 4, rest)) return arrival;
  const auto number = static_cast<uint8_t>(rest[0]);
  const auto complement = static_cast<uint8_t>(rest[1]);
  if (static_cast<uint8_t>(number ^ complement) != 0xFF) return arrival;
  std::string_view data = std::string_view(rest).substr(2, size);
  uint16_t crc = static_cast<uint16_t>((static_cast<unsigned char>(rest[size + 2]) << 8) |
                                       static_cast<unsigned char>(rest[size + 3]));
  if (Crc16Xmodem(data) != crc) return arrival;
  arrival.kind = Arrival::kBlock;
  arrival.number = number;
  arrival.data.assign(data);
  return arrival;
}

Reply Line::ReadReply(MonotonicTime deadline) {
  while (true) {
    switch (ReadByte(deadline)) {
      case -1: return Reply::kTimeout;
      case kAck: return Reply::kAck;
      case kNak: return Reply::kNak;
      case kCrcRequest: return Reply::kCrcRequest;
      case kCan:
        if (ReadByte(Now() + timing_.byteTimeout) == kCan) return Reply::kCancel;
        break;
      default: break;  // noise, or a receiver's display text
    }
    // A line that never stops chattering must not hold the wait open.
    if (Now() >= deadline) return Reply::kTimeout;
  }
}

bool Line::DropWaiting() {
  bool cancel = false;
  char previous = 0;
  size_t dropped = 0;
  // Bounded, so that a line that never stops chattering cannot hold us here.
  for (std::string bytes = channel_.Read(Now()); !bytes.empty() && dropped < 65536;
       bytes = channel_.Read(Now())) {
    dropped += bytes.size();
    for (char c : bytes) {
      if (c == kCan && previous == kCan) cancel = true;
      previous = c;
    }
  }
  return cancel;
}

void Line::Purge() {
  const MonotonicTime limit = Now() + timing_.replyTimeout;
  while (Now() < limit) {
    MonotonicTime quietUntil = Now() + timing_.quietTime;
    if (channel_.Read(quietUntil < limit ? quietUntil : limit).empty()) return;
  }
}

void Line::Cancel() {
  try {
    channel_.Write(std::string(8, kCan));
  } catch (...) {
    // The line is already gone: nobody is left to tell.
  }
}

void Line::CancelForCurrentFailure() {
  try {
    throw;
  } catch (const YmodemFailure& failure) {
    if (failure.reason == YmodemFailure::Reason::kCancelledByPeer) return;
  } catch (...) {
  }
  Cancel();
}

void GiveUp(bool lastWasTimeout, const std::string& what) {
  if (lastWasTimeout) {
    throw YmodemFailure(YmodemFailure::Reason::kTimedOut, "no answer: " + what);
  }
  throw YmodemFailure(YmodemFailure::Reason::kTooManyErrors, "too many errors: " + what);
}

}  // namespace viruzedi::ymodem
