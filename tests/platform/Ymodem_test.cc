// The protocol's pieces, and the engine against a scripted peer for the
// faults a real peer cannot be made to commit on demand.
#include "platform/Ymodem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>

#include "base/Errors.h"
#include "platform/ByteChannel.h"
#include "platform/Crc16.h"
#include "platform/YmodemLine.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using namespace std::chrono_literals;
using Reason = YmodemFailure::Reason;
using testing::FolderNames;
using testing::TemporaryFolder;

TEST(Crc16, MatchesTheXmodemCheckValues) {
  EXPECT_EQ(Crc16Xmodem("123456789"), 0x31C3);
  EXPECT_EQ(Crc16Xmodem(""), 0x0000);
  EXPECT_EQ(Crc16Xmodem(std::string(1, '\0')), 0x0000);
  EXPECT_EQ(Crc16Xmodem("6789", Crc16Xmodem("12345")), 0x31C3);  // continued
}

TEST(YmodemBlock, FramesNumberComplementDataAndCrc) {
  std::string data(128, 'a');
  std::string block = ymodem::FrameBlock(3, data);
  ASSERT_EQ(block.size(), 133u);
  EXPECT_EQ(block[0], ymodem::kSoh);
  EXPECT_EQ(static_cast<uint8_t>(block[1]), 3);
  EXPECT_EQ(static_cast<uint8_t>(block[2]), 0xFC);
  uint16_t crc = Crc16Xmodem(data);
  EXPECT_EQ(static_cast<uint8_t>(block[131]), crc >> 8);
  EXPECT_EQ(static_cast<uint8_t>(block[132]), crc & 0xFF);
  EXPECT_EQ(ymodem::FrameBlock(0, std::string(1024, 'b'))[0], ymodem::kStx);
}

TEST(YmodemHeader, EncodesNameSizeAndTime) {
  std::string data = EncodeYmodemHeader({"1.txt", 1025, 012345});
  ASSERT_EQ(data.size(), 128u);
  EXPECT_EQ(data.substr(0, 17), std::string("1.txt\0" "1025 12345\0", 17));
  EXPECT_EQ(data.find_first_not_of('\0', 17), std::string::npos);
  EXPECT_EQ(EncodeYmodemHeader({}), std::string(128, '\0'));
  EXPECT_EQ(EncodeYmodemHeader({std::string(200, 'n'), 5, 0}).size(), 1024u);
  // A name too long for any block is cut, never the size.
  YmodemFileInfo cut = DecodeYmodemHeader(EncodeYmodemHeader({std::string(2000, 'n'), 77, 0}));
  EXPECT_EQ(cut.size, 77u);
}

TEST(YmodemHeader, DecodesWhatSendersWrite) {
  struct Case {
    std::string data;
    std::string name;
    std::optional<uint64_t> size;
    int64_t time;
  } cases[] = {
      {std::string("a.txt\0" "20 14567 100644 0 1 20\0", 29), "a.txt", 20, 014567},
      {std::string("a.txt\0" "20\0", 9), "a.txt", 20, 0},
      {std::string("a.txt\0\0", 7), "a.txt", std::nullopt, 0},
      {std::string("a.txt\0" "x9\0", 9), "a.txt", std::nullopt, 0},
      {std::string("a.txt\0" "99999999999999999999999\0", 30), "a.txt", std::nullopt, 0},
      {std::string("a.txt\0" "7 9\0", 10), "a.txt", 7, 0},  // 9 is no octal digit
      {std::string(128, '\0'), "", std::nullopt, 0},
      {std::string(128, 'z'), std::string(128, 'z'), std::nullopt, 0},
  };
  for (const Case& c : cases) {
    YmodemFileInfo info = DecodeYmodemHeader(c.data);
    EXPECT_EQ(info.name, c.name);
    EXPECT_EQ(info.size, c.size) << c.name;
    EXPECT_EQ(info.modificationTime, c.time) << c.name;
  }
}

// A peer played by the test: each write of the engine is handed to
// `respond`, and what that returns is what the engine reads next. Time
// passes only while the engine waits for bytes that are not there, so a
// time-out costs nothing.
class ScriptedPeer : public ByteChannel {
 public:
  std::function<std::string(std::string_view written)> respond;
  std::string written;

  MonotonicTime Now() override { return now_; }
  void Write(std::string_view bytes) override {
    written += bytes;
    incoming_ += respond(bytes);
  }

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override {
    if (incoming_.empty()) {
      now_ = std::max(now_, deadline);
      return "";
    }
    std::string bytes;
    bytes.swap(incoming_);
    return bytes;
  }

