// A pen reader as the component sees it on its serial line: each request "c"
// gets the next stored read ended by LF CR, and "EMPTY" once none is left.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace viruzedi {

class PseudoTerminal;

struct PenReaderOptions {
  // The stored reads, sent as they are (a malformed line is just a read
  // that is not code;sub-order;lot;quantity).
  std::vector<std::string> reads;
  // Requests answered before the reader falls silent; negative: no limit.
  // 0 makes a reader that never answers.
  int answers = -1;
  // Pause before each answer.
  std::chrono::milliseconds delay{0};
  // Each answer is written in pieces of this many bytes, a short pause
  // apart, so that it reaches the component in several receive events.
  // 0: in one piece.
  std::size_t piece = 0;
  bool lowerCaseEmpty = false;  // "empty" instead of "EMPTY"
  bool crLf = false;            // CR LF instead of LF CR (lines never end)
  // Requests answered before the reader is unplugged: the next request
  // makes the line go away. Negative: never.
  int unplugAfter = -1;
  // Once the stored reads are sent, answers with characters and no line
  // end, without ever stopping: a device on the wrong speed, a line full of
  // noise.
  bool flood = false;
};

class PenReader {
 public:
  explicit PenReader(PenReaderOptions options) : options_(std::move(options)) {}

  // The answer to one byte from the component: nothing for a byte that is
  // not a request, or when the reader has fallen silent.
  std::optional<std::string> Answer(char request);
  // Whether every read has been sent and "EMPTY" said after them.
  bool Emptied() const { return emptied_; }
  bool ReadsLeft() const { return next_ < options_.reads.size(); }
  // Whether the reader is to be unplugged instead of answering `request`.
  bool UnplugsAt(char request) const {
    return request == 'c' && options_.unplugAfter >= 0 && answered_ >= options_.unplugAfter;
  }
  const PenReaderOptions& options() const { return options_; }

 private:
  PenReaderOptions options_;
  std::size_t next_ = 0;
  int answered_ = 0;
  bool emptied_ = false;
};

// Serves the reader on the simulator's side of `pty` while `keepGoing`
// returns true (asked at least every 100 ms), or until the reader is
// unplugged. `report` is told of every request and answer ("request",
// "answer <text>", "unplugged").
void ServePenReader(PseudoTerminal& pty, PenReader& reader,
                    const std::function<void(const std::string&)>& report,
                    const std::function<bool()>& keepGoing);

}  // namespace viruzedi
