// The YMODEM receiver against a peer made of the input. Every time the
// receiver writes (a request, an acknowledgement, a refusal) the peer sends
// its next piece: raw bytes, a sound block of either size with any number,
// a block 0 announcing any name and size, a spoiled block, EOT, a cancel or
// nothing at all. The peer's bytes reach the receiver in chunks of a size
// the input chooses. Time passes only while the receiver waits on a silent
// line, so every time-out costs nothing.
//
// Properties:
//  - a file received is at its path, whole: of the announced size, or of
//    whole blocks when no size was announced;
//  - an empty batch leaves nothing and never asks for a path;
//  - on any failure nothing is left in the folder (no file, nothing aside),
//    and the peer has been cancelled unless it cancelled itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/Errors.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/ByteChannel.h"
#include "platform/Ymodem.h"
#include "platform/YmodemLine.h"

namespace viruzedi::fuzz {
namespace {

namespace fs = std::filesystem;

std::string Block(FuzzedDataProvider& input, size_t size) {
  const auto number = input.ConsumeIntegral<uint8_t>();
  std::string data = input.ConsumeRandomLengthString(size);
  data.resize(size, ymodem::kPadding);
  return ymodem::FrameBlock(number, data);
}

std::string Header(FuzzedDataProvider& input) {
  YmodemFileInfo info;
  info.name = input.ConsumeRandomLengthString(64);
  if (input.ConsumeBool()) {
    // Mostly sizes a short input can fill, sometimes any at all.
    info.size = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint64_t>(0, 4096)
                                    : input.ConsumeIntegral<uint64_t>();
  }
  info.modificationTime = input.ConsumeIntegral<int64_t>();
  return ymodem::FrameBlock(0, EncodeYmodemHeader(info));
}

std::string NextPiece(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 8)) {
    case 0: return input.ConsumeRandomLengthString(1100);
    case 1: return Block(input, ymodem::kShortBlock);
    case 2: return Block(input, ymodem::kLongBlock);
    case 3: return Header(input);
    case 4: return std::string(1, ymodem::kEot);
    case 5: return std::string(2, ymodem::kCan);
    case 6: {
      std::string block = Block(input, ymodem::kShortBlock);
      block[input.ConsumeIntegralInRange<size_t>(0, block.size() - 1)] ^=
          static_cast<char>(input.ConsumeIntegralInRange(1, 255));
      return block;
    }
    case 7: return Block(input, ymodem::kShortBlock).substr(0, input.ConsumeIntegral<uint8_t>());
    default: return "";  // silence
  }
}

class InputPeer : public ByteChannel {
 public:
  InputPeer(FuzzedDataProvider& input, size_t chunk) : input_(input), chunk_(chunk) {}

  MonotonicTime Now() override { return now_; }
  void Write(std::string_view bytes) override {
    written += bytes;
    if (input_.remaining_bytes() > 0) incoming_ += NextPiece(input_);
  }

  std::string written;

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override {
    if (incoming_.empty()) {
      now_ = std::max(now_, deadline);
      return "";
    }
    const size_t take = chunk_ == 0 ? incoming_.size() : std::min(chunk_, incoming_.size());
    std::string bytes = incoming_.substr(0, take);
    incoming_.erase(0, take);
    return bytes;
  }

 private:
  FuzzedDataProvider& input_;
  size_t chunk_;
  MonotonicTime now_{};
  std::string incoming_;
};

size_t EntriesIn(const std::string& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi;
  using namespace viruzedi::fuzz;
  static const std::string folder = [] {
    std::string path = ScratchFolder() + "/ymodem";
    fs::create_directories(path);
    return path;
  }();
  const std::string path = folder + "/received";

  FuzzedDataProvider input(data, size);
  const size_t chunk = input.ConsumeIntegral<uint8_t>();
  const bool refuse = input.ConsumeIntegralInRange(0, 15) == 0;
  InputPeer peer(input, chunk);
  bool asked = false;
  auto pathFor = [&](const YmodemFileInfo&) -> std::string {
    asked = true;
    if (refuse) RaiseError(kPermissionDenied, path);
    return path;
  };

  std::optional<YmodemFileInfo> info;
  std::optional<YmodemFailure::Reason> failure;
  bool failed = false;
  try {
    info = YmodemReceiveFile(peer, YmodemTiming{}, pathFor);
  } catch (const YmodemFailure& error) {
    failed = true;
    failure = error.reason;
  } catch (const AutomationError&) {
    failed = true;
  }

  if (failed) {
    Require(EntriesIn(folder) == 0, "a failed transfer leaves nothing in the folder");
    if (failure != YmodemFailure::Reason::kCancelledByPeer) {
      Require(peer.written.ends_with(std::string(8, ymodem::kCan)), "the peer is cancelled");
    }
  } else if (!info) {
    Require(!asked && EntriesIn(folder) == 0, "an empty batch leaves nothing");
  } else {
    Require(EntriesIn(folder) == 1 && fs::exists(path), "the file is at its path");
    const uint64_t received = fs::file_size(path);
    if (info->size) {
      Require(received == *info->size, "the file has the announced size");
    } else {
      Require(received % ymodem::kShortBlock == 0, "without a size, whole blocks");
    }
    fs::remove(path);
  }
  return 0;
}