 private:
  MonotonicTime now_{};
  std::string incoming_;
};

std::string Block(uint8_t number, std::string data, size_t size = 128) {
  data.resize(size, ymodem::kPadding);
  return ymodem::FrameBlock(number, data);
}

std::string Header(const std::string& name, uint64_t size) {
  return ymodem::FrameBlock(0, EncodeYmodemHeader({name, size, 0}));
}

// A sender that answers each 'C', ACK or NAK of the receiver with the next
// piece of `pieces` (the header first); nothing once they run out.
std::function<std::string(std::string_view)> SenderOf(std::vector<std::string> pieces) {
  auto queue = std::make_shared<std::deque<std::string>>(pieces.begin(), pieces.end());
  return [queue](std::string_view written) -> std::string {
    if (queue->empty() || written.find(ymodem::kCan) != std::string_view::npos) return "";
    std::string next = queue->front();
    queue->pop_front();
    return next;
  };
}

struct ReceiveOutcome {
  std::optional<Reason> failure;
  std::string contents;
  bool fileThere = false;
  size_t filesInFolder = 0;
  std::string written;
};

ReceiveOutcome ReceiveFrom(std::vector<std::string> pieces) {
  TemporaryFolder folder;
  ScriptedPeer peer;
  peer.respond = SenderOf(std::move(pieces));
  ReceiveOutcome outcome;
  try {
    YmodemReceiveFile(peer, YmodemTiming{}, [&](const YmodemFileInfo&) { return folder / "f"; });
  } catch (const YmodemFailure& failure) {
    outcome.failure = failure.reason;
  }
  outcome.fileThere = std::filesystem::exists(folder / "f");
  outcome.contents = testing::ReadFile(folder / "f");
  for (auto& entry : std::filesystem::directory_iterator(folder.path())) {
    (void)entry;
    ++outcome.filesInFolder;
  }
  outcome.written = peer.written;
  return outcome;
}

const std::string kEot(1, ymodem::kEot);
const std::string kCancel = "\x18\x18";
const std::string kEndOfBatch = ymodem::FrameBlock(0, std::string(128, '\0'));

TEST(YmodemReceive, KeepsTheAnnouncedSizeAndSkipsRepeatedBlocks) {
  // Per receiver write: 'C' header, ACK -, 'C' block 1, ACK block 1 again
  // (a lost ACK), ACK block 2, ACK EOT, NAK EOT, ACK -, 'C' end of batch.
  ReceiveOutcome outcome =
      ReceiveFrom({Header("f", 200), "", Block(1, std::string(128, 'a')),
                   Block(1, std::string(128, 'a')), Block(2, std::string(72, 'b')), kEot, kEot,
                   "", kEndOfBatch});
  EXPECT_FALSE(outcome.failure);
  EXPECT_EQ(outcome.contents, std::string(128, 'a') + std::string(72, 'b'));
  EXPECT_EQ(outcome.filesInFolder, 1u);
  EXPECT_EQ(outcome.written.back(), ymodem::kAck);  // the end of the batch
}

TEST(YmodemReceive, LeavesNoFileWhenTheTransferFails) {
  struct Case {
    const char* what;
    std::vector<std::string> pieces;
    Reason reason;
  } cases[] = {
      {"cancel in the middle",
       {Header("f", 300), "", Block(1, std::string(128, 'a')), kCancel},
       Reason::kCancelledByPeer},
      {"cancel before the file", {kCancel}, Reason::kCancelledByPeer},
      {"block out of sequence",
       {Header("f", 300), "", Block(1, "a"), Block(3, "c")},
       Reason::kOutOfSequence},
      {"data short of the size",
       {Header("f", 300), "", Block(1, std::string(128, 'a')), kEot, kEot},
       Reason::kIncomplete},
      {"sender falls silent", {Header("f", 300), "", Block(1, "a")}, Reason::kTimedOut},
      {"nobody there", {}, Reason::kTimedOut},
      {"garbage for ever",
       std::vector<std::string>(40, "garbage"),
       Reason::kTooManyErrors},
  };
  for (const Case& c : cases) {
    ReceiveOutcome outcome = ReceiveFrom(c.pieces);
    EXPECT_EQ(outcome.failure, c.reason) << c.what;
    EXPECT_FALSE(outcome.fileThere) << c.what;
    EXPECT_EQ(outcome.filesInFolder, 0u) << c.what << ": nothing left aside";
    bool cancelled = outcome.written.find(kCancel) != std::string::npos;
    EXPECT_EQ(cancelled, c.reason != Reason::kCancelledByPeer) << c.what;
  }
}

