// The command dialogue with an infrared reader, as a state machine:
//
//   Opening -> Handshake -> Requesting <-> AwaitingRecord
//                               |
//                               v
//                            Ending
//
// One record per request; each record reply is handed to the record import
// as it arrives. The reader is told to erase its reads only after it said it
// has no more ("EOF") and after the rows are stored and durable. A stop
// request is taken before each request, between two records.
//
// Threads: a dialogue on the thread that runs it; dialogues of different
// objects may run on different threads, and all but one are refused.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "viruzedi/Platform.h"

namespace viruzedi {

class InfraredLibrary;

class InfraredDialogue {
 public:
  enum class State { kOpening, kHandshake, kRequesting, kAwaitingRecord, kEnding, kEnded };

  // How a dialogue that ran to an end of its own ended.
  enum class End {
    kSuccess,             // "EOF", then "ELIMINA"; link closed
    kOpenFailure,         // the link did not open; nothing to close
    kHandshakeTimeout,    // no acknowledgement in time; link closed
    kEmptyReplyTimeout,   // a request got no reply at all; link closed
    kRecordTimeout,       // a reply that is no record, and none came in time; link closed
  };

  struct Handlers {
    // Takes one record reply (the 100-character buffer, first character
    // "#"). May show the bad-code warning; throws to end the download.
    std::function<void(const std::string& reply)> importRecord;
    // Called after "EOF" and before "ELIMINA": stores the download's rows
    // durably, since the reader forgets them. Throws to end the download.
    std::function<void()> storeRows;
    // Called once "ELIMINA" is sent and the link closed; may be empty.
    std::function<void()> erased;
  };

  static constexpr int32_t kBaud = 38400;
  static constexpr std::chrono::milliseconds kOpenPause{500};
  static constexpr std::chrono::milliseconds kEndPause{500};
  static constexpr std::chrono::seconds kResendAfter{1};
  static constexpr std::chrono::seconds kDeadlineAfter{2};
  // How long a wait sleeps between looks at the clock and the event pump.
  static constexpr std::chrono::milliseconds kPollInterval{10};

  // The library is taken from the platform when the dialogue opens.
  InfraredDialogue(Platform& platform, Handlers handlers);
  // Closes a link left open.
  ~InfraredDialogue();
  InfraredDialogue(const InfraredDialogue&) = delete;
  InfraredDialogue& operator=(const InfraredDialogue&) = delete;

  // Runs from Opening to one of the ends above. A failure (the link library
  // missing, the import, the counter's overflow, a stop request: 18) is thrown with the link
  // left as it was: the caller's error path closes it with CloseIfOpen.
  // The link library holds one link for the whole process: while another
  // dialogue runs (another object's download, waiting, or on another
  // thread), Run refuses with 17.
  End Run(int32_t port);
  // Closes the link if it is open; never throws (a link that cannot be
  // closed is taken as closed).
  void CloseIfOpen() noexcept;

  State state() const { return state_; }
  int32_t recordCounter() const { return counter_; }

 private:
  State Opening(int32_t port);
  State Handshake();
  State Requesting();
  State AwaitingRecord();
  State Ending();
  State EndWith(End end);

  void Send(const std::string& command);
  // A fresh buffer of 100 spaces, read into by the library.
  std::string ReadReply();
  void Close();
  std::string CounterText() const;

  // Time points: "passed" means strictly later than the point.
  bool Passed(MonotonicTime point);
  void Pause(std::chrono::milliseconds duration);
  // One pass of a wait: lets the host's events run, then sleeps briefly.
  void Yield();

  Platform& platform_;
  Handlers handlers_;
  InfraredLibrary* library_ = nullptr;
  State state_ = State::kOpening;
  End end_ = End::kSuccess;
  bool linkOpen_ = false;
  int32_t linkResult_ = 0;
  int32_t counter_ = 0;
  std::string reply_;
  MonotonicTime resendPoint_{};
  MonotonicTime deadline_{};
  bool riprovaSent_ = false;
};

}  // namespace viruzedi