TEST(YmodemReceive, KeepsTheFirstFileAndRefusesASecond) {
  ReceiveOutcome outcome = ReceiveFrom({Header("f", 3), "", Block(1, "abc"), kEot, kEot, "",
                                        Header("g", 3)});
  EXPECT_FALSE(outcome.failure);
  EXPECT_EQ(outcome.contents, "abc");
  EXPECT_NE(outcome.written.find(kCancel), std::string::npos);
}

// A terminal may drop its copy once it hears the file's end acknowledged,
// so that is never heard for a file that could not be stored.
TEST(YmodemReceive, AFileThatCannotBeStoredIsNeverAcknowledged) {
  TemporaryFolder folder;
  std::filesystem::create_directories(folder / "taken/inside");  // no file can replace it
  ScriptedPeer peer;
  peer.respond = SenderOf({Header("f", 3), "", Block(1, "abc"), kEot, kEot, "", kEndOfBatch});
  EXPECT_THROW(YmodemReceiveFile(peer, YmodemTiming{},
                                 [&](const YmodemFileInfo&) { return folder / "taken"; }),
               AutomationError);
  std::string afterEndOfFile = peer.written.substr(peer.written.rfind(ymodem::kNak) + 1);
  EXPECT_EQ(afterEndOfFile, std::string(8, ymodem::kCan));
  EXPECT_EQ(FolderNames(folder.path()), (std::vector<std::string>{"taken"}));
}

TEST(YmodemReceive, AnEmptyBatchGivesNoFile) {
  TemporaryFolder folder;
  ScriptedPeer peer;
  peer.respond = SenderOf({kEndOfBatch});
  bool asked = false;
  auto info = YmodemReceiveFile(peer, YmodemTiming{}, [&](const YmodemFileInfo&) {
    asked = true;
    return folder / "f";
  });
  EXPECT_FALSE(info);
  EXPECT_FALSE(asked);
  EXPECT_EQ(peer.written, (std::string{'C', ymodem::kAck}));
}

// A receiver that acknowledges everything, and falls silent after the
// file's EOT as a receiver that exits at once does.
TEST(YmodemSend, SucceedsWhenTheClosingOfTheBatchGoesUnanswered) {
  ScriptedPeer peer;
  bool eotSeen = false;
  peer.respond = [&](std::string_view written) -> std::string {
    if (eotSeen) return "";
    eotSeen = written == kEot;
    return std::string{ymodem::kAck, 'C'};
  };
  peer.PutBack("C");
  size_t writtenWhenDelivered = 0;
  YmodemSendFile(peer, YmodemTiming{}, {"x.txt", {}, 0}, std::string(1500, 'x'),
                 [&] { writtenWhenDelivered = peer.written.size(); });
  // header, two long blocks, one EOT, the closing header unanswered.
  EXPECT_EQ(peer.written.size(), 133u + 1029u + 1029u + 1u + 133u);
  // Delivered at the EOT's acknowledgement, not after the closing.
  EXPECT_EQ(writtenWhenDelivered, 133u + 1029u + 1029u + 1u);
}

TEST(YmodemSend, FailsWhenTheFileIsNeverAcknowledged) {
  struct Case {
    const char* what;
    std::function<std::string(std::string_view)> respond;
    Reason reason;
  } cases[] = {
      {"refused", [](std::string_view) { return std::string(1, ymodem::kNak); },
       Reason::kTooManyErrors},
      {"silent", [](std::string_view) { return std::string(); }, Reason::kTimedOut},
      {"cancelled", [](std::string_view) { return kCancel; }, Reason::kCancelledByPeer},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer;
    peer.respond = c.respond;
    peer.PutBack("C");
    bool delivered = false;
    try {
      YmodemSendFile(peer, YmodemTiming{}, {"x.txt", {}, 0}, "data", [&] { delivered = true; });
      ADD_FAILURE() << c.what;
    } catch (const YmodemFailure& failure) {
      EXPECT_EQ(failure.reason, c.reason) << c.what;
    }
    EXPECT_FALSE(delivered) << c.what;
  }
}

}  // namespace
}  // namespace viruzedi
